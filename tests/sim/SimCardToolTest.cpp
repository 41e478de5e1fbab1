// quillet-simcard's commands on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "sim/SimCardTool.h"
#include "sim/SimProfileJson.h"
#include "support/TemporaryFolder.h"

namespace quillet::sim {
namespace {

class SimCardTool : public ::testing::Test {
protected:

    int Run(std::vector<std::string> arguments) {
        m_out.str("");
        m_err.str("");
        return RunSimCardTool(arguments, m_out, m_err);
    }
    SimProfile Load() {
        SimProfile profile;
        std::string error;
        EXPECT_TRUE(LoadSimProfile(m_card, profile, error)) << error;
        return profile;
    }

    testing::TemporaryFolder m_temporary;
    const std::filesystem::path& m_folder = m_temporary.Path();
    std::string m_card = m_temporary.File("card.json");
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(SimCardTool, CreatesAndDumpsTheDemoCards) {
    ASSERT_EQ(Run({"create-demo", m_card}), 0);
    ASSERT_EQ(Run({"dump", m_card}), 0);
    EXPECT_NE(m_out.str().find("chv1: 1234, 3 of 3 attempts left"), std::string::npos);
    EXPECT_NE(m_out.str().find("7F10/6F3A"), std::string::npos);

    const std::string phone = (m_folder / "phone.json").string();
    ASSERT_EQ(Run({"create-telephone-card", phone}), 0);
    ASSERT_EQ(Run({"dump", phone}), 0);
    EXPECT_NE(m_out.str().find("Telephone chip card memory"), std::string::npos);
    EXPECT_EQ(Run({"block", phone, "chv1"}), 1);
}

TEST_F(SimCardTool, SetsBlocksAndResetsCounters) {
    ASSERT_EQ(Run({"create-demo", m_card}), 0);
    ASSERT_EQ(Run({"block", m_card, "chv1"}), 0);
    EXPECT_EQ(Load().chv1.attemptsLeft, 0);
    ASSERT_EQ(Run({"set-counter", m_card, "unblock-chv2", "4"}), 0);
    EXPECT_EQ(Load().unblockChv2.attemptsLeft, 4);
    ASSERT_EQ(Run({"unblock", m_card, "chv1"}), 0);
    EXPECT_EQ(Load().chv1.attemptsLeft, 3);
    ASSERT_EQ(Run({"block", m_card, "chv2"}), 0);
    ASSERT_EQ(Run({"reset-counters", m_card}), 0);
    EXPECT_EQ(Load().chv2.attemptsLeft, 3);
    EXPECT_EQ(Load().unblockChv2.attemptsLeft, 10);
}

TEST_F(SimCardTool, WrongUsageChangesNothing) {
    ASSERT_EQ(Run({"create-demo", m_card}), 0);
    const SimProfile before = Load();
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"frobnicate", m_card}), 2);
    EXPECT_EQ(Run({"block", m_card}), 2);
    EXPECT_EQ(Run({"block", m_card, "pin9"}), 2);
    EXPECT_EQ(Run({"set-counter", m_card, "chv1", "4"}), 2);
    EXPECT_EQ(Run({"set-counter", m_card, "chv1", "-1"}), 2);
    EXPECT_EQ(Load(), before);
    EXPECT_EQ(Run({"dump", (m_folder / "missing.json").string()}), 1);
    EXPECT_NE(m_err.str().find("missing.json: cannot be opened"), std::string::npos);
}

}  // namespace
}  // namespace quillet::sim
