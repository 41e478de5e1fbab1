// Card files: profiles as JSON (round trip, atomic saving, refusal of malformed files) and
// quillet-simcard's commands on them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/SimCardTool.h"
#include "sim/SimProfileJson.h"
#include "support/TemporaryFolder.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

std::string ReplaceFirst(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(SimProfileJson, RoundTripKeepsEveryField) {
    SimProfile profile = testing::MakeTestSimProfile();
    profile.chv1Enabled = false;
    profile.chv2.attemptsLeft = 1;
    profile.unblockChv2.initialised = false;
    profile.files[4].usableWhenInvalidated = true;
    SimProfile read;
    std::string error;
    ASSERT_TRUE(ParseSimProfile(SerializeSimProfile(profile), "card.json", read, error)) << error;
    EXPECT_EQ(read, profile);

    SimProfile memory;
    memory.kind = SimProfile::Kind::MemoryCard;
    memory.memory[1] = 0x83;
    memory.memory[31] = 0x5A;
    SimProfile readMemory;
    ASSERT_TRUE(ParseSimProfile(SerializeSimProfile(memory), "phone.json", readMemory, error)) << error;
    EXPECT_EQ(readMemory.kind, SimProfile::Kind::MemoryCard);
    EXPECT_EQ(readMemory.memory, memory.memory);
}

TEST(SimProfileJson, MalformedProfilesAreRefusedNamingFileAndField) {
    const std::string good = SerializeSimProfile(testing::MakeTestSimProfile());
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"{ not json", "card.json: not a valid JSON document"},
        {ReplaceFirst(good, "\"atr\": \"3B", "\"atr\": \"3G"), "card.json: atr: bad hexadecimal digit 'G'"},
        {ReplaceFirst(good, "\"content\": \"9810", "\"content\": \"981"), "files[0] (3F00/2FE2).content: odd number"},
        {ReplaceFirst(good, "\"records\": [\n        \"01FF", "\"records\": [\n        \"01"),
         "files[3] (7F10/6F3A).records[0]: must hold 30 bytes, not 29"},
        {ReplaceFirst(good, "\"recordLength\": 30", "\"recordLength\": 300"), "files[3] (7F10/6F3A).recordLength"},
        {ReplaceFirst(good, "\"digits\": \"1234\"", "\"digits\": \"12a4\""), "codes.chv1.digits"},
        {ReplaceFirst(good, "\"attemptsLeft\": 3", "\"attemptsLeft\": 4"), "codes.chv1.attemptsLeft"},
        {ReplaceFirst(good, "\"read\": \"CHV1\"", "\"read\": \"PIN\""), "access.read: must be ALW"},
        {ReplaceFirst(good, "\"path\": \"7F10/6F3A\"", "\"path\": \"7F30/6F3A\""), "7F30 is not listed"},
        {ReplaceFirst(good, "\"path\": \"7F10/6F3B\"", "\"path\": \"7F10/6F3A\""), "is used twice"},
        {ReplaceFirst(good, "\"structure\": \"cyclic\"", "\"structure\": \"ring\""), "structure: must be"},
        {ReplaceFirst(good, "\"kind\": \"sim\"", "\"kind\": \"memory-card\""), "memory: missing"},
        {ReplaceFirst(good, "\"invalidated\": true", "\"invalidated\": \"yes\""), "invalidated: must be true or false"},
        {ReplaceFirst(good, "\"format\": \"quillet-virtual-card\"", "\"format\": \"other\""), "format"},
        {ReplaceFirst(good, "\"maxAttempts\": 3", "\"maxAttempts\": 0"), "codes.chv1.maxAttempts: must be 1 to 15"},
        {ReplaceFirst(good, "\"id\": \"7F20\"", "\"id\": \"6F20\""), "directories[0].id: a DF id starts with 7F"},
        {ReplaceFirst(good, "\"path\": \"7F10/6F3A\"", "\"path\": \"7F10/7F3A\""), "starting with 6F"},
        {ReplaceFirst(ReplaceFirst(good, "\"chv1Enabled\": true", "\"chv1Enabled\": false"), "\"attemptsLeft\": 3",
                      "\"attemptsLeft\": 0"),
         "a disabled CHV1 cannot be blocked"},
    };
    for (const Case& testCase : cases) {
        SimProfile profile = testing::MakeTestSimProfile();
        const SimProfile before = profile;
        std::string error;
        EXPECT_FALSE(ParseSimProfile(testCase.text, "card.json", profile, error)) << testCase.expected;
        EXPECT_NE(error.find(testCase.expected), std::string::npos) << error;
        EXPECT_EQ(error.rfind("card.json: ", 0), 0u) << error;
        EXPECT_EQ(profile, before);  // nothing half-loaded
    }
}

TEST(SimProfileJson, SavingReplacesTheFileWhole) {
    testing::TemporaryFolder temporary;
    const std::filesystem::path& folder = temporary.Path();
    const std::string path = temporary.File("card.json");

    std::string error;
    SimProfile profile = testing::MakeTestSimProfile();
    ASSERT_TRUE(SaveSimProfile(path, profile, error)) << error;
    profile.files[0].content[9] = 0x12;
    ASSERT_TRUE(SaveSimProfile(path, profile, error)) << error;
    SimProfile loaded;
    ASSERT_TRUE(LoadSimProfile(path, loaded, error)) << error;
    EXPECT_EQ(loaded, profile);
    // Only the card file is left: the temporary file was renamed into place (links and modes are the
    // saving routine's own tests).
    EXPECT_EQ(temporary.Entries(), 1);

    EXPECT_FALSE(SaveSimProfile((folder / "missing" / "card.json").string(), profile, error));
    EXPECT_FALSE(LoadSimProfile((folder / "nothing.json").string(), loaded, error));
    EXPECT_NE(error.find("nothing.json: cannot be opened"), std::string::npos);
}

class SimCardTool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Run({"create-demo", m_card}), 0); }
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
