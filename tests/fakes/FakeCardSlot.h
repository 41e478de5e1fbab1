#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "sim/GsmSimCard.h"
#include "sim/T0LineAdapter.h"

namespace quillet::fakes {

// The card behind a stand-in reader library: the demo SIM, or the card file named by
// QUILLET_FAKE_CARD, reached byte by byte through the T=0 line adapter.
class FakeCardSlot {
public:
    static FakeCardSlot& Instance();

    bool LoadCard(const std::string& path);
    bool Present() const { return m_present; }
    bool IsMemoryCard() const { return m_memoryCard; }
    const std::array<std::uint8_t, 32>& Memory() const { return m_memory; }
    void SetPresent(bool present) { m_present = present; }

    void PowerOn();
    void PowerOff();
    // Feeds bytes to the card; what it answers waits in the output queue.
    void Send(std::uint8_t byte);
    std::deque<std::uint8_t>& Output() { return m_output; }
    // The next procedure byte the card sends is replaced by this one (once).
    int garbleNextProcedure = -1;

private:
    FakeCardSlot();

    std::unique_ptr<sim::GsmSimCard> m_card;
    std::unique_ptr<sim::T0LineAdapter> m_line;
    std::deque<std::uint8_t> m_output;
    std::array<std::uint8_t, 32> m_memory{};
    bool m_memoryCard = false;
    bool m_present = true;
};

}  // namespace quillet::fakes
