#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "sim/ApduCard.h"
#include "sim/SerialReaderEmulator.h"

namespace quillet::fuzz {

// A SIM that lies. It answers through a real card behind it, but a script of fault steps changes
// what reaches the host: the answer to reset, status words, answer lengths and bytes, the T=0
// procedure bytes on the line, or the card itself vanishes. It keeps a log of what it did and of
// what the card behind it really carried out, so a fuzz target can judge the host's behaviour.
class HostileCard final : public sim::ApduCard {
public:
    // Every step is five bytes: two for the command it hits (0-1023, counting from the card's
    // first command), one for the kind of fault and two for its parameters. The three bytes
    // before the steps change the answer to reset.
    static constexpr std::size_t kStepBytes = 5;
    static constexpr std::size_t kAtrBytes = 3;

    HostileCard(sim::ApduCard& card, sim::SerialReaderEmulator& line, std::span<const std::uint8_t> script);

    std::vector<std::uint8_t> Reset() override;
    bool TakesData(const sim::ApduHeader& header) const override { return m_card.TakesData(header); }
    sim::ApduResponse Process(const sim::ApduHeader& header, std::span<const std::uint8_t> data) override;

    // What happened to one command.
    struct Command {
        sim::ApduHeader header;
        std::optional<std::uint16_t> realStatus;  // the card behind answered this; none if it never saw it
        bool faulted = false;                     // the host got something else than the card's answer
        bool unusable = false;                    // ... and no answer a host could take: refused, cut short
    };
    const std::vector<Command>& Log() const { return m_log; }
    bool AtrChanged() const { return m_atrChanged; }
    // True when the host sent any command that changes a card, whatever the answer.
    bool SentChange() const;
    // True when the host updated a record (or transparent file) whose last read before the first
    // update got an unusable answer: an update planned from an answer that did not hold up.
    bool WroteFromUnusableRead() const { return m_wroteFromUnusableRead; }
    // Index of the first command that changed the card (an update or a code command the card
    // behind accepted); none when nothing was changed.
    std::optional<std::size_t> FirstChange() const;
    // Index of the last command whose answer was faulted; none when every answer was true.
    std::optional<std::size_t> LastFault() const;

private:
    struct Step {
        std::size_t command = 0;
        std::uint8_t kind = 0;
        std::uint8_t a = 0;
        std::uint8_t b = 0;
    };
    // Hooks into the line, which asks before each command how to behave: that is where a command
    // is counted. The line's protocol state is made when the card is powered, so it is done then.
    void WatchLine();
    // The line behaviour for the command whose header just arrived.
    void PrepareLine(const sim::ApduHeader& header);
    bool ApplyToAnswer(const Step& step, sim::ApduResponse& response, bool& unusable);
    // Follows the selected file and the reads of the planning phase (before the first update) as
    // the host saw them.
    void ObserveAnswer(const Command& command, std::span<const std::uint8_t> data, std::uint16_t sw);
    // The record a read or update addresses in the selected file: its number, or -1 for a
    // transparent file; none when it is not addressed by number.
    std::optional<std::pair<std::uint16_t, int>> Addressed(const sim::ApduHeader& header) const;

    sim::ApduCard& m_card;
    sim::SerialReaderEmulator& m_line;
    std::vector<Step> m_steps;
    std::uint8_t m_atrKind = 0;
    std::uint8_t m_atrA = 0;
    std::uint8_t m_atrB = 0;
    bool m_atrChanged = false;
    std::vector<Command> m_log;
    std::size_t m_headers = 0;  // headers seen on the line: the index of the current command + 1
    bool m_pulled = false;
    std::optional<std::uint16_t> m_selected;  // as the host believes
    bool m_planning = true;
    std::map<std::pair<std::uint16_t, int>, bool> m_lastReadUnusable;
    bool m_wroteFromUnusableRead = false;
    std::optional<Step> m_everyAnswer;  // a fault that, once hit, changes every later answer too
};

}  // namespace quillet::fuzz
