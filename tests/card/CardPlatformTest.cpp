// Knowing the card: a GSM SIM, a UICC with the USIM and GSM applications, or a USIM-only card,
// with its USIM phone books, found out once per card; and the parsers of what the card answers.
#include <gtest/gtest.h>

#include "card/CardPlatform.h"
#include "card/UiccFiles.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace result = reader::result;

std::size_t UiccCommandsIn(const testing::SessionRig& rig) {
    return static_cast<std::size_t>(
        std::count_if(rig.sent.begin(), rig.sent.end(), [](const auto& header) { return header[0] == 0x00; }));
}

TEST(CardPlatform, TheThreeDemoCardsAreKnownApart) {
    testing::SessionRig gsm(sim::BuildDemoSimProfile(), {"1234"});
    ASSERT_TRUE(gsm.session->BeginSession(true, false, true)) << gsm.session->FormatLastError();
    EXPECT_EQ(gsm.session->Platform().platform, CardPlatform::GsmSim);
    EXPECT_EQ(gsm.session->PlatformDetectionCommands(), 1u);  // the SIM refuses class 00 at once
    EXPECT_EQ(GsmViewNote(gsm.session->Platform()), "");

    testing::SessionRig dual(sim::BuildDemoDualModeProfile(), {"1234"});
    ASSERT_TRUE(dual.session->BeginSession(true, false, true)) << dual.session->FormatLastError();
    const CardPlatformInfo& info = dual.session->Platform();
    EXPECT_EQ(info.platform, CardPlatform::UiccWithGsm);
    EXPECT_EQ(info.usimAid.size(), 16u);
    ASSERT_TRUE(info.globalBook);
    ASSERT_EQ(info.globalBook->sets.size(), 2u);
    EXPECT_EQ(info.globalBook->sets[0].Find(kPbrAdn)->id, 0x4F3A);
    EXPECT_EQ(info.globalBook->sets[0].TypeTwoFiles(), (std::vector<PhoneBookFile>{{kPbrEmail, 0x4F50, 2}}));
    EXPECT_EQ(info.globalBook->sets[1].Find(kPbrEmail)->type, 1);
    EXPECT_FALSE(info.localBook);
    EXPECT_EQ(GsmViewNote(info),
              "This card's phone book has 2 sets, e-mail addresses, second numbers, nicknames and groups; this "
              "view shows set 1 with names and numbers only");
    // The GSM view still works after the class 00 commands moved the card's current file.
    std::array<std::uint8_t, 30> record{};
    std::uint32_t length = record.size();
    EXPECT_TRUE(dual.session->ReadFileRecord(0x7F10, 0x6F3A, record, length, 1, 4));

    // A USIM-only card opens a session for its codes; its GSM files are refused with a message that
    // says why, and not as a communication error.
    testing::SessionRig usim(sim::BuildDemoUsimOnlyProfile(), {"1234"});
    ASSERT_TRUE(usim.session->BeginSession(true, false, true)) << usim.session->FormatLastError();
    EXPECT_TRUE(usim.session->Flags() & CardSession::kChv1Verified);
    EXPECT_EQ(usim.session->Platform().platform, CardPlatform::UsimOnly);
    ASSERT_TRUE(usim.session->Platform().globalBook);
    ASSERT_TRUE(usim.session->Platform().localBook);
    EXPECT_EQ(usim.session->Platform().localBook->sets.size(), 1u);
    EXPECT_FALSE(usim.session->ReadFileRecord(0x7F10, 0x6F3A, record, length, 1, 4));
    EXPECT_EQ(usim.session->LastResult(), result::kUsimOnlyCard);
    EXPECT_EQ(usim.session->FormatLastError().rfind("This card is a USIM card without the GSM application", 0), 0u);
}

TEST(CardPlatform, APinRememberedForAnotherCardIsNotTriedOnAUsimOnlyCard) {
    testing::SessionRig rig(sim::BuildDemoUsimOnlyProfile(), {"1234"});
    rig.pin1 = SecretString("0000");  // the last card's
    ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.ui.prompts.size(), 1u);
    EXPECT_EQ(rig.Card().Profile().chv1.attemptsLeft, 3);
}

TEST(CardPlatform, AUsimOnlyCardKeepsItsPinCommands) {
    testing::SessionRig rig(sim::BuildDemoUsimOnlyProfile(), {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    EXPECT_TRUE(rig.session->ChangeOrToggleChv("1234", "4321", 1, true)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.Card().Profile().chv1.digits, "4321");
    EXPECT_TRUE(rig.session->ChangeOrToggleChv("4321", std::nullopt, 1, false));
    EXPECT_FALSE(rig.Card().Profile().chv1Enabled);
    EXPECT_FALSE(rig.session->ChangeOrToggleChv("0000", "1111", 2, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
    EXPECT_TRUE(rig.session->UnblockCardChv("87654321", "2468", 2));
    EXPECT_EQ(rig.Card().Profile().chv2.digits, "2468");
    // The next session finds PIN1 off and PIN2 blocked.
    rig.session->EndSession();
    rig.Card().MutableProfile().chv2.attemptsLeft = 0;
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_FALSE(rig.session->IsChv1Enabled());
    EXPECT_TRUE(rig.session->IsChvBlocked(2));
}

TEST(CardPlatform, ASecondSessionOnTheSameCardSpendsNoCommand) {
    testing::SessionRig rig(sim::BuildDemoDualModeProfile(), {"1234", "1234"});  // a new card asks again
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    const std::size_t first = rig.session->PlatformDetectionCommands();
    EXPECT_GT(first, 4u);
    EXPECT_EQ(UiccCommandsIn(rig), first);
    rig.session->EndSession();

    rig.ClearLog();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->PlatformDetectionCommands(), 0u);
    EXPECT_EQ(UiccCommandsIn(rig), 0u);
    EXPECT_EQ(rig.session->Platform().globalBook->sets.size(), 2u);
    rig.session->EndSession();

    // Another card in the reader (another ICCID) is found out afresh.
    rig.Card().MutableProfile().FindFile(0x3F00, 0x2FE2)->content[4] ^= 0x11;
    rig.ClearLog();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_EQ(rig.session->PlatformDetectionCommands(), first);
}

TEST(CardPlatform, WithoutThePinThePhoneBooksAreAskedForAgainLater) {
    testing::SessionRig rig(sim::BuildDemoDualModeProfile());
    ASSERT_TRUE(rig.session->BeginSession(false, false, true));
    EXPECT_EQ(rig.session->Platform().platform, CardPlatform::UiccWithGsm);
    EXPECT_FALSE(rig.session->Platform().globalBook);
    rig.session->EndSession();
    rig.pin1 = SecretString("1234");
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_TRUE(rig.session->Platform().globalBook);
}

TEST(UiccFiles, ParsersRefuseWhatRunsPastItsEnd) {
    EXPECT_FALSE(ParseFcp(Bytes{}));
    EXPECT_FALSE(ParseFcp(Bytes{0x62, 0x05, 0x82, 0x02, 0x41}));        // outer length past the end
    EXPECT_FALSE(ParseFcp(Bytes{0x62, 0x04, 0x82, 0x04, 0x41, 0x21}));  // inner length past the template
    EXPECT_FALSE(ParseFcp(Bytes{0x62, 0x04, 0x83, 0x02, 0x2F, 0xE2}));  // no descriptor
    EXPECT_FALSE(ParseFcp(Bytes{0x6F, 0x04, 0x82, 0x02, 0x41, 0x21}));  // not an FCP template
    const std::optional<FcpInfo> records =
        ParseFcp(Bytes{0x62, 0x0B, 0x82, 0x05, 0x42, 0x21, 0x00, 0x1E, 0x0A, 0x80, 0x02, 0x01, 0x2C});
    ASSERT_TRUE(records);
    EXPECT_EQ(records->recordLength, 30);
    EXPECT_EQ(records->recordCount, 10);
    EXPECT_EQ(records->fileSize, 300u);

    EXPECT_EQ(ParsePbrRecord(Bytes(20, 0xFF))->files.size(), 0u);
    EXPECT_FALSE(ParsePbrRecord(Bytes{0xA8, 0x05, 0xC0, 0x03, 0x4F, 0x3A}));        // template past the end
    EXPECT_FALSE(ParsePbrRecord(Bytes{0xA8, 0x03, 0xC0, 0x01, 0x4F, 0xFF}));        // a file entry of one byte
    EXPECT_FALSE(ParsePbrRecord(Bytes{0xA7, 0x04, 0xC0, 0x02, 0x4F, 0x3A, 0xFF}));  // not a file template
    const std::optional<PhoneBookSet> set =
        ParsePbrRecord(Bytes{0xA8, 0x05, 0xC0, 0x03, 0x4F, 0x3A, 0x01, 0xA9, 0x04, 0xCA, 0x02, 0x4F, 0x50, 0xFF});
    ASSERT_TRUE(set);
    EXPECT_EQ(set->files, (std::vector<PhoneBookFile>{{kPbrAdn, 0x4F3A, 1}, {kPbrEmail, 0x4F50, 2}}));
}

}  // namespace
}  // namespace quillet::card
