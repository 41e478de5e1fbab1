// The reader-level steps of a card session: activation, release, file information and single
// record transfers.
#include <gtest/gtest.h>

#include "card/CardActivation.h"
#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using testing::SessionRig;
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

TEST_F(ReaderLevel, ActivationWithoutAConnectedReader) {
    Reader().Close();
    EXPECT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kReaderNotConnected);
}

TEST_F(ReaderLevel, FileInformationDescribesRecordFiles) {
    ASSERT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    FileInfo info;
    ASSERT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F3A, info), result::kOk);
    EXPECT_EQ(info.structure, 1);
    EXPECT_EQ(info.size, 150);
    EXPECT_EQ(info.recordLength, 30);
    EXPECT_EQ(info.recordCount, 5);
    EXPECT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F00, info), result::kBadStatusWord);
    EXPECT_TRUE(Reader().IsCardPowered());  // a refusal is not a transport failure

    ASSERT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    auto selects = std::make_shared<int>(0);
    rig.Reader().Line().CardBehaviour().forcedStatus = [selects](const sim::ApduHeader& header)
        -> std::optional<std::uint16_t> { return header.ins == 0xA4 && ++*selects == 3 ? 0x9000 : std::optional<std::uint16_t>(); };
    EXPECT_EQ(GetFileInfo(Reader(), 0x7F10, 0x6F3A, info), result::kBadOrMissingRecord);
    EXPECT_EQ(info.size, 0);
}

TEST_F(ReaderLevel, SingleRecordTransfers) {
    ASSERT_EQ(ActivateCard(Reader(), rig, true, nullptr, nullptr), result::kOk);
    FileInfo info;
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

}  // namespace
}  // namespace quillet::card
