#include "sim/T0LineAdapter.h"

#include <algorithm>

namespace quillet::sim {

namespace {
constexpr std::uint8_t kNull = 0x60;
constexpr std::size_t kHeaderLength = 5;
}  // namespace

T0LineAdapter::T0LineAdapter(ApduCard& card, T0Behaviour behaviour) : m_card(card), m_behaviour(behaviour) {}

std::vector<std::uint8_t> T0LineAdapter::Reset() {
    m_header.clear();
    m_data.clear();
    m_receivingData = false;
    return m_card.Reset();
}

std::vector<std::uint8_t> T0LineAdapter::Receive(std::uint8_t byte) {
    std::vector<std::uint8_t> out;
    if (m_receivingData) {
        m_data.push_back(byte);
        if (m_data.size() == m_header[4]) {
            Finish(out);
        } else if (m_behaviour.ackStyle == AckStyle::EachByte) {
            out.push_back(static_cast<std::uint8_t>(~m_header[1]));
        }
        return out;
    }

    m_header.push_back(byte);
    if (m_header.size() < kHeaderLength) {
        return out;
    }
    const ApduHeader header{m_header[0], m_header[1], m_header[2], m_header[3], m_header[4]};
    ++m_commandsReceived;
    if (m_behaviour.forcedStatus) {
        if (const std::optional<std::uint16_t> forced = m_behaviour.forcedStatus(header)) {
            SendStatus(out, *forced);
            m_header.clear();
            return out;
        }
    }
    const std::uint8_t ins = header.ins;
    const std::uint8_t acknowledgement = m_behaviour.ackStyle == AckStyle::EachByte ? static_cast<std::uint8_t>(~ins)
                                         : m_behaviour.ackStyle == AckStyle::InsPlusOne
                                             ? static_cast<std::uint8_t>(ins + 1)
                                             : ins;
    if (m_card.TakesData(header) && header.p3 > 0) {
        m_receivingData = true;
        SendProcedure(out, acknowledgement);
        return out;
    }

    const ApduResponse response = m_card.Process(header, {});
    const std::size_t expected = header.p3 == 0 ? 256 : header.p3;
    const std::size_t count = m_card.TakesData(header) ? 0 : std::min(response.data.size(), expected);
    if (count == 0) {
        for (int index = 0; index < m_behaviour.nullsBeforeProcedure; ++index) {
            out.push_back(kNull);
        }
        SendStatus(out, response.sw);
    } else {
        for (std::size_t index = 0; index < count; ++index) {
            if (index == 0) {
                SendProcedure(out, acknowledgement);
            } else if (m_behaviour.ackStyle == AckStyle::EachByte) {
                out.push_back(acknowledgement);
            }
            out.push_back(response.data[index]);
        }
        for (int index = 0; index < m_behaviour.acknowledgementsAfterData; ++index) {
            out.push_back(acknowledgement);
        }
        if (!m_behaviour.omitProcedureAfterData) {
            SendStatus(out, response.sw);
        }
    }
    m_header.clear();
    return out;
}

void T0LineAdapter::SendProcedure(std::vector<std::uint8_t>& out, std::uint8_t acknowledgement) const {
    for (int index = 0; index < m_behaviour.nullsBeforeProcedure; ++index) {
        out.push_back(kNull);
    }
    out.push_back(m_behaviour.procedureByteOverride >= 0 ? static_cast<std::uint8_t>(m_behaviour.procedureByteOverride)
                                                         : acknowledgement);
}

void T0LineAdapter::Finish(std::vector<std::uint8_t>& out) {
    const ApduHeader header{m_header[0], m_header[1], m_header[2], m_header[3], m_header[4]};
    const ApduResponse response = m_card.Process(header, m_data);
    for (int index = 0; index < m_behaviour.acknowledgementsAfterData; ++index) {
        out.push_back(m_behaviour.ackStyle == AckStyle::InsPlusOne ? static_cast<std::uint8_t>(header.ins + 1)
                      : m_behaviour.ackStyle == AckStyle::EachByte ? static_cast<std::uint8_t>(~header.ins)
                                                                   : header.ins);
    }
    if (!m_behaviour.omitProcedureAfterData) {
        SendStatus(out, response.sw);
    }
    m_header.clear();
    m_data.clear();
    m_receivingData = false;
}

void T0LineAdapter::SendStatus(std::vector<std::uint8_t>& out, std::uint16_t sw) const {
    out.push_back(static_cast<std::uint8_t>(sw >> 8));
    if (!m_behaviour.omitSw2) {
        out.push_back(static_cast<std::uint8_t>(sw & 0xFF));
    }
}

}  // namespace quillet::sim
