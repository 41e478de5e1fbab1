#pragma once

#include <functional>
#include <memory>
#include <string>

#include "reader/SerialCardReader.h"
#include "reader/VirtualClock.h"
#include "sim/CardFaultPlan.h"
#include "sim/FaultInjectingCard.h"
#include "sim/GsmSimCard.h"
#include "sim/SerialReaderEmulator.h"

namespace quillet::sim {

namespace detail {
// Constructed before the reader base class, which needs the clock and hands over the line.
struct VirtualClockHolder {
    reader::VirtualClock m_virtualClock;
    class SerialReaderEmulator* m_line = nullptr;  // owned by the reader base
};
}  // namespace detail

// The "VIRTUAL" device: a card file served through the emulated serial reader, in virtual time,
// so every reader algorithm runs as with real hardware. "VIRTUAL" is the demo card in the
// user's data folder (made from the built-in demo on first use); "VIRTUAL:<path>" is that card
// file. The card's changes are written back to its file whenever the card is powered down.
class VirtualCardReader final : private detail::VirtualClockHolder, public reader::SerialCardReader {
public:
    static constexpr const char* kDeviceName = "VIRTUAL";
    // Stands between a loaded SIM and the reader's line and returns the card the line talks to.
    using CardInterposer = std::function<ApduCard&(ApduCard& loaded, SerialReaderEmulator& line)>;

    VirtualCardReader();
    ~VirtualCardReader() override;

    reader::ReaderResult Open(const std::string& name, std::uint32_t option) override;
    reader::ReaderResult Close() override;
    reader::ReaderResult PowerOff() override;

    // The card file a device name stands for.
    static std::string CardFileFor(const std::string& deviceName);
    // Where "VIRTUAL" keeps the demo card: $XDG_DATA_HOME/Quillet, else ~/.local/share/Quillet.
    static std::string DemoCardPath();

    // Why the last Open or save failed.
    const std::string& LastError() const { return m_lastError; }
    const std::string& CardFile() const { return m_cardFile; }
    SerialReaderEmulator& Line() { return *m_line; }
    reader::VirtualClock& Clock() { return m_virtualClock; }
    GsmSimCard* Card() { return m_card.get(); }

    // Arms a fault plan on the loaded SIM; its commands count from the next one the card receives.
    // False when no SIM is loaded.
    bool ArmFaults(CardFaultPlan plan);
    // Ends the plan; a card it pulled out is put back, unpowered, as a user would.
    void DisarmFaults();
    // The card as the reader sees it, faults included; null when no SIM is loaded.
    FaultInjectingCard* Faults() { return m_faults.get(); }
    // Whether the card's changes go back to its file (the default). Tests that rewrite a card
    // thousands of times keep them in memory.
    void SetSavesChanges(bool saves) { m_savesChanges = saves; }
    // Puts a card of the caller's in front of every SIM that any VirtualCardReader loads from now
    // on, so a test can make the device answer as a broken or hostile card would whoever opens it
    // (the command-line program included). An empty function ends it.
    static void SetCardInterposer(CardInterposer interposer);

private:
    bool LoadCard(const std::string& path);
    bool SaveCard();

    std::unique_ptr<GsmSimCard> m_card;
    std::unique_ptr<FaultInjectingCard> m_faults;  // in front of m_card
    std::string m_cardFile;
    std::string m_lastError;
    bool m_savesChanges = true;
};

}  // namespace quillet::sim
