// Powering the card, reading and parsing its answer to reset, and powering it off.
#include <gtest/gtest.h>

#include <optional>

#include "support/EmulatedSerialReader.h"
#include "support/ReaderCommands.h"

namespace quillet::reader {
namespace {

using testing::EmulatedSerialReader;
using Bytes = std::vector<std::uint8_t>;

std::uint16_t ReadBinary(CardReader& reader, std::uint8_t length, std::vector<std::uint8_t>& out) {
    out.assign(length == 0 ? 256 : length, 0);
    return testing::Command(reader, 0xB0, 0, 0, length, out, Direction::FromCard);
}

Bytes WithCheckByte(Bytes atr) {
    std::uint8_t tck = 0;
    for (std::size_t index = 1; index < atr.size(); ++index) tck ^= atr[index];
    atr.push_back(tck);
    return atr;
}

// Answers to reset, each on a fresh reader. A good one is kept as it came, sets the parameters and
// the parity and lets commands through; a bad one leaves the card powered but not active.
TEST(CardActivation, AnswersToResetAreParsedOrRefused) {
    const struct {
        const char* what;
        Bytes atr;
        bool inverse;
        std::uint64_t delayMicros;
        std::optional<AtrParams> params;  // none: refused
    } cases[] = {
        {"TA1 TB1 TC1 TD1 (T=0), TB2 TC2, 2 historical bytes",
         {0x3B, 0xF2, 0x94, 0x85, 0x07, 0x60, 0x21, 0x0C, 'A', 'B'},
         false,
         5'000,
         AtrParams{
             .k = 2, .y1 = 0xF, .fi = 9, .di = 4, .ii = 2, .pi1 = 5, .n = 7, .t = 0, .y2 = 6, .tb2 = 0x21, .wi = 0x0C}},
        // TD1 -> T=0 with TD2 following; TD2 -> T=1 with TA3 TB3 TC3 TD3; TD3 -> T=15 with TA4; one
        // historical byte and TCK (present because T=1 and T=15 are offered). Third-level bytes do not
        // overwrite the second level's.
        {"deeper levels and the check byte",
         WithCheckByte({0x3B, 0x81, 0x80, 0xF1, 0xFE, 0x45, 0x00, 0x1F, 0x03, 0x31}), false, 5'000,
         AtrParams{.k = 1, .y1 = 8, .t = 0, .y2 = 8}},
        // The card sends 0x3F in inverse convention, which the reader sees as 0x03.
        {"inverse convention",
         {0x3F, 0x11, 0x13, 'Z'},
         true,
         5'000,
         AtrParams{.inverseConvention = 1, .k = 1, .y1 = 1, .fi = 1, .di = 3}},
        {"TS 0x3F in direct convention", {0x3F, 0x00}, false, 5'000, AtrParams{}},
        // Each ATR byte may take up to 50 pauses: about one second.
        {"slow, within the limit", testing::kSimpleAtr, false, 800'000, AtrParams{.k = 4, .y1 = 1}},
        {"too slow", testing::kSimpleAtr, false, 1'500'000, std::nullopt},
        {"silent", {}, false, 5'000, std::nullopt},
        {"neither convention", {0x3C, 0x00}, false, 5'000, std::nullopt},
        {"historical bytes cut short", {0x3B, 0x13, 0x11, 'A'}, false, 5'000, std::nullopt},
        {"TD1 announced but missing", {0x3B, 0x80}, false, 5'000, std::nullopt},
        {"TCK announced but missing", {0x3B, 0x80, 0x01}, false, 5'000, std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        sim::SerialReaderSetup setup;
        setup.inverseConvention = test.inverse;
        setup.atrDelayMicros = test.delayMicros;
        EmulatedSerialReader rig(setup, test.atr);
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        if (!test.params) {
            EXPECT_EQ(rig.PowerOn(), result::kBadAtr);
            EXPECT_TRUE(rig.reader->IsCardPowered());
            EXPECT_FALSE(rig.reader->IsCardActive());
            // A failed activation keeps the card powered until it is powered off.
            EXPECT_EQ(rig.PowerOn(), result::kRepeatActivation);
            continue;
        }
        ASSERT_EQ(rig.PowerOn(), result::kOk);
        EXPECT_EQ(rig.reader->GetAtrParams(), *test.params);
        EXPECT_EQ(Bytes(rig.atr.Bytes().begin(), rig.atr.Bytes().end()), test.atr);
        EXPECT_TRUE(rig.reader->IsCardPowered() && rig.reader->IsCardActive());
        EXPECT_EQ(rig.line->Settings().parity, test.inverse ? Parity::Odd : Parity::Even);

        Bytes data;
        EXPECT_EQ(ReadBinary(*rig.reader, 4, data), 0x9000);
        EXPECT_EQ(data, (Bytes{0, 1, 2, 3}));
        std::uint16_t sw = 0;
        std::array<std::uint8_t, 3> update = {0x12, 0x80, 0xFE};
        EXPECT_EQ(rig.reader->Transmit(0xA0, 0xD6, 0, 0, 3, update, Direction::ToCard, sw), result::kOk);
        EXPECT_EQ(sw, 0x9000);
        EXPECT_EQ(rig.card.Commands().back().data, Bytes(update.begin(), update.end()));
        EXPECT_EQ(rig.line->ParityErrors(), 0);
    }
}

TEST(CardActivation, EachActivationStartsFromDefaultParameters) {
    sim::SerialReaderSetup setup;
    setup.inverseConvention = true;
    EmulatedSerialReader rig(setup, {0x3F, 0x71, 0x13, 0x40, 0x0C, 'Z'});
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    ASSERT_EQ(rig.PowerOn(), result::kOk);
    EXPECT_EQ(rig.reader->GetAtrParams().n, 0x0C);
    ASSERT_EQ(rig.reader->PowerOff(), result::kOk);

    rig.line->Setup().inverseConvention = false;
    rig.card = sim::ScriptedApduCard({0x3B, 0x00}, testing::TestCardAnswer, {0xD6});
    ASSERT_EQ(rig.PowerOn(), result::kOk);
    EXPECT_EQ(rig.reader->GetAtrParams(), AtrParams{});
    EXPECT_EQ(rig.line->Settings().parity, Parity::Even);
}

TEST(CardActivation, AnEndlessAnswerToResetStopsAtTheLongestPossibleAtr) {
    // Every TD announces another full level: the chain never ends.
    std::vector<std::uint8_t> atr = {0x3B, 0xF0};
    for (int level = 0; level < 200; ++level) {
        atr.insert(atr.end(), {0x11, 0x00, 0x00, 0xF0});
    }
    EmulatedSerialReader rig({}, atr);
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    EXPECT_EQ(rig.PowerOn(), result::kBadAtr);
    EXPECT_EQ(rig.atr.length, CardReader::kMaxAtrLength);
    // Nothing beyond the caller's buffer was written.
    for (std::size_t index = CardReader::kMaxAtrLength; index < rig.atrStorage.size(); ++index) {
        EXPECT_EQ(rig.atrStorage[index], 0);
    }
}

// Four levels of interface bytes, fifteen historical bytes and the check byte: the fourth level
// decides whether the answer is the longest a card may send or one byte more.
TEST(CardActivation, AnAnswerToResetOfThirtyThreeBytesIsTheLongestTaken) {
    const struct {
        std::uint8_t td3;
        Bytes level4;
        std::size_t length;
        ReaderResult expected;
    } cases[] = {
        {0x71, {0x11, 0x00, 0x00}, 33, result::kOk},
        {0xF1, {0x11, 0x00, 0x00, 0x01}, 34, result::kBadAtr},
    };
    for (const auto& c : cases) {
        Bytes atr = {0x3B, 0xFF, 0x11, 0x00, 0x00, 0xF1, 0x11, 0x00, 0x0A, 0xF1, 0x11, 0x00, 0x00, c.td3};
        atr.insert(atr.end(), c.level4.begin(), c.level4.end());
        atr.insert(atr.end(), 15, 0x47);
        atr = WithCheckByte(atr);
        ASSERT_EQ(atr.size(), c.length);
        EmulatedSerialReader rig({}, atr);
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        EXPECT_EQ(rig.PowerOn(), c.expected) << c.length << " bytes";
        EXPECT_EQ(rig.atr.length, CardReader::kMaxAtrLength) << c.length << " bytes";
    }
}

TEST(CardActivation, ASmallAtrBufferGetsOnlyWhatFits) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::array<std::uint8_t, 6> storage{};
    ByteBuffer small{std::span<std::uint8_t>(storage).first(3)};
    ASSERT_EQ(rig.reader->PowerOn(&small), result::kOk);
    EXPECT_EQ(small.length, 3);
    EXPECT_EQ(storage, (std::array<std::uint8_t, 6>{0x3B, 0x14, 0x11, 0, 0, 0}));
}

TEST(CardActivation, ACardThatNeverStopsSendingFailsTheNextCommand) {
    std::vector<std::uint8_t> atr = testing::kSimpleAtr;
    atr.insert(atr.end(), 3000, 0x55);
    EmulatedSerialReader rig({}, atr);
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    ASSERT_EQ(rig.PowerOn(), result::kOk);
    std::vector<std::uint8_t> data;
    EXPECT_EQ(ReadBinary(*rig.reader, 4, data), result::kCommandError);
    EXPECT_LT(rig.clock.NowMs(), 10'000u);
}

TEST(CardActivation, NoCardOrAFailedPowerCommandIsReportedAndTheReaderIsBroughtBack) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    rig.line->Setup().cardInserted = false;
    EXPECT_EQ(rig.PowerOn(), result::kCardNotInserted);
    EXPECT_FALSE(rig.reader->IsCardPowered());
    rig.line->Setup().cardInserted = true;
    // The host writes FlushInput nothing, then 0x01 for the status: the start command is next.
    rig.line->Setup().garbleEchoOfByte = rig.line->HostBytesWritten() + 1;
    EXPECT_EQ(rig.PowerOn(), result::kInvalidReaderId);
    EXPECT_FALSE(rig.reader->IsCardPowered());
    EXPECT_TRUE(rig.reader->IsReaderConnected());
    rig.line->Setup().garbleEchoOfByte.reset();
    EXPECT_EQ(rig.PowerOn(), result::kOk);
}

TEST(CardActivation, PowerOffAndResetCard) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    EXPECT_EQ(rig.reader->ResetCard(&rig.atr), result::kCardNotActive);
    ASSERT_EQ(rig.PowerOn(), result::kOk);
    EXPECT_EQ(rig.PowerOn(), result::kRepeatActivation);
    EXPECT_FALSE(rig.reader->IsCardActive());

    rig.atr.length = 0;
    EXPECT_EQ(rig.reader->ResetCard(&rig.atr), result::kOk);
    EXPECT_EQ(rig.atr.length, testing::kSimpleAtr.size());
    EXPECT_EQ(rig.card.ResetCount(), 2);

    EXPECT_EQ(rig.reader->PowerOff(), result::kOk);
    EXPECT_FALSE(rig.reader->IsCardPowered());
    EXPECT_FALSE(rig.line->CardPowered());
    EXPECT_TRUE(rig.reader->IsReaderConnected());
    std::vector<std::uint8_t> data;
    EXPECT_EQ(ReadBinary(*rig.reader, 1, data), result::kCardNotActive);
}

}  // namespace
}  // namespace quillet::reader
