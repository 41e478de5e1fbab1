// The fault plans of the virtual card, seen through the VIRTUAL device: which command a fault
// hits, whether the card carried the command out, and what reaches the reader.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "sim/SimProfileJson.h"
#include "sim/VirtualCardReader.h"
#include "support/ReaderCommands.h"
#include "support/SimCommands.h"
#include "support/TemporaryFolder.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using reader::Direction;
namespace result = reader::result;

class FaultPlan : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(SaveSimProfile(m_path, testing::MakeTestSimProfile(), error)) << error;
        ASSERT_EQ(reader.Open("VIRTUAL:" + m_path, 0), result::kOk) << reader.LastError();
        ASSERT_EQ(reader.PowerOn(nullptr), result::kOk);
        Bytes pin = testing::SimCommands::Code("1234");
        ASSERT_EQ(testing::Command(reader, 0x20, 0, 1, 8, pin, Direction::ToCard), 0x9000);
    }
    // Selects ADN, writes "AAA…" into its second record and reads it back: four commands. Each
    // gives its status word, or the reader's result when none came.
    std::vector<std::uint16_t> WriteAndReadBack(Bytes& readBack) {
        Bytes record(30, 'A');
        readBack.assign(30, 0);
        return {testing::Select(reader, 0x7F10), testing::Select(reader, 0x6F3A),
                testing::Command(reader, 0xDC, 2, 4, 30, record, Direction::ToCard),
                testing::Command(reader, 0xB2, 2, 4, 30, readBack, Direction::FromCard)};
    }
    std::uint8_t StoredFirstByte() { return reader.Card()->Profile().FindFile(0x7F10, 0x6F3A)->records[1][0]; }

    testing::TemporaryFolder m_folder;
    std::string m_path = m_folder.File("card.json");
    VirtualCardReader reader;
};

TEST_F(FaultPlan, HitsTheCommandItNamesCountingFromWhenItWasArmed) {
    constexpr std::uint16_t kNoStatus = 0;  // the reader got no status word
    const struct {
        const char* name;
        CardFaultPlan plan;
        std::vector<std::uint16_t> answers;
        std::uint8_t stored;    // first byte of the record on the card afterwards
        std::uint8_t readByte;  // first byte the reader got back
        std::size_t received;   // commands that reached the card
    } cases[] = {
        {"none", CardFaultPlan(), {0x9F16, 0x9F0F, 0x9000, 0x9000}, 'A', 'A', 4},
        {"refused update", CardFaultPlan().FailCommand(2, 0x6581), {0x9F16, 0x9F0F, 0x6581, 0x9000}, 0x02, 0x02, 4},
        {"garbled status", CardFaultPlan().GarbleAnswer(2, -2), {0x9F16, 0x9F0F, 0x6F00, 0x9000}, 'A', 'A', 4},
        {"garbled data",
         CardFaultPlan().GarbleAnswer(3, 0, 0x0F),
         {0x9F16, 0x9F0F, 0x9000, 0x9000},
         'A',
         'A' ^ 0x0F,
         4},
        {"pulled", CardFaultPlan().PullCard(2), {0x9F16, 0x9F0F, kNoStatus, kNoStatus}, 0x02, 0, 3},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        reader.Card()->MutableProfile().FindFile(0x7F10, 0x6F3A)->records[1][0] = 0x02;
        ASSERT_TRUE(reader.ArmFaults(test.plan));
        Bytes readBack;
        std::vector<std::uint16_t> answers = WriteAndReadBack(readBack);
        for (std::uint16_t& answer : answers) {
            if (answer < 0x6000) answer = kNoStatus;
        }
        EXPECT_EQ(answers, test.answers);
        EXPECT_EQ(StoredFirstByte(), test.stored);
        EXPECT_EQ(readBack[0], test.readByte);
        EXPECT_EQ(reader.Faults()->CommandsSinceArmed(), test.received);
        EXPECT_EQ(reader.Faults()->FaultsInjected(), test.plan.Faults().size());
        reader.DisarmFaults();
        ASSERT_EQ(testing::PowerOnAtr(reader, true).empty(), false);
        Bytes pin = testing::SimCommands::Code("1234");
        ASSERT_EQ(testing::Command(reader, 0x20, 0, 1, 8, pin, Direction::ToCard), 0x9000);
    }
}

TEST_F(FaultPlan, APulledCardStaysGoneUntilThePlanEnds) {
    ASSERT_TRUE(reader.ArmFaults(CardFaultPlan().PullCard(0)));
    EXPECT_LT(testing::Select(reader, 0x7F10), 0x6000);  // no status word came
    ASSERT_EQ(reader.PowerOff(), result::kOk);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kCardNotInserted);
    reader.DisarmFaults();
    ASSERT_EQ(reader.PowerOn(nullptr), result::kOk);
    EXPECT_EQ(testing::Select(reader, 0x7F10), 0x9F16);
}

}  // namespace
}  // namespace quillet::sim
