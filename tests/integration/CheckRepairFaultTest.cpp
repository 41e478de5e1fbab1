// A repair of a card with a dangling link, a shared chain, a loop and a link to a free record, stopped
// at each of its commands in turn (refused, card pulled, garbled answer): no number ever changes, no
// record is left naming another's extension records or a free one that was not named so before, and
// the next repair finishes the job.
#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "support/FaultRig.h"

namespace quillet {
namespace {

using testing::DiallingRecord;
using testing::ExtensionRecord;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kAdn = 0x6F3A;
constexpr std::uint16_t kExt1 = 0x6F4A;
constexpr std::uint16_t kMemoryProblem = 0x6581;

sim::SimProfile BrokenCard() {
    sim::SimProfile card = sim::BuildDemoSimProfile();
    auto& adn = card.FindFile(kTelecom, kAdn)->records;
    auto& ext1 = card.FindFile(kTelecom, kExt1)->records;
    adn.resize(24);  // the rest only costs time
    adn.at(6) = DiallingRecord("Dangling", "46812345678", 0x20);
    adn.at(7) = DiallingRecord("Free Marked", "12345678901234567890", 5);
    adn.at(8) = DiallingRecord("Sharer", "22421849300000000000", 7);  // into the looping chain: 7 -> 6 -> 7
    adn.at(9) = DiallingRecord("Looper", "49891234567000000000", 6);
    ext1.at(5) = ExtensionRecord("11", 7);
    ext1.at(6) = ExtensionRecord("22", 6);
    return card;
}

// Numbers by record; the errors a fresh check finds, as (section, record, problem).
struct CardState {
    testing::CardNumbers numbers;
    std::set<std::tuple<card::CheckSection, std::size_t, card::CheckProblem>> errors;
    std::size_t lost = 0;
};

CardState ReadState(testing::SessionRig& rig) {
    CardState state;
    state.numbers = testing::ReadNumbers(rig, {kAdn});
    for (const card::CheckFinding& finding : testing::CheckFindings(rig)) {
        if (finding.problem == card::CheckProblem::LostExtension) {
            ++state.lost;
        } else if (finding.repair != card::CheckRepair::None) {
            state.errors.insert({finding.section, finding.record, finding.problem});
        }
    }
    return state;
}

class CheckRepairFaults : public testing::FaultRig {
protected:
    // The check as the window makes it, then the repair with the fault plan armed; a card already
    // `checked` is repaired at once.
    bool Repair(const sim::SimProfile& card, const sim::CardFaultPlan& plan, bool checked = false) {
        Restart(card);
        m_rig.ui.pins = {"1234"};
        std::string brief;
        std::string detailed;
        bool errorsFound = false;
        bool needsPin2 = false;
        if (!m_rig.session->BeginSession(true, false, true)) return false;
        if (!checked) {
            EXPECT_TRUE(m_rig.session->LoadCardFiles(0x1F, 0) &&
                        card::CheckCard(*m_rig.session, brief, detailed, errorsFound, needsPin2, false));
            EXPECT_TRUE(errorsFound);
            EXPECT_FALSE(needsPin2);
        }
        m_rig.ClearLog();
        m_rig.Reader().ArmFaults(plan);
        const bool repaired = card::CheckCard(*m_rig.session, brief, detailed, errorsFound, needsPin2, true);
        m_rig.Reader().DisarmFaults();
        m_rig.session->EndSession();
        return repaired;
    }
};

TEST_F(CheckRepairFaults, EveryInterruptedRepairKeepsEachNumberAndTheNextRepairFinishes) {
    const sim::SimProfile broken = BrokenCard();
    Restart(broken);
    const CardState before = ReadState(m_rig);
    ASSERT_EQ(before.errors.size(), 4u);
    ASSERT_TRUE(Repair(broken, {})) << m_rig.session->FormatLastError();
    const std::size_t commands = m_rig.sent.size();
    const CardState repaired = ReadState(m_rig);
    EXPECT_EQ(repaired.numbers, before.numbers);
    EXPECT_TRUE(repaired.errors.empty());
    EXPECT_EQ(repaired.lost, 0u);
    ASSERT_GT(commands, 10u);

    std::vector<std::string> findings;
    std::size_t scenarios = 0;
    for (std::size_t index = 0; index < commands; ++index) {
        for (int fault = 0; fault < 3; ++fault) {
            sim::CardFaultPlan plan;
            if (fault == 0) plan.FailCommand(index, kMemoryProblem);
            if (fault == 1) plan.PullCard(index);
            if (fault == 2) plan.GarbleAnswer(index, -3);
            ++scenarios;
            const std::string where = "fault " + std::to_string(fault) + " at command " + std::to_string(index);
            const bool reported = Repair(broken, plan);
            const sim::SimProfile interrupted = m_rig.Card().Profile();
            const CardState after = ReadState(m_rig);
            if (after.numbers != before.numbers) findings.push_back(where + ": a number changed");
            // Every error left is one the card had; copies not yet linked may be left unreachable.
            for (const auto& error : after.errors) {
                if (!before.errors.contains(error)) findings.push_back(where + ": a new error");
            }
            if (reported && !after.errors.empty()) findings.push_back(where + ": reported done, errors left");

            // The next repair, without faults, finishes the job.
            if (!after.errors.empty() || after.lost != 0) {
                if (!Repair(interrupted, {}, true)) {
                    findings.push_back(where + ": the second repair failed: " + m_rig.session->FormatLastError());
                }
                const CardState finished = ReadState(m_rig);
                if (!finished.errors.empty() || finished.lost != 0)
                    findings.push_back(where + ": errors after two repairs");
                if (finished.numbers != before.numbers)
                    findings.push_back(where + ": the second repair changed a number");
            }
        }
    }
    std::cout << "repair fault scenarios: " << scenarios << std::endl;
    std::string text;
    for (const std::string& finding : findings) text += finding + "\n";
    EXPECT_TRUE(findings.empty()) << findings.size() << " problems:\n" << text;
}

}  // namespace
}  // namespace quillet
