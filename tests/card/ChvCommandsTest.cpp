// How the CHV commands code their codes, check their arguments and read the card's answer.
#include <gtest/gtest.h>

#include "card/ChvCommands.h"
#include "support/EmulatedSerialReader.h"

namespace quillet::card {
namespace {

using testing::EmulatedSerialReader;
namespace result = reader::result;

// A card that answers CHV commands with a chosen status word and records what it got.
class ChvCoding : public ::testing::Test {
protected:
    void SetUp() override {
        rig.card = sim::ScriptedApduCard(
            testing::kSimpleAtr,
            [this](const sim::ApduHeader&, std::span<const std::uint8_t>) { return sim::ApduResponse{{}, answer}; },
            {0x20, 0x24, 0x26, 0x28, 0x2C});
        ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
        ASSERT_EQ(rig.PowerOn(), result::kOk);
    }
    const sim::ScriptedApduCard::Command& Last() { return rig.card.Commands().back(); }
    static std::vector<std::uint8_t> Code(const std::string& text) {
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        bytes.resize(8, 0xFF);
        return bytes;
    }

    EmulatedSerialReader rig;
    std::uint16_t answer = 0x9000;
};

TEST_F(ChvCoding, CodesAreTheirLeadingDigitsPaddedWith0xFF) {
    ASSERT_EQ(VerifyChv(*rig.reader, "1234abc", 1), result::kOk);
    EXPECT_EQ(Last().data, Code("1234"));
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x20, 0x00, 0x01, 0x08}));
    ASSERT_EQ(VerifyChv(*rig.reader, "12345678901", 2), result::kOk);
    EXPECT_EQ(Last().data, Code("12345678"));
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

TEST_F(ChvCoding, EachCommandHasItsInstructionAndReference) {
    ASSERT_EQ(ChangeChv(*rig.reader, 2, "1111", "22223333"), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x24, 0x00, 0x02, 0x10}));
    std::vector<std::uint8_t> both = Code("1111");
    const std::vector<std::uint8_t> second = Code("22223333");
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(Last().data, both);
    ASSERT_EQ(DisableChv(*rig.reader, "1111"), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x26, 0x00, 0x01, 0x08}));
    ASSERT_EQ(EnableChv(*rig.reader, "1111"), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x28, 0x00, 0x01, 0x08}));
    ASSERT_EQ(UnblockChv(*rig.reader, "12345678", "1111", 1), result::kOk);
    EXPECT_EQ(Last().header, (sim::ApduHeader{0xA0, 0x2C, 0x00, 0x00, 0x10}));
    ASSERT_EQ(UnblockChv(*rig.reader, "12345678", "1111", 2), result::kOk);
    EXPECT_EQ(Last().header.p2, 2);
}

TEST_F(ChvCoding, StatusWordsBecomeResults) {
    for (std::uint16_t sw : {0x9804, 0x9808, 0x9840, 0x9802}) {
        answer = sw;
        EXPECT_EQ(VerifyChv(*rig.reader, "1234", 1), result::kNoValidPin) << std::hex << sw;
    }
    answer = 0x6B00;
    EXPECT_EQ(ChangeChv(*rig.reader, 1, "1234", "5678"), result::kBadStatusWord);
}

TEST_F(ChvCoding, ATransportFailureOfVerifyPowersTheCardDown) {
    rig.line->Setup().dropEchoes = true;
    EXPECT_EQ(EnableChv(*rig.reader, "1234"), result::kCommandError);
    EXPECT_TRUE(rig.reader->IsCardPowered());  // enable returns without powering down
    EXPECT_EQ(VerifyChv(*rig.reader, "1234", 1), result::kCommandError);
    EXPECT_FALSE(rig.reader->IsCardPowered());
}

}  // namespace
}  // namespace quillet::card
