// The virtual SIM's card-holder verification: counters, blocking, unblocking and CHV2.
#include <gtest/gtest.h>

#include "sim/GsmSimCard.h"
#include "support/SimCommands.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using testing::SimCommands;

class SimChv : public ::testing::Test {
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

TEST_F(SimChv, WrongCodesCountDownAndBlockAtZero) {
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

TEST_F(SimChv, CodesAreComparedAsPaddedDigits) {
    // "1234" followed by digits is another code than "1234" padded with 0xFF.
    EXPECT_EQ(apdu.Send(0x20, 0, 1, 8, {'1', '2', '3', '4', '0', '0', '0', '0'}).sw, 0x9804);
    EXPECT_EQ(apdu.Send(0x20, 0, 1, 8, {'1', '2', '3', '4', 0xFF, 0xFF, 0xFF, 0xFF}).sw, 0x9000);
    EXPECT_EQ(apdu.Send(0x20, 0, 3, 8, SimCommands::Code("1234")).sw, 0x6B00);
    EXPECT_EQ(apdu.Send(0x20, 0, 1, 4, {'1', '2', '3', '4'}).sw, 0x6700);
}

TEST_F(SimChv, UnblockingRestoresTheChvWithANewCode) {
    for (int attempt = 0; attempt < 3; ++attempt) apdu.Verify(1, "9999");
    ASSERT_EQ(CodeStatus()[0], 0x80);

    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("11111111", "4321")).sw, 0x9804);
    EXPECT_EQ(CodeStatus()[1], 0x89);
    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("12345678", "4321")).sw, 0x9000);
    EXPECT_EQ(CodeStatus()[0], 0x83);
    EXPECT_EQ(CodeStatus()[1], 0x8A);
    EXPECT_EQ(apdu.Verify(1, "1234").sw, 0x9804);
    EXPECT_EQ(apdu.Verify(1, "4321").sw, 0x9000);
}

TEST_F(SimChv, TenWrongUnblockingCodesBlockTheUnblockingCode) {
    for (int attempt = 0; attempt < 9; ++attempt) {
        ASSERT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("00000000", "1111")).sw, 0x9804);
    }
    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("00000000", "1111")).sw, 0x9840);
    EXPECT_EQ(apdu.Send(0x2C, 0, 0, 16, SimCommands::Codes("12345678", "1111")).sw, 0x9840);
    EXPECT_EQ(CodeStatus()[1], 0x80);
}

TEST_F(SimChv, Chv2HasItsOwnCounterAndUnblockingCode) {
    EXPECT_EQ(apdu.Verify(2, "1234").sw, 0x9804);
    EXPECT_EQ(CodeStatus()[2], 0x82);
    EXPECT_EQ(CodeStatus()[0], 0x83);
    // UNBLOCK CHV2 is P2 = 2; P2 = 1 is not an unblocking reference.
    EXPECT_EQ(apdu.Send(0x2C, 0, 1, 16, SimCommands::Codes("87654321", "2222")).sw, 0x6B00);
    EXPECT_EQ(apdu.Send(0x2C, 0, 2, 16, SimCommands::Codes("87654321", "2222")).sw, 0x9000);
    EXPECT_EQ(apdu.Verify(2, "2222").sw, 0x9000);
    EXPECT_TRUE(card.IsChvVerified(2));
    EXPECT_FALSE(card.IsChvVerified(1));
}

TEST_F(SimChv, ChangingACodeNeedsTheOldOne) {
    EXPECT_EQ(apdu.Send(0x24, 0, 1, 16, SimCommands::Codes("0000", "8888")).sw, 0x9804);
    EXPECT_EQ(apdu.Send(0x24, 0, 1, 16, SimCommands::Codes("1234", "8888")).sw, 0x9000);
    card.Reset();
    EXPECT_EQ(apdu.Verify(1, "8888").sw, 0x9000);
    EXPECT_EQ(apdu.Send(0x24, 0, 2, 16, SimCommands::Codes("5678", "7777")).sw, 0x9000);
    EXPECT_EQ(apdu.Verify(2, "7777").sw, 0x9000);
    EXPECT_TRUE(card.HasUnsavedChanges());
}

TEST_F(SimChv, DisablingChv1OpensItsFilesAndShowsInTheMasterFile) {
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

TEST_F(SimChv, ABlockedChvClosesTheFilesItOpened) {
    ASSERT_EQ(apdu.Verify(1, "1234").sw, 0x9000);
    apdu.SelectPath({0x7F20, 0x6F38});
    ASSERT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9000);
    for (int attempt = 0; attempt < 3; ++attempt) apdu.Verify(1, "0000");
    EXPECT_EQ(apdu.Send(0xB0, 0, 0, 4).sw, 0x9804);

    ASSERT_EQ(apdu.Verify(2, "5678").sw, 0x9000);
    for (int attempt = 0; attempt < 3; ++attempt) apdu.Verify(2, "0000");
    EXPECT_EQ(CodeStatus()[2], 0x80);
    EXPECT_FALSE(card.IsChvVerified(2));
}

TEST_F(SimChv, UnblockingChv1SwitchesItOnAgain) {
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

TEST_F(SimChv, ABlockedChv1CannotBeDisabled) {
    for (int attempt = 0; attempt < 3; ++attempt) apdu.Verify(1, "9999");
    EXPECT_EQ(apdu.Send(0x26, 0, 1, 8, SimCommands::Code("1234")).sw, 0x9840);
}

}  // namespace
}  // namespace quillet::sim
