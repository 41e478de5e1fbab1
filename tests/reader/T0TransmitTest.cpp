// The T=0 command procedure: procedure bytes, data blocks in both directions and faulty cards.
#include <gtest/gtest.h>

#include "support/EmulatedSerialReader.h"

namespace quillet::reader {
namespace {

using testing::EmulatedSerialReader;

class T0Transmit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        ASSERT_EQ(rig.PowerOn(), result::kOk);
    }

    ReaderResult Read(std::uint8_t p3, std::vector<std::uint8_t>& out) {
        out.assign(p3 == 0 ? 256 : p3, 0xEE);
        return rig.reader->Transmit(0xA0, 0xB0, 0, 0, p3, out, Direction::FromCard, sw);
    }

    ReaderResult Update(std::vector<std::uint8_t> data) {
        update = std::move(data);
        return rig.reader->Transmit(0xA0, 0xD6, 0, 0, static_cast<std::uint8_t>(update.size()), update,
                                    Direction::ToCard, sw);
    }

    std::vector<std::uint8_t> Counting(std::size_t length) {
        std::vector<std::uint8_t> bytes(length);
        for (std::size_t index = 0; index < length; ++index) bytes[index] = static_cast<std::uint8_t>(index);
        return bytes;
    }

    EmulatedSerialReader rig;
    std::uint16_t sw = 0;
    std::vector<std::uint8_t> update;
};

TEST_F(T0Transmit, ReadsAndWritesInEveryAcknowledgementStyle) {
    for (sim::AckStyle style : {sim::AckStyle::Ins, sim::AckStyle::InsPlusOne, sim::AckStyle::EachByte}) {
        rig.line->CardBehaviour().ackStyle = style;
        std::vector<std::uint8_t> data;
        ASSERT_EQ(Read(100, data), result::kOk);
        EXPECT_EQ(sw, 0x9000);
        EXPECT_EQ(data, Counting(100));

        ASSERT_EQ(Update(Counting(150)), result::kOk);
        EXPECT_EQ(sw, 0x9000);
        EXPECT_EQ(rig.card.Commands().back().data, Counting(150));
    }
}

TEST_F(T0Transmit, ReadWithP3ZeroTransfersAFullPage) {
    std::vector<std::uint8_t> data;
    ASSERT_EQ(Read(0, data), result::kOk);
    EXPECT_EQ(data, Counting(256));
}

TEST_F(T0Transmit, WriteWithP3ZeroSendsNoData) {
    std::uint16_t status = 0;
    const std::size_t before = rig.line->HostBytesWritten();
    ASSERT_EQ(rig.reader->Transmit(0xA0, 0xD6, 0, 0, 0, {}, Direction::ToCard, status), result::kOk);
    EXPECT_EQ(status, 0x9000);
    EXPECT_EQ(rig.line->HostBytesWritten() - before, 5u);
    EXPECT_TRUE(rig.card.Commands().back().data.empty());
}

TEST_F(T0Transmit, StatusWithoutDataIsReturned) {
    std::array<std::uint8_t, 2> fileId = {0x3F, 0x00};
    ASSERT_EQ(rig.reader->Transmit(0xA0, 0xA4, 0, 0, 2, fileId, Direction::ToCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9F0F);
    std::vector<std::uint8_t> data(4);
    ASSERT_EQ(rig.reader->Transmit(0xA0, 0x12, 0, 0, 4, data, Direction::FromCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x6D00);
}

TEST_F(T0Transmit, NullBytesExtendTheWait) {
    rig.line->CardBehaviour().nullsBeforeProcedure = 40;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(Read(8, data), result::kOk);
    EXPECT_EQ(data, Counting(8));
    ASSERT_EQ(Update(Counting(3)), result::kOk);
}

TEST_F(T0Transmit, AStormOfNullBytesEndsTheCommand) {
    rig.line->CardBehaviour().nullsBeforeProcedure = 20'000;
    std::vector<std::uint8_t> data;
    const std::uint32_t start = rig.clock.NowMs();
    EXPECT_EQ(Read(8, data), result::kCommandError);
    EXPECT_LT(rig.clock.NowMs() - start, 15'000u);
}

TEST_F(T0Transmit, RepeatedAcknowledgementsAfterTheDataMoveNothing) {
    for (sim::AckStyle style : {sim::AckStyle::Ins, sim::AckStyle::EachByte}) {
        rig.line->CardBehaviour().ackStyle = style;
        rig.line->CardBehaviour().acknowledgementsAfterData = 2;
        // Guard bytes behind the transfer must stay as they are.
        std::vector<std::uint8_t> data(12, 0xEE);
        ASSERT_EQ(rig.reader->Transmit(0xA0, 0xB0, 0, 0, 8, data, Direction::FromCard, sw), result::kOk);
        EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + 8), Counting(8));
        EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + 8, data.end()), std::vector<std::uint8_t>(4, 0xEE));
        ASSERT_EQ(Update(Counting(5)), result::kOk);
        EXPECT_EQ(rig.card.Commands().back().data, Counting(5));
    }
}

TEST_F(T0Transmit, ACardThatRepeatsItsAcknowledgementForEverIsGivenUp) {
    for (sim::AckStyle style : {sim::AckStyle::Ins, sim::AckStyle::EachByte}) {
        rig.line->CardBehaviour().ackStyle = style;
        rig.line->CardBehaviour().acknowledgementsAfterData = 20'000;
        std::vector<std::uint8_t> data;
        EXPECT_EQ(Read(8, data), result::kCommandError);
    }
}

TEST_F(T0Transmit, ACardThatRefusesACommandGetsNoData) {
    rig.line->CardBehaviour().forcedStatus = [](const sim::ApduHeader& header) -> std::optional<std::uint16_t> {
        if (header.ins == 0xD6) return 0x9804;
        return std::nullopt;
    };
    const std::size_t before = rig.line->HostBytesWritten();
    ASSERT_EQ(Update(Counting(10)), result::kOk);
    EXPECT_EQ(sw, 0x9804);
    EXPECT_EQ(rig.line->HostBytesWritten() - before, 5u);
}

TEST_F(T0Transmit, ASlowCardIsWaitedForWithinTheByteLimit) {
    // Each receive waits up to 100 pauses: about two seconds.
    std::vector<std::uint8_t> data;
    rig.line->Setup().cardDelayMicros = 1'500'000;
    EXPECT_EQ(Read(4, data), result::kOk);
    rig.line->Setup().cardDelayMicros = 2'500'000;
    EXPECT_EQ(Read(4, data), result::kCommandError);
}

TEST_F(T0Transmit, LongBlocksOfDataToTheCardAreCheckedByTheirEcho) {
    ASSERT_EQ(Update(Counting(200)), result::kOk);
    EXPECT_EQ(rig.card.Commands().back().data, Counting(200));
    // One wrong echo inside the third block of 62.
    rig.line->Setup().garbleEchoOfByte = rig.line->HostBytesWritten() + 5 + 130;
    EXPECT_EQ(Update(Counting(200)), result::kDataBlockError);
}

TEST_F(T0Transmit, SingleByteStepsCheckTheirEcho) {
    rig.line->CardBehaviour().ackStyle = sim::AckStyle::EachByte;
    rig.line->Setup().garbleEchoOfByte = rig.line->HostBytesWritten() + 5 + 2;
    EXPECT_EQ(Update(Counting(4)), result::kDataBlockError);
}

TEST_F(T0Transmit, AGarbledHeaderEchoIsACommandError) {
    rig.line->Setup().garbleEchoOfByte = rig.line->HostBytesWritten() + 1;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(Read(4, data), result::kCommandError);
}

TEST_F(T0Transmit, AnUnknownProcedureByteIsACommandError) {
    rig.line->CardBehaviour().procedureByteOverride = 0x12;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(Read(4, data), result::kCommandError);
}

TEST_F(T0Transmit, ShortDataFromTheCard) {
    // The card acknowledges 10 bytes but sends 6.
    rig.card = sim::ScriptedApduCard(testing::kSimpleAtr, [](const sim::ApduHeader&, std::span<const std::uint8_t>) {
        return sim::ApduResponse{std::vector<std::uint8_t>(6, 0x42), 0x9000};
    });
    rig.line->CardBehaviour().omitProcedureAfterData = true;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(Read(10, data), result::kCommandError);

    // The same with single-byte steps: the sixth step gets its data byte but no procedure byte.
    rig.line->CardBehaviour().ackStyle = sim::AckStyle::EachByte;
    EXPECT_EQ(Read(10, data), result::kDataBlockError);
}

TEST_F(T0Transmit, MissingStatusBytes) {
    rig.line->CardBehaviour().omitSw2 = true;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(Read(4, data), result::kStatusError);

    rig.line->CardBehaviour().omitSw2 = false;
    rig.line->CardBehaviour().omitProcedureAfterData = true;
    EXPECT_EQ(Read(4, data), result::kStatusError);
    EXPECT_EQ(Update(Counting(4)), result::kStatusError);
}

TEST_F(T0Transmit, ABufferTooSmallForTheTransferIsRefusedBeforeAnythingIsSent) {
    std::array<std::uint8_t, 8> data{};
    const std::size_t before = rig.line->HostBytesWritten();
    EXPECT_EQ(rig.reader->Transmit(0xA0, 0xB0, 0, 0, 9, data, Direction::FromCard, sw), result::kNonSpecific);
    EXPECT_EQ(rig.reader->Transmit(0xA0, 0xB0, 0, 0, 0, data, Direction::FromCard, sw), result::kNonSpecific);
    EXPECT_EQ(rig.line->HostBytesWritten(), before);
}

TEST_F(T0Transmit, EveryCommandIsReportedToTheTraceHook) {
    std::vector<TraceRecord> records;
    std::vector<std::vector<std::uint8_t>> payloads;
    rig.reader->SetTraceHook([&](const TraceRecord& record) {
        records.push_back(record);
        payloads.emplace_back(record.data.begin(), record.data.end());
    });
    std::vector<std::uint8_t> data;
    ASSERT_EQ(Read(3, data), result::kOk);
    rig.line->CardBehaviour().omitSw2 = true;
    ASSERT_EQ(Read(2, data), result::kStatusError);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].header, (std::array<std::uint8_t, 5>{0xA0, 0xB0, 0, 0, 3}));
    EXPECT_EQ(payloads[0], Counting(3));
    EXPECT_EQ(records[0].statusWord, 0x9000);
    EXPECT_EQ(records[1].result, result::kStatusError);
}

}  // namespace
}  // namespace quillet::reader
