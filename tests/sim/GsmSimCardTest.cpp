// The virtual SIM's commands, checked against the answers GSM 11.11 prescribes: files, records and
// card-holder verification (counters, blocking, unblocking and CHV2).
#include <gtest/gtest.h>

#include "sim/GsmSimCard.h"
#include "support/SimCommands.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using testing::Filled;
using testing::SimCommands;
constexpr int _ = -1;  // any byte

// The bytes are as expected wherever `expected` is not `_`.
void ExpectBytes(const std::vector<std::uint8_t>& bytes, std::initializer_list<int> expected) {
    ASSERT_EQ(bytes.size(), expected.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (expected.begin()[i] != _) {
            EXPECT_EQ(bytes[i], expected.begin()[i]) << "byte " << i + 1;
        }
    }
}

class SimCard : public ::testing::Test {
protected:
    void SetUp() override { card.Reset(); }

    // Status bytes 19..22 of the MF's answer: CHV1, UNBLOCK CHV1, CHV2, UNBLOCK CHV2.
    std::vector<std::uint8_t> CodeStatus() {
        const std::vector<std::uint8_t> response = apdu.SelectResponse(0x3F00);
        return std::vector<std::uint8_t>(response.begin() + 18, response.begin() + 22);
    }

    GsmSimCard card{testing::MakeTestSimProfile()};
    SimCommands apdu{card};
};

TEST_F(SimCard, FileResponsesHaveThe1111Layout) {
    // The MF: file id, type MF, 9 bytes of GSM data: CHV1 enabled, 2 DFs, 1 EF (the ICCID), CHV1
    // initialised with 3 attempts, UNBLOCK CHV1 with 10, the same for CHV2.
    ASSERT_EQ(apdu.Select(0x3F00).sw, 0x9F16);
    const ApduResponse response = apdu.Send(0xC0, 0, 0, 0x16);
    ASSERT_EQ(response.sw, 0x9000);
    ExpectBytes(response.data, {_, _, _, _, 0x3F, 0x00, 0x01, _, _, _, _, _, 9, _, 2, 1, _, _, 0x83, 0x8A, 0x83, 0x8A});
    EXPECT_EQ(response.data.at(13) & 0x80, 0x00);  // CHV1 enabled

    // ADN: 5 x 30 bytes, file id, EF, READ and UPDATE CHV1, INCREASE NEV, REHABILITATE and INVALIDATE
    // CHV2, not invalidated, 2 more bytes: linear fixed, records of 30.
    apdu.Select(0x7F10);
    ExpectBytes(apdu.SelectResponse(0x6F3A),
                {_, _, 0x00, 150, 0x6F, 0x3A, 0x04, _, 0x11, 0xF0, 0x22, 0x01, 2, 0x01, 30});
    EXPECT_EQ(apdu.SelectResponse(0x6F3B).at(11) & 0x01, 0x00);  // FDN is invalidated
    apdu.Select(0x7F20);
    const std::vector<std::uint8_t> acm = apdu.SelectResponse(0x6F39);
    EXPECT_EQ(acm.at(13), 0x03);     // cyclic
    EXPECT_EQ(acm[7] & 0x40, 0x40);  // INCREASE allowed
    ExpectBytes(apdu.SelectResponse(0x6F38), {_, _, _, 4, _, _, _, _, _, _, _, _, _, 0x00, _});
}

TEST_F(SimCard, UnknownCommandsAreRefusedSelectionFollowsTheTreeAndResponsesAreGivenOnce) {
    // Unknown instructions and classes; STATUS answers with the current DF, the MF.
    EXPECT_EQ(apdu.Send(0x12, 0, 0, 0).sw, 0x6D00);
    EXPECT_EQ(apdu.Send(0xA4, 0, 0, 2, {0x3F, 0x00}, 0x00).sw, 0x6E00);
    const ApduResponse status = apdu.Send(0xF2, 0, 0, 22);
    EXPECT_EQ(status.sw, 0x9000);
    EXPECT_EQ(status.data[5], 0x00);

    EXPECT_EQ(apdu.Select(0x6F3A).sw, 0x9404);  // ADN is not in the MF
    EXPECT_EQ(apdu.Select(0x2FE2).sw, 0x9F0F);
    EXPECT_EQ(apdu.Select(0x7F10).sw, 0x9F16);
    EXPECT_EQ(apdu.Select(0x2FE2).sw, 0x9404);  // the ICCID is not in DF_TELECOM
    EXPECT_EQ(apdu.Select(0x7F20).sw, 0x9F16);  // a sibling DF
    EXPECT_EQ(apdu.Select(0x6F38).sw, 0x9F0F);
    EXPECT_EQ(apdu.Select(0x1234).sw, 0x9404);
    EXPECT_EQ(apdu.Send(0xA4, 0, 0, 3, {0x3F, 0x00, 0x00}).sw, 0x6700);
    EXPECT_EQ(apdu.Send(0xA4, 1, 0, 2, {0x3F, 0x00}).sw, 0x6B00);

    // GET RESPONSE gives what was announced, once.
    apdu.Select(0x3F00);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 0x17).sw, 0x6700);
    apdu.Select(0x3F00);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 4).data.size(), 4u);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 4).sw, 0x6F00);
    // Any other command in between, even a refused one, drops the waiting response.
    apdu.Select(0x3F00);
    apdu.Send(0xF2, 0, 0, 22, {}, 0x00);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 4).sw, 0x6F00);
}

TEST_F(SimCard, BinaryReadsAndUpdatesRespectOffsetsAndBounds) {
    apdu.Select(0x2FE2);
    EXPECT_EQ(apdu.Send(0xB0, 0, 2, 3).data, (std::vector<std::uint8_t>{0x32, 0x54, 0x76}));
    EXPECT_EQ(apdu.Send(0xB0, 0, 10, 1).sw, 0x9402);
    EXPECT_EQ(apdu.Send(0xB0, 0, 8, 3).sw, 0x6700);
    EXPECT_EQ(apdu.Send(0xD6, 0, 0, 1, {0x00}).sw, 0x9804);  // ICCID update is NEV
    apdu.SelectPath({0x7F20, 0x6F60});
    ASSERT_EQ(apdu.Send(0xD6, 0x01, 0x02, 3, {1, 2, 3}).sw, 0x9000);  // offset 258
    EXPECT_EQ(apdu.Send(0xB0, 0x01, 0x01, 4).data, (std::vector<std::uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(apdu.Send(0xD6, 0x01, 0x2C, 1, {9}).sw, 0x9402);  // offset 300: past the end
    EXPECT_EQ(apdu.Send(0xD6, 0x01, 0x2A, 3, {9, 9, 9}).sw, 0x6700);
    EXPECT_EQ(apdu.Send(0xB0, 0x80, 0x00, 1).sw, 0x9402);
    apdu.Select(0x3F00);
    apdu.Select(0x2FE2);
    EXPECT_EQ(apdu.ReadRecord(1, 4, 10).sw, 0x9408);

    apdu.Select(0x7F10);
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 1).sw, 0x9400);  // no EF selected after a DF select
    apdu.Select(0x6F99);
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 1).sw, 0x9804);  // NEV
}

TEST_F(SimCard, RecordModesAndTheRecordPointer) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F10, 0x6F3A});
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).sw, 0x9402);  // no current record after a select
    EXPECT_EQ(apdu.ReadRecord(3, 4, 30).data[0], 3);
    EXPECT_EQ(apdu.ReadRecord(0, 2, 30).data[0], 1);  // absolute left the pointer undefined
    EXPECT_EQ(apdu.ReadRecord(0, 2, 30).data[0], 2);
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).data[0], 2);  // current
    EXPECT_EQ(apdu.ReadRecord(0, 3, 30).data[0], 1);  // previous
    EXPECT_EQ(apdu.ReadRecord(0, 3, 30).sw, 0x9402);  // no record before the first
    EXPECT_EQ(apdu.ReadRecord(5, 4, 30).data[0], 5);
    EXPECT_EQ(apdu.ReadRecord(6, 4, 30).sw, 0x9402);
    EXPECT_EQ(apdu.ReadRecord(1, 4, 29).sw, 0x6700);
    EXPECT_EQ(apdu.ReadRecord(1, 5, 30).sw, 0x6B00);

    std::vector<std::uint8_t> record = Filled(30, 0x42);
    EXPECT_EQ(apdu.UpdateRecord(4, 4, record).sw, 0x9000);
    EXPECT_EQ(apdu.ReadRecord(4, 4, 30).data, record);
    EXPECT_EQ(apdu.UpdateRecord(4, 4, Filled(29, 0)).sw, 0x6700);
    EXPECT_TRUE(card.HasUnsavedChanges());
}

TEST_F(SimCard, CyclicFilesRotateOnUpdate) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F10, 0x6F44});
    for (std::uint8_t value : {0x01, 0x02, 0x03, 0x04}) {
        ASSERT_EQ(apdu.UpdateRecord(0, 3, Filled(30, value)).sw, 0x9000);
    }
    // Record 1 is the newest; the oldest of four writes fell out of the three records.
    for (std::uint8_t record : {1, 2, 3}) EXPECT_EQ(apdu.ReadRecord(record, 4, 30).data.at(0), 5 - record);
    // A select points at the newest record; NEXT goes on to older ones and wraps round after the oldest.
    apdu.Select(0x6F44);
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).data.at(0), 0x04);
    for (std::uint8_t expected : {0x03, 0x02, 0x04, 0x03}) EXPECT_EQ(apdu.ReadRecord(0, 2, 30).data.at(0), expected);
    // Only PREVIOUS may write a cyclic file.
    EXPECT_EQ(apdu.UpdateRecord(1, 4, Filled(30, 0x09)).sw, 0x6B00);
    EXPECT_EQ(apdu.UpdateRecord(0, 2, Filled(30, 0x09)).sw, 0x6B00);
}

TEST_F(SimCard, SeekFindsRecordsByTheirBeginning) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F10, 0x6F3A});
    // Type 2 answers the record number; type 1 only moves the pointer.
    ASSERT_EQ(apdu.Send(0xA2, 0, 0x10, 2, {0x03, 0xFF}).sw, 0x9F01);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 1).data, (std::vector<std::uint8_t>{3}));
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).data[0], 3);
    EXPECT_EQ(apdu.Send(0xA2, 0, 0x01, 1, {0x05}).sw, 0x9000);  // from the end backwards
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).data[0], 5);
    EXPECT_EQ(apdu.Send(0xA2, 0, 0x02, 1, {0x02}).sw, 0x9404);  // nothing after record 5
    EXPECT_EQ(apdu.Send(0xA2, 0, 0x03, 1, {0x02}).sw, 0x9000);  // backwards from it
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).data[0], 2);
    apdu.Select(0x6F44);
    EXPECT_EQ(apdu.Send(0xA2, 0, 0x00, 1, {0x02}).sw, 0x9408);  // not a linear fixed file
}

TEST_F(SimCard, TheAuthenticationAlgorithmRunsInDfGsmOnly) {
    const std::vector<std::uint8_t> rand(16, 0x5A);
    EXPECT_EQ(apdu.Send(0x88, 0, 0, 16, rand).sw, 0x9408);
    apdu.Select(0x7F20);
    EXPECT_EQ(apdu.Send(0x88, 0, 0, 16, rand).sw, 0x9804);
    apdu.Verify(1, "1234");
    ASSERT_EQ(apdu.Send(0x88, 0, 0, 16, rand).sw, 0x9F0C);
    const std::vector<std::uint8_t> first = apdu.Send(0xC0, 0, 0, 12).data;
    apdu.Send(0x88, 0, 0, 16, rand);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 12).data, first);  // the same challenge, the same answer
}

TEST_F(SimCard, IncreaseAddsToTheNewestRecordOfACyclicFile) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F20, 0x6F39});
    ASSERT_EQ(apdu.Send(0x32, 0, 0, 3, {0x00, 0x01, 0x05}).sw, 0x9F06);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 6).data, (std::vector<std::uint8_t>{0x00, 0x01, 0x25, 0x00, 0x01, 0x05}));
    EXPECT_EQ(apdu.ReadRecord(1, 4, 3).data, (std::vector<std::uint8_t>{0x00, 0x01, 0x25}));
    EXPECT_EQ(apdu.ReadRecord(2, 4, 3).data, (std::vector<std::uint8_t>{0x00, 0x00, 0x20}));
    EXPECT_EQ(apdu.Send(0x32, 0, 0, 3, {0xFF, 0xFF, 0xFF}).sw, 0x9850);
    EXPECT_EQ(apdu.ReadRecord(1, 4, 3).data, (std::vector<std::uint8_t>{0x00, 0x01, 0x25}));  // unchanged
    apdu.Select(0x6F38);
    EXPECT_EQ(apdu.Send(0x32, 0, 0, 3, {0, 0, 1}).sw, 0x9408);
}

TEST_F(SimCard, InvalidatedFilesRefuseReadsUntilRehabilitated) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F10, 0x6F3B});
    EXPECT_EQ(apdu.ReadRecord(1, 4, 30).sw, 0x9810);
    EXPECT_EQ(apdu.Send(0x44, 0, 0, 0).sw, 0x9804);  // rehabilitation needs CHV2
    ASSERT_EQ(apdu.Verify(2, "5678").sw, 0x9000);
    EXPECT_EQ(apdu.Send(0x44, 0, 0, 0).sw, 0x9000);
    EXPECT_EQ(apdu.ReadRecord(1, 4, 30).sw, 0x9000);
    EXPECT_EQ(apdu.Send(0x04, 0, 0, 0).sw, 0x9000);
    EXPECT_EQ(apdu.SelectResponse(0x6F3B)[11] & 0x01, 0x00);
    EXPECT_EQ(apdu.ReadRecord(1, 4, 30).sw, 0x9810);
}

TEST_F(SimCard, CodesAreComparedAsPaddedDigitsAndWrongOnesCountDownAndBlockAtZero) {
    // "1234" followed by digits is another code than "1234" padded with 0xFF.
    EXPECT_EQ(apdu.Send(0x20, 0, 1, 8, {'1', '2', '3', '4', '0', '0', '0', '0'}).sw, 0x9804);
    EXPECT_EQ(apdu.Send(0x20, 0, 1, 8, {'1', '2', '3', '4', 0xFF, 0xFF, 0xFF, 0xFF}).sw, 0x9000);
    EXPECT_EQ(apdu.Send(0x20, 0, 3, 8, SimCommands::Code("1234")).sw, 0x6B00);
    EXPECT_EQ(apdu.Send(0x20, 0, 1, 4, {'1', '2', '3', '4'}).sw, 0x6700);

    EXPECT_EQ(apdu.Verify(1, "0000").sw, 0x9804);
    EXPECT_EQ(CodeStatus()[0], 0x82);
    EXPECT_EQ(apdu.Verify(1, "1234").sw, 0x9000);
    EXPECT_EQ(CodeStatus()[0], 0x83);  // a right code restores the counter

    EXPECT_EQ(apdu.Verify(1, "1111").sw, 0x9804);
    EXPECT_EQ(apdu.Verify(1, "1111").sw, 0x9804);
    EXPECT_EQ(apdu.Verify(1, "1111").sw, 0x9840);
    EXPECT_EQ(CodeStatus()[0], 0x80);
    EXPECT_EQ(apdu.Verify(1, "1234").sw, 0x9840);  // blocked: even the right code fails
}

TEST_F(SimCard, UnblockingRestoresTheChvWithANewCodeAndTenWrongCodesBlockIt) {
    for (int attempt = 0; attempt < 3; ++attempt) apdu.Verify(1, "9999");
    ASSERT_EQ(CodeStatus()[0], 0x80);

    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("11111111", "4321")).sw, 0x9804);
    EXPECT_EQ(CodeStatus()[1], 0x89);
    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("12345678", "4321")).sw, 0x9000);
    EXPECT_EQ(CodeStatus()[0], 0x83);
    EXPECT_EQ(CodeStatus()[1], 0x8A);
    EXPECT_EQ(apdu.Verify(1, "1234").sw, 0x9804);
    EXPECT_EQ(apdu.Verify(1, "4321").sw, 0x9000);

    // Ten wrong unblocking codes block the unblocking code.
    for (int attempt = 0; attempt < 9; ++attempt) {
        ASSERT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("00000000", "1111")).sw, 0x9804);
    }
    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("00000000", "1111")).sw, 0x9840);
    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("12345678", "1111")).sw, 0x9840);
    EXPECT_EQ(CodeStatus()[1], 0x80);
}

TEST_F(SimCard, Chv2HasItsOwnCounterAndUnblockingCodeAndChangedCodesLastPastAReset) {
    EXPECT_EQ(apdu.Verify(2, "1234").sw, 0x9804);
    EXPECT_EQ(CodeStatus()[2], 0x82);
    EXPECT_EQ(CodeStatus()[0], 0x83);
    // UNBLOCK CHV2 is P2 = 2; P2 = 1 is not an unblocking reference.
    EXPECT_EQ(apdu.Send(0x2C, 0, 1, 16, SimCommands::Codes("87654321", "2222")).sw, 0x6B00);
    EXPECT_EQ(apdu.Send(0x2C, 0, 2, 16, SimCommands::Codes("87654321", "2222")).sw, 0x9000);
    EXPECT_EQ(apdu.Verify(2, "2222").sw, 0x9000);
    EXPECT_TRUE(card.IsChvVerified(2));
    EXPECT_FALSE(card.IsChvVerified(1));

    // Changing a code needs the old one.
    EXPECT_EQ(apdu.Send(0x24, 0, 1, 16, SimCommands::Codes("0000", "8888")).sw, 0x9804);
    EXPECT_EQ(apdu.Send(0x24, 0, 1, 16, SimCommands::Codes("1234", "8888")).sw, 0x9000);
    EXPECT_EQ(apdu.Send(0x24, 0, 2, 16, SimCommands::Codes("2222", "7777")).sw, 0x9000);
    card.Reset();
    EXPECT_EQ(apdu.Verify(1, "8888").sw, 0x9000);
    EXPECT_EQ(apdu.Verify(2, "7777").sw, 0x9000);
    EXPECT_TRUE(card.HasUnsavedChanges());
}

TEST_F(SimCard, DisablingChv1OpensItsFilesAndShowsInTheMasterFile) {
    EXPECT_EQ(apdu.Send(0x28, 0, 1, 8, SimCommands::Code("1234")).sw, 0x9808);  // already enabled
    EXPECT_EQ(apdu.Send(0x26, 0, 2, 8, SimCommands::Code("1234")).sw, 0x6B00);  // CHV1 only
    EXPECT_EQ(apdu.Send(0x26, 0, 1, 8, SimCommands::Code("1234")).sw, 0x9000);
    card.Reset();
    EXPECT_EQ(apdu.SelectResponse(0x3F00)[13] & 0x80, 0x80);
    EXPECT_EQ(apdu.Verify(1, "1234").sw, 0x9808);  // nothing to verify
    EXPECT_EQ(apdu.Send(0x24, 0, 1, 16, SimCommands::Codes("1234", "8888")).sw, 0x9808);
    apdu.SelectPath({0x7F20, 0x6F38});
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9000);

    EXPECT_EQ(apdu.Send(0x28, 0, 1, 8, SimCommands::Code("1234")).sw, 0x9000);
    card.Reset();
    apdu.SelectPath({0x7F20, 0x6F38});
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);
}

TEST_F(SimCard, ChvProtectedFilesNeedTheChvUntilAResetOrABlock) {
    apdu.SelectPath({0x7F20, 0x6F38});
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);
    ASSERT_EQ(apdu.Verify(1, "1234").sw, 0x9000);
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).data, (std::vector<std::uint8_t>{0xFF, 0x3F, 0xFF, 0x0F}));
    card.Reset();
    apdu.SelectPath({0x7F20, 0x6F38});
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);  // a reset forgets the verification
    ASSERT_EQ(apdu.Verify(1, "1234").sw, 0x9000);
    ASSERT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9000);
    for (int attempt = 0; attempt < 3; ++attempt) apdu.Verify(1, "0000");
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);  // a blocked CHV closes the files it opened
    EXPECT_EQ(apdu.Send(0x26, 0, 1, 8, SimCommands::Code("1234")).sw, 0x9840);  // and cannot be disabled
}

TEST_F(SimCard, UnblockingChv1SwitchesItOnAgainAndACardWithoutChv2RefusesIt) {
    ASSERT_EQ(apdu.Send(0x26, 0, 1, 8, SimCommands::Code("1234")).sw, 0x9000);
    ASSERT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("12345678", "1357")).sw, 0x9000);
    EXPECT_EQ(apdu.SelectResponse(0x3F00)[13] & 0x80, 0x00);
    EXPECT_TRUE(card.IsChvVerified(1));

    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.chv2.initialised = false;
    GsmSimCard noChv2(profile);
    SimCommands other(noChv2);
    noChv2.Reset();
    EXPECT_EQ(other.Send(0x2C, 0, 2, 16, SimCommands::Codes("87654321", "1111")).sw, 0x9802);
    EXPECT_EQ(other.Verify(2, "5678").sw, 0x9802);
}

}  // namespace
}  // namespace quillet::sim
