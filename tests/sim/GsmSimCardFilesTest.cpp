// The virtual SIM's file commands, checked against the answers GSM 11.11 prescribes.
#include <gtest/gtest.h>

#include "sim/GsmSimCard.h"
#include "support/SimCommands.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using testing::Filled;

class SimFiles : public ::testing::Test {
protected:
    void SetUp() override { card.Reset(); }

    GsmSimCard card{testing::MakeTestSimProfile()};
    testing::SimCommands apdu{card};
};

TEST_F(SimFiles, MasterFileResponseHasThe1111Layout) {
    const ApduResponse selected = apdu.Select(0x3F00);
    ASSERT_EQ(selected.sw, 0x9F16);
    const ApduResponse response = apdu.Send(0xC0, 0, 0, 0x16);
    ASSERT_EQ(response.sw, 0x9000);
    const std::vector<std::uint8_t>& r = response.data;
    ASSERT_EQ(r.size(), 22u);
    EXPECT_EQ(r[4], 0x3F);  // file id, bytes 5-6
    EXPECT_EQ(r[5], 0x00);
    EXPECT_EQ(r[6], 0x01);  // type of file: MF
    EXPECT_EQ(r[12], 22 - 13);  // length of the GSM data from byte 14 on
    EXPECT_EQ(r[13] & 0x80, 0x00);  // CHV1 enabled
    EXPECT_EQ(r[14], 2);  // DFs
    EXPECT_EQ(r[15], 1);  // EFs: ICCID
    EXPECT_EQ(r[18], 0x83);  // CHV1 initialised, 3 attempts
    EXPECT_EQ(r[19], 0x8A);  // UNBLOCK CHV1, 10 attempts
    EXPECT_EQ(r[20], 0x83);
    EXPECT_EQ(r[21], 0x8A);
}

TEST_F(SimFiles, ElementaryFileResponseHasThe1111Layout) {
    apdu.Select(0x7F10);
    const std::vector<std::uint8_t> r = apdu.SelectResponse(0x6F3A);
    ASSERT_EQ(r.size(), 15u);
    EXPECT_EQ(r[2], 0x00);  // file size 5 x 30 = 150, bytes 3-4
    EXPECT_EQ(r[3], 150);
    EXPECT_EQ(r[4], 0x6F);
    EXPECT_EQ(r[5], 0x3A);
    EXPECT_EQ(r[6], 0x04);  // EF
    EXPECT_EQ(r[8], 0x11);  // READ CHV1, UPDATE CHV1
    EXPECT_EQ(r[9], 0xF0);  // INCREASE NEV
    EXPECT_EQ(r[10], 0x22);  // REHABILITATE CHV2, INVALIDATE CHV2
    EXPECT_EQ(r[11], 0x01);  // not invalidated
    EXPECT_EQ(r[12], 2);
    EXPECT_EQ(r[13], 0x01);  // linear fixed
    EXPECT_EQ(r[14], 30);

    const std::vector<std::uint8_t> fdn = apdu.SelectResponse(0x6F3B);
    ASSERT_EQ(fdn.size(), 15u);
    EXPECT_EQ(fdn[11] & 0x01, 0x00);  // invalidated
    apdu.Select(0x7F20);
    const std::vector<std::uint8_t> acm = apdu.SelectResponse(0x6F39);
    EXPECT_EQ(acm[13], 0x03);  // cyclic
    EXPECT_EQ(acm[7] & 0x40, 0x40);  // INCREASE allowed
    const std::vector<std::uint8_t> sst = apdu.SelectResponse(0x6F38);
    EXPECT_EQ(sst[3], 4);
    EXPECT_EQ(sst[13], 0x00);
}

TEST_F(SimFiles, SelectionFollowsTheDirectoryTree) {
    EXPECT_EQ(apdu.Select(0x6F3A).sw, 0x9404);  // ADN is not in the MF
    EXPECT_EQ(apdu.Select(0x2FE2).sw, 0x9F0F);
    EXPECT_EQ(apdu.Select(0x7F10).sw, 0x9F16);
    EXPECT_EQ(apdu.Select(0x2FE2).sw, 0x9404);  // the ICCID is not in DF_TELECOM
    EXPECT_EQ(apdu.Select(0x7F20).sw, 0x9F16);  // a sibling DF
    EXPECT_EQ(apdu.Select(0x6F38).sw, 0x9F0F);
    EXPECT_EQ(apdu.Select(0x1234).sw, 0x9404);
    EXPECT_EQ(apdu.Send(0xA4, 0, 0, 3, {0x3F, 0x00, 0x00}).sw, 0x6700);
    EXPECT_EQ(apdu.Send(0xA4, 1, 0, 2, {0x3F, 0x00}).sw, 0x6B00);
}

TEST_F(SimFiles, GetResponseGivesWhatWasAnnouncedOnce) {
    apdu.Select(0x3F00);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 0x17).sw, 0x6700);
    apdu.Select(0x3F00);
    const ApduResponse part = apdu.Send(0xC0, 0, 0, 4);
    EXPECT_EQ(part.sw, 0x9000);
    EXPECT_EQ(part.data.size(), 4u);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 4).sw, 0x6F00);
    // Any other command in between, even a refused one, drops the waiting response.
    apdu.Select(0x3F00);
    apdu.Send(0xF2, 0, 0, 22, {}, 0x00);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 4).sw, 0x6F00);
}

TEST_F(SimFiles, BinaryReadsAndUpdatesRespectOffsetsAndBounds) {
    apdu.Select(0x2FE2);
    const ApduResponse middle = apdu.Send(0xB0, 0, 2, 3);
    EXPECT_EQ(middle.sw, 0x9000);
    EXPECT_EQ(middle.data, (std::vector<std::uint8_t>{0x32, 0x54, 0x76}));
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

TEST_F(SimFiles, ChvProtectedFilesNeedTheChv) {
    apdu.SelectPath({0x7F20, 0x6F38});
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);
    ASSERT_EQ(apdu.Verify(1, "1234").sw, 0x9000);
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).data, (std::vector<std::uint8_t>{0xFF, 0x3F, 0xFF, 0x0F}));
    card.Reset();
    apdu.SelectPath({0x7F20, 0x6F38});
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);  // a reset forgets the verification
}

TEST_F(SimFiles, RecordModesAndTheRecordPointer) {
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

TEST_F(SimFiles, CyclicFilesRotateOnUpdate) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F10, 0x6F44});
    for (std::uint8_t value : {0x01, 0x02, 0x03, 0x04}) {
        ASSERT_EQ(apdu.UpdateRecord(0, 3, Filled(30, value)).sw, 0x9000);
    }
    // Record 1 is the newest; the oldest of four writes fell out of the three records.
    EXPECT_EQ(apdu.ReadRecord(1, 4, 30).data[0], 0x04);
    EXPECT_EQ(apdu.ReadRecord(2, 4, 30).data[0], 0x03);
    EXPECT_EQ(apdu.ReadRecord(3, 4, 30).data[0], 0x02);
    // After a select NEXT starts at the newest record and wraps round after the oldest.
    apdu.Select(0x6F44);
    EXPECT_EQ(apdu.ReadRecord(0, 4, 30).sw, 0x9402);
    for (std::uint8_t expected : {0x04, 0x03, 0x02, 0x04}) {
        const ApduResponse read = apdu.ReadRecord(0, 2, 30);
        ASSERT_EQ(read.sw, 0x9000);
        EXPECT_EQ(read.data[0], expected);
    }
    // Only PREVIOUS may write a cyclic file.
    EXPECT_EQ(apdu.UpdateRecord(1, 4, Filled(30, 0x09)).sw, 0x6B00);
    EXPECT_EQ(apdu.UpdateRecord(0, 2, Filled(30, 0x09)).sw, 0x6B00);
}

TEST_F(SimFiles, SeekFindsRecordsByTheirBeginning) {
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

TEST_F(SimFiles, TheAuthenticationAlgorithmRunsInDfGsmOnly) {
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

TEST_F(SimFiles, IncreaseAddsToTheNewestRecordOfACyclicFile) {
    apdu.Verify(1, "1234");
    apdu.SelectPath({0x7F20, 0x6F39});
    const ApduResponse increased = apdu.Send(0x32, 0, 0, 3, {0x00, 0x01, 0x05});
    ASSERT_EQ(increased.sw, 0x9F06);
    EXPECT_EQ(apdu.Send(0xC0, 0, 0, 6).data, (std::vector<std::uint8_t>{0x00, 0x01, 0x25, 0x00, 0x01, 0x05}));
    EXPECT_EQ(apdu.ReadRecord(1, 4, 3).data, (std::vector<std::uint8_t>{0x00, 0x01, 0x25}));
    EXPECT_EQ(apdu.ReadRecord(2, 4, 3).data, (std::vector<std::uint8_t>{0x00, 0x00, 0x20}));
    EXPECT_EQ(apdu.Send(0x32, 0, 0, 3, {0xFF, 0xFF, 0xFF}).sw, 0x9850);
    EXPECT_EQ(apdu.ReadRecord(1, 4, 3).data, (std::vector<std::uint8_t>{0x00, 0x01, 0x25}));  // unchanged
    apdu.Select(0x6F38);
    EXPECT_EQ(apdu.Send(0x32, 0, 0, 3, {0, 0, 1}).sw, 0x9408);
}

TEST_F(SimFiles, InvalidatedFilesRefuseReadsUntilRehabilitated) {
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

TEST_F(SimFiles, UnknownInstructionsAndClasses) {
    EXPECT_EQ(apdu.Send(0x12, 0, 0, 0).sw, 0x6D00);
    EXPECT_EQ(apdu.Send(0xA4, 0, 0, 2, {0x3F, 0x00}, 0x00).sw, 0x6E00);
    const ApduResponse status = apdu.Send(0xF2, 0, 0, 22);
    EXPECT_EQ(status.sw, 0x9000);
    EXPECT_EQ(status.data[5], 0x00);
}

}  // namespace
}  // namespace quillet::sim
