// quillet-cli on a virtual card file.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliApp.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/TemporaryFolder.h"

namespace quillet::cli {
namespace {

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::SaveSimProfile(m_card, sim::BuildDemoSimProfile(), error)) << error;
    }
    int Run(std::vector<std::string> arguments) {
        out.str("");
        err.str("");
        arguments.insert(arguments.begin(), {"--device", "VIRTUAL:" + m_card});
        return RunCli(arguments, out, err);
    }
    sim::SimProfile Card() {
        sim::SimProfile profile;
        std::string error;
        EXPECT_TRUE(sim::LoadSimProfile(m_card, profile, error)) << error;
        return profile;
    }

    testing::TemporaryFolder m_folder;
    std::string m_card = m_folder.File("card.json");
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(Cli, ReadsAndWritesNetworkLists) {
    ASSERT_EQ(Run({"--pin", "1234", "networks", "read"}), kExitOk) << err.str();
    EXPECT_NE(out.str().find("1: 232-01"), std::string::npos) << out.str();
    ASSERT_EQ(Run({"--pin", "1234", "networks", "write", "--forbidden", "230-03", "310-150"}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "networks", "read", "--forbidden"}), kExitOk);
    EXPECT_NE(out.str().find("1: 230-03"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("2: 310-150"), std::string::npos) << out.str();
}

TEST_F(Cli, PinCommandsChangeTheCard) {
    EXPECT_EQ(Run({"--pin", "1234", "pin", "verify"}), kExitOk) << err.str();
    EXPECT_EQ(Run({"--pin", "0000", "pin", "verify"}), kExitCardFailure);
    EXPECT_NE(err.str().find("Communication error:\nNo valid PIN entered"), std::string::npos) << err.str();
    EXPECT_EQ(Card().chv1.attemptsLeft, 2);
    EXPECT_EQ(Run({"pin", "change", "1234", "4321"}), kExitOk) << err.str();
    EXPECT_EQ(Card().chv1.digits, "4321");
    EXPECT_EQ(Run({"pin", "disable", "4321"}), kExitOk) << err.str();
    EXPECT_FALSE(Card().chv1Enabled);
    EXPECT_EQ(Run({"pin", "unblock", "--pin2", "87654321", "2468"}), kExitOk) << err.str();
    EXPECT_EQ(Card().chv2.digits, "2468");
}

TEST_F(Cli, PhoneBooksAndMessagesTravelThroughTextFiles) {
    const std::string dia = m_folder.File("book.dia");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read", "-o", dia}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "write", dia}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitOk) << err.str();
    const std::string once = out.str();
    EXPECT_NE(once.find("Bank Hotline\t+420221234567p1234p987654"), std::string::npos) << once;
    // Written once, the book reads back the same: what a text file can carry survives.
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "write", dia}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitOk);
    EXPECT_EQ(out.str(), once);

    const std::string messages = m_folder.File("messages.sms");
    ASSERT_EQ(Run({"--pin", "1234", "sms", "read", "-o", messages}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "sms", "write", messages}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "sms", "read"}), kExitOk);
    EXPECT_NE(out.str().find(">Dinner at 8?"), std::string::npos) << out.str();
    EXPECT_EQ(Run({"--pin", "1234", "sms", "write", m_folder.File("missing.sms")}), kExitFileError);
}

TEST_F(Cli, SmsParametersAreReadAndWritten) {
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "write", "--centre", "+420603052000", "--validity", "7 days"}), kExitOk)
        << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "read"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "centre: +420603052000\nvalidity: 7 days\n");
    EXPECT_EQ(Run({"smsp", "write", "--centre", "+1"}), kExitUsage);
}

TEST_F(Cli, ABackupRestoresTheChosenPartsOnly) {
    const std::string backup = m_folder.File("card.sim");
    ASSERT_EQ(Run({"--pin", "1234", "backup", backup}), kExitOk) << err.str();
    EXPECT_NE(err.str().find("Backup of SIM Card successfully completed"), std::string::npos) << err.str();
    const sim::SimProfile original = Card();

    ASSERT_EQ(Run({"--pin", "1234", "networks", "write", "262-01"}), kExitOk) << err.str();
    ASSERT_EQ(Run({"--pin", "1234", "smsp", "write", "--centre", "+1", "--validity", "1 hour"}), kExitOk);
    ASSERT_EQ(Run({"--pin", "1234", "restore", backup, "--only", "networks"}), kExitOk) << err.str();
    sim::SimProfile restored = Card();
    EXPECT_EQ(restored.FindFile(0x7F20, 0x6F30)->content, original.FindFile(0x7F20, 0x6F30)->content);
    EXPECT_NE(restored.FindFile(0x7F10, 0x6F42)->records, original.FindFile(0x7F10, 0x6F42)->records);

    ASSERT_EQ(Run({"--pin", "1234", "--pin2", "5678", "restore", backup}), kExitOk) << err.str();
    EXPECT_EQ(Card().FindFile(0x7F10, 0x6F42)->records, original.FindFile(0x7F10, 0x6F42)->records);

    EXPECT_EQ(Run({"restore", backup, "--only", "phonebook,contacts"}), kExitUsage);
    EXPECT_EQ(Run({"restore", m_folder.File("missing.sim")}), kExitFileError);
    EXPECT_NE(err.str().find("Cannot open backup file."), std::string::npos);
    EXPECT_EQ(Run({"backup"}), kExitUsage);
    EXPECT_EQ(Run({"--pin", "1234", "backup", m_folder.File("no-such-folder/card.sim")}), kExitFileError);
}

TEST_F(Cli, UsageAndDeviceErrorsHaveTheirExitCodes) {
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_EQ(Run({"frobnicate"}), kExitUsage);
    EXPECT_EQ(Run({"networks", "write", "23001"}), kExitUsage);
    EXPECT_EQ(Run({"pin", "change", "1234"}), kExitUsage);
    EXPECT_EQ(Run({"--help"}), kExitOk);
    out.str("");
    EXPECT_EQ(RunCli({"--device", "COM9", "pin", "verify"}, out, err), kExitCardFailure);
    EXPECT_NE(err.str().find("Non-specific error"), std::string::npos);
    EXPECT_EQ(RunCli({"readers"}, out, err), kExitOk);
    EXPECT_NE(out.str().find("VIRTUAL"), std::string::npos);
}

}  // namespace
}  // namespace quillet::cli
