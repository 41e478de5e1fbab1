#pragma once

#include <functional>

#include "sim/ApduCard.h"
#include "sim/CardFaultPlan.h"

namespace quillet::sim {

// Sits in front of a card and carries out a fault plan: it passes every command on, except that
// it fails, garbles or never answers the commands the plan names. Unarmed it changes nothing.
class FaultInjectingCard final : public ApduCard {
public:
    // `pulled` runs when the plan pulls the card, so the reader the card sits in can lose it (its
    // card-present signal drops and the command's answer never leaves). A reader that cannot lose a
    // card hears 6F00 from then on.
    FaultInjectingCard(ApduCard& card, std::function<void()> pulled);

    // Starts a plan; its command numbers count from the next command.
    void Arm(CardFaultPlan plan);
    // Stops injecting faults; a pulled card is back.
    void Disarm();

    std::vector<std::uint8_t> Reset() override;
    bool TakesData(const ApduHeader& header) const override;
    ApduResponse Process(const ApduHeader& header, std::span<const std::uint8_t> data) override;

    // Commands received since the plan was armed, and faults that have happened so far.
    std::size_t CommandsSinceArmed() const { return m_commands; }
    std::size_t FaultsInjected() const { return m_injected; }
    bool IsPulled() const { return m_pulled; }

private:
    // True when the fault's byte lies within the answer.
    static bool Garble(ApduResponse& response, const CardFault& fault);

    ApduCard& m_card;
    std::function<void()> m_onPulled;
    CardFaultPlan m_plan;
    std::size_t m_commands = 0;
    std::size_t m_injected = 0;
    bool m_pulled = false;
};

}  // namespace quillet::sim
