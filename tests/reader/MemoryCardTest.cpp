// Reading the memory of a prepaid telephone chip card through the serial reader.
#include <gtest/gtest.h>

#include "support/EmulatedSerialReader.h"

namespace quillet::reader {
namespace {

using testing::EmulatedSerialReader;

std::array<std::uint8_t, 32> SampleMemory() {
    std::array<std::uint8_t, 32> memory{};
    for (std::size_t index = 0; index < memory.size(); ++index) {
        memory[index] = static_cast<std::uint8_t>(0x81 + index * 7);
    }
    return memory;
}

EmulatedSerialReader MemoryCardReader(int checksumError = 0) {
    sim::SerialReaderSetup setup;
    setup.memoryCard = SampleMemory();
    setup.memoryChecksumError = checksumError;
    return EmulatedSerialReader(setup, {}, {}, false);
}

TEST(MemoryCard, ReadsTheWholeMemoryAndLeavesTheReaderFreshlyReset) {
    auto rig = MemoryCardReader();
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::array<std::uint8_t, 32> memory{};
    ASSERT_EQ(rig.reader->ReadMemoryCard(memory), result::kOk);
    // Reset before and after the read, each acknowledged with the reset code.
    EXPECT_EQ(rig.line->ReaderCommandCodes(), (std::vector<std::uint8_t>{0x1A, 0x1A, 0x1A}));
    EXPECT_EQ(memory, SampleMemory());
    EXPECT_TRUE(rig.reader->IsReaderConnected());
    EXPECT_FALSE(rig.reader->IsCardPowered());
    EXPECT_FALSE(rig.reader->IsCardActive());
}

TEST(MemoryCard, ReadingAMemoryCardPowersDownASim) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    ASSERT_EQ(rig.PowerOn(), result::kOk);
    std::array<std::uint8_t, 32> memory{};
    EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kInvalidReaderId);  // a SIM sends no block
    EXPECT_FALSE(rig.reader->IsCardPowered());
    EXPECT_FALSE(rig.reader->IsCardActive());
    EXPECT_FALSE(rig.line->CardPowered());
}

TEST(MemoryCard, ABadCheckSumLeavesTheBufferUntouched) {
    auto rig = MemoryCardReader(1);
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::array<std::uint8_t, 32> memory{};
    EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kInvalidReaderId);
    EXPECT_EQ(memory, (std::array<std::uint8_t, 32>{}));
}

TEST(MemoryCard, FailuresHaveTheirCodes) {
    std::array<std::uint8_t, 32> memory{};
    {
        auto rig = MemoryCardReader();
        rig.line->Setup().cardInserted = false;
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kMemoryCardNotInserted);
    }
    {
        // A reader with no card chip answering: the block never comes.
        sim::SerialReaderSetup setup;
        EmulatedSerialReader rig(setup, {}, {}, false);
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kInvalidReaderId);
    }
    {
        auto rig = MemoryCardReader();
        EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kPortNotSet);
    }
    {
        auto rig = MemoryCardReader();
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        rig.line->Setup().identifies = false;
        EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kReaderNotConnected);
    }
}

}  // namespace
}  // namespace quillet::reader
