// The T=0 command procedure: procedure bytes, data blocks in both directions and faulty cards.
#include <gtest/gtest.h>

#include <functional>

#include "support/EmulatedSerialReader.h"

namespace quillet::reader {
namespace {

using testing::EmulatedSerialReader;
using Bytes = std::vector<std::uint8_t>;

Bytes Counting(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t index = 0; index < length; ++index) bytes[index] = static_cast<std::uint8_t>(index);
    return bytes;
}

class T0Transmit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        ASSERT_EQ(rig.PowerOn(), result::kOk);
    }

    ReaderResult Read(std::uint8_t p3, Bytes& out) {
        out.assign(p3 == 0 ? 256 : p3, 0xEE);
        return rig.reader->Transmit(0xA0, 0xB0, 0, 0, p3, out, Direction::FromCard, sw);
    }
    ReaderResult Update(Bytes bytes) {
        update = std::move(bytes);
        return rig.reader->Transmit(0xA0, 0xD6, 0, 0, static_cast<std::uint8_t>(update.size()), update,
                                    Direction::ToCard, sw);
    }
    sim::T0Behaviour& Card() { return rig.line->CardBehaviour(); }
    sim::SerialReaderSetup& Line() { return rig.line->Setup(); }
    const Bytes& LastData() { return rig.card.Commands().back().data; }

    EmulatedSerialReader rig;
    std::uint16_t sw = 0;
    Bytes update;
    Bytes data;
};

TEST_F(T0Transmit, ReadsAndWritesInEveryAcknowledgementStyle) {
    for (sim::AckStyle style : {sim::AckStyle::Ins, sim::AckStyle::InsPlusOne, sim::AckStyle::EachByte}) {
        Card().ackStyle = style;
        ASSERT_EQ(Read(100, data), result::kOk);
        EXPECT_EQ(sw, 0x9000);
        EXPECT_EQ(data, Counting(100));
        ASSERT_EQ(Update(Counting(150)), result::kOk);  // three blocks of at most 62, each checked by its echo
        EXPECT_EQ(sw, 0x9000);
        EXPECT_EQ(LastData(), Counting(150));
    }
    ASSERT_EQ(Read(0, data), result::kOk);  // P3 = 0 reads a full page
    EXPECT_EQ(data, Counting(256));
}

TEST_F(T0Transmit, CommandsWithoutADataPhaseSendOnlyTheirHeader) {
    std::size_t before = rig.line->HostBytesWritten();
    ASSERT_EQ(rig.reader->Transmit(0xA0, 0xD6, 0, 0, 0, {}, Direction::ToCard, sw), result::kOk);  // P3 = 0
    EXPECT_EQ(sw, 0x9000);
    EXPECT_EQ(rig.line->HostBytesWritten() - before, 5u);
    EXPECT_TRUE(LastData().empty());

    // A card that refuses the command gets no data.
    Card().forcedStatus = [](const sim::ApduHeader& header) -> std::optional<std::uint16_t> {
        return header.ins == 0xD6 ? std::optional<std::uint16_t>(0x9804) : std::nullopt;
    };
    before = rig.line->HostBytesWritten();
    ASSERT_EQ(Update(Counting(10)), result::kOk);
    EXPECT_EQ(sw, 0x9804);
    EXPECT_EQ(rig.line->HostBytesWritten() - before, 5u);

    // Status words without data are returned as they come.
    std::array<std::uint8_t, 2> fileId = {0x3F, 0x00};
    ASSERT_EQ(rig.reader->Transmit(0xA0, 0xA4, 0, 0, 2, fileId, Direction::ToCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9F0F);
    data.assign(4, 0);
    ASSERT_EQ(rig.reader->Transmit(0xA0, 0x12, 0, 0, 4, data, Direction::FromCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x6D00);
}

TEST_F(T0Transmit, SlowCardsNullBytesAndRepeatedAcknowledgementsAreTolerated) {
    Card().nullsBeforeProcedure = 40;  // each null byte extends the wait
    ASSERT_EQ(Read(8, data), result::kOk);
    EXPECT_EQ(data, Counting(8));
    ASSERT_EQ(Update(Counting(3)), result::kOk);
    Card().nullsBeforeProcedure = 0;
    Line().cardDelayMicros = 1'500'000;  // each receive waits up to 100 pauses: about two seconds
    EXPECT_EQ(Read(4, data), result::kOk);
    Line().cardDelayMicros = 0;

    // Acknowledgements repeated after the data move nothing: guard bytes behind the transfer stay.
    for (sim::AckStyle style : {sim::AckStyle::Ins, sim::AckStyle::EachByte}) {
        Card().ackStyle = style;
        Card().acknowledgementsAfterData = 2;
        data.assign(12, 0xEE);
        ASSERT_EQ(rig.reader->Transmit(0xA0, 0xB0, 0, 0, 8, data, Direction::FromCard, sw), result::kOk);
        EXPECT_EQ(Bytes(data.begin(), data.begin() + 8), Counting(8));
        EXPECT_EQ(Bytes(data.begin() + 8, data.end()), Bytes(4, 0xEE));
        ASSERT_EQ(Update(Counting(5)), result::kOk);
        EXPECT_EQ(LastData(), Counting(5));
    }
}

// Each fault of the card or the line, on a fresh reader: the command ends with its result and
// within bounded (virtual) time. A transfer length of 0 is a read of 8 bytes.
TEST(T0Faults, EndTheCommandWithTheirResult) {
    using Line = sim::SerialReaderEmulator;
    const struct {
        const char* fault;
        std::function<void(Line&)> setup;
        std::size_t updateLength;
        ReaderResult expected;
    } faults[] = {
        {"a storm of null bytes", [](Line& l) { l.CardBehaviour().nullsBeforeProcedure = 20'000; }, 0,
         result::kCommandError},
        {"an acknowledgement repeated for ever", [](Line& l) { l.CardBehaviour().acknowledgementsAfterData = 20'000; },
         0, result::kCommandError},
        {"a single-byte acknowledgement repeated for ever",
         [](Line& l) {
             l.CardBehaviour().ackStyle = sim::AckStyle::EachByte;
             l.CardBehaviour().acknowledgementsAfterData = 20'000;
         },
         0, result::kCommandError},
        {"a card too slow for the byte limit", [](Line& l) { l.Setup().cardDelayMicros = 2'500'000; }, 0,
         result::kCommandError},
        {"a garbled header echo", [](Line& l) { l.Setup().garbleEchoOfByte = l.HostBytesWritten() + 1; }, 0,
         result::kCommandError},
        {"an unknown procedure byte", [](Line& l) { l.CardBehaviour().procedureByteOverride = 0x12; }, 0,
         result::kCommandError},
        {"a wrong echo inside the third block of 62",
         [](Line& l) { l.Setup().garbleEchoOfByte = l.HostBytesWritten() + 5 + 130; }, 200, result::kDataBlockError},
        {"a wrong echo of a single-byte step",
         [](Line& l) {
             l.CardBehaviour().ackStyle = sim::AckStyle::EachByte;
             l.Setup().garbleEchoOfByte = l.HostBytesWritten() + 5 + 2;
         },
         4, result::kDataBlockError},
        {"no SW2", [](Line& l) { l.CardBehaviour().omitSw2 = true; }, 0, result::kStatusError},
        {"no status after the data read", [](Line& l) { l.CardBehaviour().omitProcedureAfterData = true; }, 0,
         result::kStatusError},
        {"no status after the data written", [](Line& l) { l.CardBehaviour().omitProcedureAfterData = true; }, 4,
         result::kStatusError},
    };
    for (const auto& [fault, setup, updateLength, expected] : faults) {
        SCOPED_TRACE(fault);
        EmulatedSerialReader rig;
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        ASSERT_EQ(rig.PowerOn(), result::kOk);
        setup(*rig.line);
        const std::uint32_t start = rig.clock.NowMs();
        Bytes data = updateLength == 0 ? Bytes(8) : Counting(updateLength);
        const Direction direction = updateLength == 0 ? Direction::FromCard : Direction::ToCard;
        std::uint16_t sw = 0;
        EXPECT_EQ(rig.reader->Transmit(0xA0, updateLength == 0 ? 0xB0 : 0xD6, 0, 0,
                                       static_cast<std::uint8_t>(data.size()), data, direction, sw),
                  expected);
        EXPECT_LT(rig.clock.NowMs() - start, 15'000u);
    }
}

TEST_F(T0Transmit, ShortDataFromTheCard) {
    // The card acknowledges 10 bytes but sends 6.
    rig.card = sim::ScriptedApduCard(testing::kSimpleAtr, [](const sim::ApduHeader&, std::span<const std::uint8_t>) {
        return sim::ApduResponse{Bytes(6, 0x42), 0x9000};
    });
    Card().omitProcedureAfterData = true;
    EXPECT_EQ(Read(10, data), result::kCommandError);
    // The same with single-byte steps: the sixth step gets its data byte but no procedure byte.
    Card().ackStyle = sim::AckStyle::EachByte;
    EXPECT_EQ(Read(10, data), result::kDataBlockError);
}

// A card may end a read before all its data only with a status that says why; a success status
// there is a broken answer.
TEST_F(T0Transmit, AReadThatEndsEarlyNeedsAStatusThatSaysWhy) {
    std::size_t sent = 0;
    std::uint16_t status = 0;
    rig.card = sim::ScriptedApduCard(testing::kSimpleAtr, [&](const sim::ApduHeader&, std::span<const std::uint8_t>) {
        return sim::ApduResponse{Counting(sent), status};
    });
    Card().ackStyle = sim::AckStyle::EachByte;  // so the status can come between any two bytes
    const struct {
        std::size_t sent;
        std::uint16_t sw;
        std::uint8_t p3;
        ReaderResult expected;
    } cases[] = {
        {4, 0x9000, 4, result::kOk},           {2, 0x9000, 4, result::kCommandError},
        {0, 0x9110, 4, result::kCommandError}, {0, 0x9000, 0, result::kCommandError},
        {0, 0x6B00, 4, result::kOk},           {2, 0x6F00, 4, result::kCommandError},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message()
                     << row.sent << " bytes of " << int{row.p3} << ", then " << std::hex << row.sw);
        sent = row.sent;
        status = row.sw;
        EXPECT_EQ(Read(row.p3, data), row.expected);
        if (row.expected == result::kOk) {
            EXPECT_EQ(Bytes(data.begin(), data.begin() + row.sent), Counting(row.sent));
            EXPECT_EQ(sw, row.sw);
        }
    }
}

TEST_F(T0Transmit, ABufferTooSmallForTheTransferIsRefusedBeforeAnythingIsSent) {
    std::array<std::uint8_t, 8> small{};
    const std::size_t before = rig.line->HostBytesWritten();
    EXPECT_EQ(rig.reader->Transmit(0xA0, 0xB0, 0, 0, 9, small, Direction::FromCard, sw), result::kNonSpecific);
    EXPECT_EQ(rig.reader->Transmit(0xA0, 0xB0, 0, 0, 0, small, Direction::FromCard, sw), result::kNonSpecific);
    EXPECT_EQ(rig.line->HostBytesWritten(), before);
}

TEST_F(T0Transmit, EveryCommandIsReportedToTheTraceHookFailedOnesToo) {
    std::vector<TraceRecord> records;
    std::vector<Bytes> payloads;
    rig.reader->SetTraceHook([&](const TraceRecord& record) {
        records.push_back(record);
        payloads.emplace_back(record.data.begin(), record.data.end());
    });
    ASSERT_EQ(Read(3, data), result::kOk);
    Card().omitSw2 = true;
    ASSERT_EQ(Read(2, data), result::kStatusError);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].header, (std::array<std::uint8_t, 5>{0xA0, 0xB0, 0, 0, 3}));
    EXPECT_TRUE(payloads[0] == Counting(3) && records[0].statusWord == 0x9000);
    EXPECT_EQ(records[1].result, result::kStatusError);
}

}  // namespace
}  // namespace quillet::reader
