#pragma once

#include <cstdint>

#include "reader/Clock.h"

namespace quillet::reader {

// A clock that moves only when told to: sleeping advances it at once. It keeps microseconds so
// that byte times on a 9600-baud line (1.25 ms per character) add up exactly.
class VirtualClock final : public Clock {
public:
    std::uint32_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;

    std::uint64_t NowMicros() const { return m_micros; }
    void AdvanceMicros(std::uint64_t micros) { m_micros += micros; }
    // Moves the clock forward to the given time; never backwards.
    void AdvanceTo(std::uint64_t micros);

private:
    std::uint64_t m_micros = 0;
};

}  // namespace quillet::reader
