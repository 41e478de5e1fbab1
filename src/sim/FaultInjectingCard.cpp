#include "sim/FaultInjectingCard.h"

#include "sim/SimStatusWords.h"

namespace quillet::sim {

FaultInjectingCard::FaultInjectingCard(ApduCard& card, std::function<void()> pulled)
    : m_card(card), m_onPulled(std::move(pulled)) {}

void FaultInjectingCard::Arm(CardFaultPlan plan) {
    m_plan = std::move(plan);
    m_commands = 0;
    m_injected = 0;
}

void FaultInjectingCard::Disarm() {
    m_plan = {};
    m_pulled = false;
}

std::vector<std::uint8_t> FaultInjectingCard::Reset() {
    if (m_pulled) return {};
    return m_card.Reset();
}

bool FaultInjectingCard::TakesData(const ApduHeader& header) const { return m_card.TakesData(header); }

ApduResponse FaultInjectingCard::Process(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (m_pulled) return {{}, sw::kTechnicalProblem};
    const std::size_t command = m_commands++;
    for (const CardFault& fault : m_plan.Faults()) {
        if (fault.command != command) continue;
        if (fault.kind == CardFault::Kind::CardPulled) {
            ++m_injected;
            m_pulled = true;
            if (m_onPulled) m_onPulled();
            return {{}, sw::kTechnicalProblem};
        }
        if (fault.kind == CardFault::Kind::StatusWord) {
            ++m_injected;
            return {{}, fault.statusWord};
        }
    }
    ApduResponse response = m_card.Process(header, data);
    for (const CardFault& fault : m_plan.Faults()) {
        if (fault.command == command && fault.kind == CardFault::Kind::GarbledByte && Garble(response, fault)) {
            ++m_injected;
        }
    }
    return response;
}

bool FaultInjectingCard::Garble(ApduResponse& response, const CardFault& fault) {
    const auto length = static_cast<std::ptrdiff_t>(response.data.size()) + 2;
    const std::ptrdiff_t position = fault.byte < 0 ? length + fault.byte : fault.byte;
    if (position < 0 || position >= length) return false;
    const auto dataLength = static_cast<std::ptrdiff_t>(response.data.size());
    if (position < dataLength) {
        response.data[static_cast<std::size_t>(position)] ^= fault.mask;
    } else {
        const int shift = position == dataLength ? 8 : 0;  // SW1 is the high byte
        response.sw = static_cast<std::uint16_t>(response.sw ^ (fault.mask << shift));
    }
    return true;
}

}  // namespace quillet::sim
