#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "sim/ApduCard.h"

namespace quillet::sim {

// How the card acknowledges a command's data in the T=0 procedure.
enum class AckStyle {
    Ins,         // one procedure byte INS, then all data
    InsPlusOne,  // one procedure byte INS + 1, then all data
    EachByte,    // the complement of INS before every single data byte
};

// Ways a card may behave on the line, including faulty ones for tests.
struct T0Behaviour {
    AckStyle ackStyle = AckStyle::Ins;
    int nullsBeforeProcedure = 0;         // NULL bytes (0x60) before the first procedure byte
    bool omitSw2 = false;                 // send SW1 and then nothing
    bool omitProcedureAfterData = false;  // after the data, send nothing more
    int procedureByteOverride = -1;       // send this byte instead of the acknowledgement
    int acknowledgementsAfterData = 0;    // extra acknowledgements once all data has moved
    // When it returns a status word for a command, the card answers with it at once and does
    // not carry the command out.
    std::function<std::optional<std::uint16_t>(const ApduHeader&)> forcedStatus;
};

// The card side of the T=0 protocol over a command-level card: takes the host's bytes one at a
// time, in direct convention, and returns what the card sends back.
class T0LineAdapter {
public:
    explicit T0LineAdapter(ApduCard& card, T0Behaviour behaviour = {});

    // Resets the card and returns its answer to reset.
    std::vector<std::uint8_t> Reset();
    std::vector<std::uint8_t> Receive(std::uint8_t byte);

    T0Behaviour& Behaviour() { return m_behaviour; }
    // Commands whose header the card has received since it was made.
    std::size_t CommandsReceived() const { return m_commandsReceived; }
    // True between commands, when the next byte starts a header.
    bool AtCommandStart() const { return !m_receivingData && m_header.empty(); }

private:
    void SendProcedure(std::vector<std::uint8_t>& out, std::uint8_t acknowledgement) const;
    void Finish(std::vector<std::uint8_t>& out);
    void SendStatus(std::vector<std::uint8_t>& out, std::uint16_t sw) const;

    ApduCard& m_card;
    T0Behaviour m_behaviour;
    std::vector<std::uint8_t> m_header;
    std::vector<std::uint8_t> m_data;
    bool m_receivingData = false;
    std::size_t m_commandsReceived = 0;
};

}  // namespace quillet::sim
