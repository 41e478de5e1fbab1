#include "HostileCard.h"

#include <algorithm>
#include <iterator>

namespace quillet::fuzz {

namespace {

enum Kind : std::uint8_t { kRefuse, kRestate, kFlip, kSet, kTruncate, kExtend, kLine, kPull, kKeepFlipping, kKinds };

constexpr std::uint16_t kErrors[] = {0x6F00, 0x6E00, 0x6D00, 0x6B00, 0x6A82, 0x6700, 0x6581, 0x9240, 0x9400, 0x9402,
                                     0x9404, 0x9408, 0x9802, 0x9804, 0x9808, 0x9810, 0x9840, 0x6400, 0x0000, 0xFFFF};
// Bytes that mean something in file descriptions and records: lengths, types, markers.
constexpr std::uint8_t kInteresting[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x0E, 0x0F, 0x10, 0x1E,
                                         0x20, 0x7F, 0x80, 0x91, 0xB0, 0xB2, 0xFE, 0xFF};

bool IsSuccess(std::uint16_t sw) { return sw == 0x9000 || (sw >> 8) == 0x91 || (sw >> 8) == 0x9F; }

bool ChangesCard(const sim::ApduHeader& header) {
    switch (header.ins) {
        case 0xD6:  // UPDATE BINARY
        case 0xDC:  // UPDATE RECORD
        case 0x32:  // INCREASE
        case 0x04:  // INVALIDATE
        case 0x44:  // REHABILITATE
        case 0x24:  // CHANGE CHV
        case 0x26:  // DISABLE CHV
        case 0x28:  // ENABLE CHV
        case 0x2C:  // UNBLOCK CHV
            return true;
        default:
            return false;
    }
}

}  // namespace

HostileCard::HostileCard(sim::ApduCard& card, sim::SerialReaderEmulator& line, std::span<const std::uint8_t> script)
    : m_card(card), m_line(line) {
    if (script.size() >= kAtrBytes) {
        m_atrKind = script[0];
        m_atrA = script[1];
        m_atrB = script[2];
        script = script.subspan(kAtrBytes);
    }
    for (; script.size() >= kStepBytes; script = script.subspan(kStepBytes)) {
        m_steps.push_back(
            {static_cast<std::size_t>((script[0] & 0x03) << 8 | script[1]), script[2], script[3], script[4]});
    }
}

void HostileCard::WatchLine() {
    m_line.CardBehaviour().forcedStatus = [this](const sim::ApduHeader& header) -> std::optional<std::uint16_t> {
        PrepareLine(header);
        const std::size_t index = m_headers - 1;
        for (const Step& step : m_steps) {
            if (step.command != index) continue;
            if (step.kind % kKinds == kRefuse) {
                m_log.back().faulted = m_log.back().unusable = true;
                const bool wrongLength = (step.b & 1) != 0;
                const std::uint16_t sw =
                    wrongLength ? static_cast<std::uint16_t>(0x6C00 | step.a) : kErrors[step.a % std::size(kErrors)];
                ObserveAnswer(m_log.back(), {}, sw);
                return sw;
            }
            if (step.kind % kKinds == kPull) {
                m_log.back().faulted = m_log.back().unusable = true;
                ObserveAnswer(m_log.back(), {}, 0x6F00);
                m_pulled = true;
                m_line.PullCard();
                return std::nullopt;
            }
        }
        return std::nullopt;
    };
}

std::vector<std::uint8_t> HostileCard::Reset() {
    WatchLine();
    std::vector<std::uint8_t> atr = m_card.Reset();
    if (atr.empty()) return atr;
    const std::size_t at = m_atrA % atr.size();
    switch (m_atrKind % 6) {
        case 1:
            atr[at] ^= m_atrB == 0 ? 0xFF : m_atrB;
            break;
        case 2:
            atr.resize(at);
            break;
        case 3:
            atr.insert(atr.end(), 1 + m_atrB % 40, m_atrB);
            break;
        case 4:
            atr[at] = kInteresting[m_atrB % std::size(kInteresting)];
            break;
        default:  // most runs keep the card's own answer to reset
            return atr;
    }
    m_atrChanged = true;
    return atr;
}

void HostileCard::PrepareLine(const sim::ApduHeader& header) {
    sim::T0Behaviour& line = m_line.CardBehaviour();
    line.ackStyle = sim::AckStyle::Ins;
    line.nullsBeforeProcedure = 0;
    line.omitSw2 = false;
    line.omitProcedureAfterData = false;
    line.procedureByteOverride = -1;
    line.acknowledgementsAfterData = 0;
    m_log.push_back({header, std::nullopt, false});
    const std::size_t index = m_headers++;
    for (const Step& step : m_steps) {
        if (step.command != index || step.kind % kKinds != kLine) continue;
        // Nulls and the acknowledgement styles are all allowed; the other changes break the protocol.
        line.nullsBeforeProcedure = step.a % 4;
        line.ackStyle = static_cast<sim::AckStyle>(step.a / 4 % 3);
        line.omitSw2 = (step.b & 0x01) != 0;
        line.omitProcedureAfterData = (step.b & 0x02) != 0;
        line.acknowledgementsAfterData = (step.b & 0x04) != 0 ? 1 : 0;
        if ((step.b & 0x08) != 0) line.procedureByteOverride = step.b;
        m_log.back().faulted = m_log.back().unusable = (step.b & 0x0F) != 0;
    }
    if (ChangesCard(header)) {
        const auto addressed = Addressed(header);
        if (addressed && m_lastReadUnusable[*addressed]) m_wroteFromUnusableRead = true;
        m_planning = false;
    }
    if (header.ins == 0xA4) m_selected.reset();  // known again once the answer says it worked
}

std::optional<std::pair<std::uint16_t, int>> HostileCard::Addressed(const sim::ApduHeader& header) const {
    if (!m_selected) return std::nullopt;
    switch (header.ins) {
        case 0xB2:  // READ RECORD
        case 0xDC:  // UPDATE RECORD
            if (header.p2 != 0x04) return std::nullopt;
            return std::pair<std::uint16_t, int>{*m_selected, header.p1};
        case 0xB0:  // READ BINARY
        case 0xD6:  // UPDATE BINARY
            return std::pair<std::uint16_t, int>{*m_selected, -1};
        default:
            return std::nullopt;
    }
}

void HostileCard::ObserveAnswer(const Command& command, std::span<const std::uint8_t> data, std::uint16_t sw) {
    const bool success = IsSuccess(sw) && !command.unusable;
    if (command.header.ins == 0xA4 && success && data.size() == 2) {
        m_selected = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    }
    if (!m_planning || (command.header.ins != 0xB2 && command.header.ins != 0xB0)) return;
    if (const auto addressed = Addressed(command.header)) {
        // A transparent file read in pieces is unusable when any piece was.
        bool& unusable = m_lastReadUnusable[*addressed];
        unusable = command.header.ins == 0xB0 ? unusable || !success : !success;
    }
}

sim::ApduResponse HostileCard::Process(const sim::ApduHeader& header, std::span<const std::uint8_t> data) {
    if (m_pulled) return {{}, 0x6F00};  // gone with the command: its answer never leaves the reader
    sim::ApduResponse response = m_card.Process(header, data);
    if (m_log.empty()) m_log.push_back({header, std::nullopt, false});  // a line that skipped the question
    Command& command = m_log.back();
    command.realStatus = response.sw;
    const std::size_t index = m_headers == 0 ? 0 : m_headers - 1;
    for (const Step& step : m_steps) {
        if (step.command != index) continue;
        if (step.kind % kKinds == kKeepFlipping) m_everyAnswer = step;
        command.faulted = ApplyToAnswer(step, response, command.unusable) || command.faulted;
    }
    if (m_everyAnswer && m_everyAnswer->command != index) {
        Step every = *m_everyAnswer;
        every.kind = kFlip;
        command.faulted = ApplyToAnswer(every, response, command.unusable) || command.faulted;
    }
    ObserveAnswer(command, data, response.sw);
    return response;
}

bool HostileCard::ApplyToAnswer(const Step& step, sim::ApduResponse& response, bool& unusable) {
    std::vector<std::uint8_t>& bytes = response.data;
    switch (step.kind % kKinds) {
        case kRestate: {
            // Only a success may be restated as anything; a refusal stays a refusal, so the card
            // never claims to have done what it did not do.
            std::uint16_t told = kErrors[step.a % std::size(kErrors)];
            if (IsSuccess(response.sw) && (step.b & 1) != 0) {
                constexpr std::uint8_t kLengthWords[] = {0x9F, 0x61, 0x6C, 0x91, 0x90};
                told = static_cast<std::uint16_t>(kLengthWords[step.b / 2 % std::size(kLengthWords)] << 8 | step.a);
            }
            if (told == response.sw) return false;
            response.sw = told;
            unusable = true;
            return true;
        }
        case kFlip:
            if (bytes.empty()) return false;
            bytes[step.a % bytes.size()] ^= step.b == 0 ? 0xFF : step.b;
            return true;
        case kSet: {
            if (bytes.empty()) return false;
            std::uint8_t& byte = bytes[step.a % bytes.size()];
            const std::uint8_t value = kInteresting[step.b % std::size(kInteresting)];
            if (byte == value) return false;
            byte = value;
            return true;
        }
        case kTruncate:
            if (bytes.empty()) return false;
            bytes.resize(step.a % bytes.size());
            unusable = true;
            return true;
        case kExtend:
            if (bytes.empty()) return false;  // answers without data have no room on the line
            bytes.insert(bytes.end(), 1 + step.a % 40, step.b);
            return true;
        default:
            return false;
    }
}

bool HostileCard::SentChange() const {
    return std::any_of(m_log.begin(), m_log.end(), [](const Command& command) { return ChangesCard(command.header); });
}

std::optional<std::size_t> HostileCard::FirstChange() const {
    for (std::size_t index = 0; index < m_log.size(); ++index) {
        const Command& command = m_log[index];
        if (ChangesCard(command.header) && command.realStatus && *command.realStatus == 0x9000) return index;
    }
    return std::nullopt;
}

std::optional<std::size_t> HostileCard::LastFault() const {
    for (std::size_t index = m_log.size(); index-- > 0;) {
        if (m_log[index].faulted) return index;
    }
    return std::nullopt;
}

}  // namespace quillet::fuzz
