// The reader-level steps of a card session: activation, release, file information and single
// record transfers, and how the CHV commands code their codes, check their arguments and read the
// card's answer.
#include <gtest/gtest.h>

#include "card/CardActivation.h"
#include "card/ChvCommands.h"
#include "support/EmulatedSerialReader.h"
#include "support/SessionRig.h"
#include "support/SimCommands.h"

namespace quillet::card {
namespace {

using testing::EmulatedSerialReader;
using testing::SessionRig;
using testing::SimCommands;
namespace result = reader::result;

class ReaderLevel : public ::testing::Test {
protected:
    reader::CardReader& Reader() { return rig.Reader(); }
    SessionRig rig;
};

TEST_F(ReaderLevel, ActivationReadsTheChvStateAndTheIdentity) {
    std::uint16_t powered = 7;
    bool chv1Enabled = false;
    ASSERT_EQ(ActivateCard(Reader(), rig, false, &powered, &chv1Enabled), result::kOk);
    EXPECT_EQ(powered, 7);  // the card was not yet powered
    EXPECT_TRUE(chv1Enabled);
    EXPECT_EQ(Reader().CachedIccid()[0], 0x98);
    EXPECT_TRUE(Reader().IsSessionOpen());
    EXPECT_EQ(rig.raised, 1);

    // Again without force on the powered card: nothing is reset.
    ASSERT_EQ(ActivateCard(Reader(), rig, false, &powered, &chv1Enabled), result::kOk);
    EXPECT_EQ(powered, 0);

    EXPECT_EQ(ReleaseCard(Reader(), rig), result::kOk);
    EXPECT_FALSE(Reader().IsCardPowered());
    EXPECT_FALSE(Reader().IsSessionOpen());
    EXPECT_EQ(rig.lowered, 1);
    EXPECT_EQ(ReleaseCard(Reader(), rig), result::kOk);

    // Without a connected reader there is nothing to activate.
    Reader().Close();
    EXPECT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kReaderNotConnected);
}

TEST_F(ReaderLevel, AnotherCardFoundWithoutAFreshStartIsAChangedCard) {
    ASSERT_EQ(ActivateCard(Reader(), rig, false, nullptr, nullptr), result::kOk);
    rig.pin1 = SecretString("1234");
    rig.Card().MutableProfile().files[0].content[1] = 0x77;
    EXPECT_EQ(ActivateCard(Reader(), rig, false, nullptr, nullptr), result::kCardChanged);
    EXPECT_TRUE(rig.pin1.Empty());
    // With a fresh start the new card is simply taken.
    EXPECT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    EXPECT_EQ(Reader().CachedIccid()[1], 0x77);
}

TEST_F(ReaderLevel, FileInformationDescribesRecordFiles) {
    ASSERT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    EfInformation info;
    ASSERT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F3A, info), result::kOk);
    EXPECT_EQ(info.Structure(), 1);
    EXPECT_EQ(info.FileSize(), 150);
    EXPECT_EQ(info.RecordLength(), 30);
    EXPECT_EQ(info.RecordCount(), 5);
    EXPECT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F00, info), result::kBadStatusWord);
    EXPECT_TRUE(Reader().IsCardPowered());  // a refusal is not a transport failure

    ASSERT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    auto selects = std::make_shared<int>(0);
    rig.Reader().Line().CardBehaviour().forcedStatus =
        [selects](const sim::ApduHeader& header) -> std::optional<std::uint16_t> {
        return header.ins == 0xA4 && ++*selects == 3 ? 0x9000 : std::optional<std::uint16_t>();
    };
    EXPECT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F3A, info), result::kBadOrMissingRecord);
    EXPECT_EQ(info.FileSize(), 0);
}

TEST_F(ReaderLevel, SingleRecordTransfers) {
    ASSERT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    EfInformation info;
    ASSERT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F3A, info), result::kOk);
    std::array<std::uint8_t, 8> shortBuffer{};
    EXPECT_EQ(ReadRecordInto(Reader(), shortBuffer, 2, info), result::kNoValidPin);  // CHV1 not given

    rig.Card().MutableProfile().chv1Enabled = false;
    ASSERT_EQ(ReadRecordInto(Reader(), shortBuffer, 2, info), result::kOk);
    EXPECT_EQ(shortBuffer[0], 2);
    EXPECT_EQ(shortBuffer[7], 0xFF);
    std::vector<std::uint8_t> record(30, 0x33);
    ASSERT_EQ(UpdateRecordFrom(Reader(), record, 2, info), result::kOk);
    EXPECT_EQ(rig.Card().Profile().FindFile(0x7F10, 0x6F3A)->records[1], record);
    EXPECT_EQ(UpdateRecordFrom(Reader(), std::span(record).first(29), 2, info), result::kNonSpecific);

    // A transport failure powers the card down.
    rig.Reader().Line().Setup().dropEchoes = true;
    EXPECT_EQ(ReadRecordInto(Reader(), shortBuffer, 1, info), result::kCommandError);
    EXPECT_FALSE(Reader().IsCardPowered());
}

// A card that answers CHV commands with a chosen status word and records what it got.
class ChvCoding : public ::testing::Test {
protected:
    void SetUp() override {
        rig.card = sim::ScriptedApduCard(testing::kSimpleAtr,
                                         [this](const sim::ApduHeader&, std::span<const std::uint8_t>) {
                                             return sim::ApduResponse{{}, answer};
                                         },
                                         {0x20, 0x24, 0x26, 0x28, 0x2C});
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        ASSERT_EQ(rig.PowerOn(), result::kOk);
    }
    const sim::ScriptedApduCard::Command& Last() { return rig.card.Commands().back(); }

    EmulatedSerialReader rig;
    std::uint16_t answer = 0x9000;
};

TEST_F(ChvCoding, CodesAreTheirLeadingDigitsPaddedWith0xFFAndEachCommandHasItsInstructionAndReference) {
    ASSERT_EQ(VerifyChv(*rig.reader, "1234abc", 1), result::kOk);
    EXPECT_EQ(Last().data, SimCommands::Code("1234"));
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x20, 0x00, 0x01, 0x08}));
    ASSERT_EQ(VerifyChv(*rig.reader, "12345678901", 2), result::kOk);
    EXPECT_EQ(Last().data, SimCommands::Code("12345678"));
    EXPECT_EQ(Last().header.p2, 2);

    // Each command has its instruction and reference.
    ASSERT_EQ(ChangeChv(*rig.reader, 2, "1111", "22223333"), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x24, 0x00, 0x02, 0x10}));
    EXPECT_EQ(Last().data, SimCommands::Codes("1111", "22223333"));
    ASSERT_EQ(DisableChv(*rig.reader, "1111"), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x26, 0x00, 0x01, 0x08}));
    ASSERT_EQ(EnableChv(*rig.reader, "1111"), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x28, 0x00, 0x01, 0x08}));
    ASSERT_EQ(UnblockChv(*rig.reader, "12345678", "1111", 1), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x2C, 0x00, 0x00, 0x10}));
    ASSERT_EQ(UnblockChv(*rig.reader, "12345678", "1111", 2), result::kOk);
    EXPECT_EQ(Last().header.p2, 2);
}

TEST_F(ChvCoding, MalformedArgumentsSendNothing) {
    EXPECT_EQ(VerifyChv(*rig.reader, "123", 1), result::kWrongPin);
    EXPECT_EQ(VerifyChv(*rig.reader, "12a34", 1), result::kWrongPin);
    EXPECT_EQ(VerifyChv(*rig.reader, "1234", 3), result::kWrongPin);
    EXPECT_EQ(ChangeChv(*rig.reader, 1, "1234", "12"), result::kWrongPin);
    EXPECT_EQ(ChangeChv(*rig.reader, 0, "1234", "5678"), result::kWrongPin);
    EXPECT_EQ(UnblockChv(*rig.reader, "1234567", "12", 1), result::kWrongPin);
    EXPECT_EQ(DisableChv(*rig.reader, ""), result::kWrongPin);
    EXPECT_TRUE(rig.card.Commands().empty());
}

TEST_F(ChvCoding, StatusWordsBecomeResultsAndATransportFailureOfVerifyPowersTheCardDown) {
    for (std::uint16_t sw : {0x9804, 0x9808, 0x9840, 0x9802}) {
        answer = sw;
        EXPECT_EQ(VerifyChv(*rig.reader, "1234", 1), result::kNoValidPin) << std::hex << sw;
    }
    answer = 0x6B00;
    EXPECT_EQ(ChangeChv(*rig.reader, 1, "1234", "5678"), result::kBadStatusWord);

    // A transport failure of VERIFY powers the card down.
    rig.line->Setup().dropEchoes = true;
    EXPECT_EQ(EnableChv(*rig.reader, "1234"), result::kCommandError);
    EXPECT_TRUE(rig.reader->IsCardPowered());  // enable returns without powering down
    EXPECT_EQ(VerifyChv(*rig.reader, "1234", 1), result::kCommandError);
    EXPECT_FALSE(rig.reader->IsCardPowered());
}

}  // namespace
}  // namespace quillet::card
