// The virtual UICC against TS 102 221 and TS 31.102: its selects and FCP templates, the T=0 answers
// 61xx and 6Cxx, PIN key references, the phone-book files of the demo cards, and the GSM view of the
// same file tree.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/DemoCard.h"
#include "sim/GsmSimCard.h"
#include "sim/SimProfileJson.h"
#include "support/SimCommands.h"

namespace quillet::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Class 00 commands, coded by hand here.
struct UiccCommands {
    explicit UiccCommands(ApduCard& card) : sim(card) {}

    ApduResponse Send(std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3, Bytes data = {}) {
        return sim.Send(ins, p1, p2, p3, std::move(data), 0x00);
    }
    ApduResponse SelectPath(Bytes path, std::uint8_t p2 = 0x04) {
        return Send(0xA4, 0x08, p2, static_cast<std::uint8_t>(path.size()), path);
    }
    // Selects and fetches the FCP template the card announced with 61xx.
    Bytes Fcp(Bytes path) {
        const ApduResponse selected = SelectPath(std::move(path));
        if ((selected.sw & 0xFF00) != 0x6100) return {};
        return Send(0xC0, 0, 0, static_cast<std::uint8_t>(selected.sw)).data;
    }
    ApduResponse Verify(std::uint8_t key, const std::string& digits) {
        return Send(0x20, 0, key, 8, testing::SimCommands::Code(digits));
    }
    ApduResponse ReadRecord(std::uint8_t number, std::uint8_t length) { return Send(0xB2, number, 0x04, length); }

    testing::SimCommands sim;
};

class DualModeCard : public ::testing::Test {
protected:
    void SetUp() override { card.Reset(); }

    GsmSimCard card{BuildDemoDualModeProfile()};
    UiccCommands uicc{card};
    testing::SimCommands gsm{card};
};

TEST_F(DualModeCard, FcpTemplatesHaveTheTs102221Layout) {
    // The MF: descriptor DF (78 21), id, activated, security reference to EF_ARR, PIN status:
    // PIN1 and PIN2 enabled (C0) with key references 01 and 81.
    EXPECT_EQ(uicc.Fcp({0x3F, 0x00}),
              (Bytes{0x62, 0x1B, 0x82, 0x02, 0x78, 0x21, 0x83, 0x02, 0x3F, 0x00, 0x8A, 0x01, 0x05, 0x8B, 0x03,
                     0x2F, 0x06, 0x01, 0xC6, 0x09, 0x90, 0x01, 0xC0, 0x83, 0x01, 0x01, 0x83, 0x01, 0x81}));
    // EF_PBR: linear fixed (42 21), records of 64 bytes, 2 of them, 128 bytes.
    EXPECT_EQ(uicc.Fcp({0x7F, 0x10, 0x5F, 0x3A, 0x4F, 0x30}),
              (Bytes{0x62, 0x17, 0x82, 0x05, 0x42, 0x21, 0x00, 0x40, 0x02, 0x83, 0x02, 0x4F, 0x30,
                     0x8A, 0x01, 0x05, 0x8B, 0x03, 0x6F, 0x06, 0x01, 0x80, 0x02, 0x00, 0x80}));
    // EF_ICCID: transparent (41 21), 10 bytes.
    EXPECT_EQ(uicc.Fcp({0x2F, 0xE2}), (Bytes{0x62, 0x14, 0x82, 0x02, 0x41, 0x21, 0x83, 0x02, 0x2F, 0xE2, 0x8A,
                                             0x01, 0x05, 0x8B, 0x03, 0x6F, 0x06, 0x01, 0x80, 0x02, 0x00, 0x0A}));
    // The ADF, selected by the first 7 bytes of its AID, names its whole AID (tag 84).
    const ApduResponse adf = uicc.Send(0xA4, 0x04, 0x04, 7, {0xA0, 0x00, 0x00, 0x00, 0x87, 0x10, 0x02});
    ASSERT_EQ(adf.sw & 0xFF00, 0x6100);
    const Bytes fcp = uicc.Send(0xC0, 0, 0, static_cast<std::uint8_t>(adf.sw)).data;
    ASSERT_GE(fcp.size(), 28u);
    EXPECT_EQ(Bytes(fcp.begin() + 6, fcp.begin() + 12), (Bytes{0x83, 0x02, 0x7F, 0xF0, 0x84, 0x10}));
    EXPECT_EQ(Bytes(fcp.begin() + 12, fcp.begin() + 19), (Bytes{0xA0, 0x00, 0x00, 0x00, 0x87, 0x10, 0x02}));
    // Relative to it: 7FFF is the current application, and its EFs are reached by path.
    EXPECT_EQ(uicc.SelectPath({0x7F, 0xFF, 0x6F, 0x07}, 0x0C).sw, 0x9000);
}

TEST_F(DualModeCard, TheT0AnswersAskForTheRightLength) {
    // GET RESPONSE asking for more than waits: 6Cxx gives the length, and the response still waits.
    const ApduResponse selected = uicc.SelectPath({0x2F, 0xE2});
    ASSERT_EQ(selected.sw, 0x6116);
    EXPECT_EQ(uicc.Send(0xC0, 0, 0, 0).sw, 0x6C16);
    EXPECT_EQ(uicc.Send(0xC0, 0, 0, 0x16).data.size(), 0x16u);
    // READ RECORD with a wrong length: 6C and the record length; READ BINARY past the end: what is left.
    ASSERT_EQ(uicc.SelectPath({0x2F, 0x00}, 0x0C).sw, 0x9000);
    EXPECT_EQ(uicc.ReadRecord(1, 0).sw, 0x6C20);
    EXPECT_EQ(uicc.ReadRecord(1, 0x20).sw, 0x9000);
    EXPECT_EQ(uicc.ReadRecord(2, 0x20).sw, 0x6A83);
    ASSERT_EQ(uicc.SelectPath({0x2F, 0xE2}, 0x0C).sw, 0x9000);
    EXPECT_EQ(uicc.Send(0xB0, 0, 4, 0).sw, 0x6C06);
    EXPECT_EQ(uicc.Send(0xB0, 0, 10, 1).sw, 0x6B00);
    // A missing file, a record read before the PIN, a class the card does not know.
    EXPECT_EQ(uicc.SelectPath({0x7F, 0x10, 0x4F, 0x30}).sw, 0x6A82);
    ASSERT_EQ(uicc.SelectPath({0x7F, 0x10, 0x5F, 0x3A, 0x4F, 0x30}, 0x0C).sw, 0x9000);
    EXPECT_EQ(uicc.ReadRecord(1, 64).sw, 0x6982);
    EXPECT_EQ(gsm.Send(0xB2, 1, 4, 64, {}, 0x80).sw, 0x6E00);
}

TEST_F(DualModeCard, PinKeyReferencesCountAttempts) {
    EXPECT_EQ(uicc.Send(0x20, 0, 0x01, 0).sw, 0x63C3);  // PIN1 not verified, 3 attempts
    EXPECT_EQ(uicc.Verify(0x01, "0000").sw, 0x63C2);
    EXPECT_EQ(uicc.Verify(0x01, "1234").sw, 0x9000);
    EXPECT_EQ(uicc.Send(0x20, 0, 0x01, 0).sw, 0x9000);
    EXPECT_EQ(uicc.Verify(0x11, "1234").sw, 0x6A88);  // no universal PIN on this card
    for (int attempt = 0; attempt < 2; ++attempt) uicc.Verify(0x81, "0000");
    EXPECT_EQ(uicc.Verify(0x81, "0000").sw, 0x6983);
    EXPECT_EQ(uicc.Verify(0x81, "5678").sw, 0x6983);  // blocked stays blocked
    EXPECT_EQ(uicc.Send(0x2C, 0, 0x81, 0).sw, 0x63CA);
    EXPECT_EQ(uicc.Send(0x2C, 0, 0x81, 16, testing::SimCommands::Codes("87654321", "4321")).sw, 0x9000);
    EXPECT_EQ(uicc.Send(0x20, 0, 0x81, 0).sw, 0x9000);
    EXPECT_EQ(card.Profile().chv2.digits, "4321");
    // Disabling PIN1 shows in the MF's PIN status (PS_DO 40: only PIN2 enabled).
    EXPECT_EQ(uicc.Send(0x26, 0, 0x01, 8, testing::SimCommands::Code("1234")).sw, 0x9000);
    EXPECT_EQ(uicc.Fcp({0x3F, 0x00}).at(22), 0x40);
}

TEST_F(DualModeCard, TheGsmAdnIsTheFirstSetsAdn) {
    ASSERT_EQ(uicc.Verify(0x01, "1234").sw, 0x9000);
    ASSERT_EQ(uicc.SelectPath({0x7F, 0x10, 0x5F, 0x3A, 0x4F, 0x3A}, 0x0C).sw, 0x9000);
    const ApduResponse throughUsim = uicc.ReadRecord(2, 30);
    gsm.SelectPath({0x3F00, 0x7F10});
    EXPECT_EQ(gsm.SelectResponse(0x6F3A).at(5), 0x3A);  // the header names 6F3A
    const ApduResponse throughGsm = gsm.ReadRecord(2, 4, 30);
    ASSERT_EQ(throughGsm.sw, 0x9000);
    EXPECT_EQ(throughGsm.data, throughUsim.data);

    // A write through one name is read through the other.
    Bytes record(30, 0xFF);
    record[0] = 'Z';
    ASSERT_EQ(gsm.UpdateRecord(7, 4, record).sw, 0x9000);
    ASSERT_EQ(uicc.SelectPath({0x7F, 0x10, 0x5F, 0x3A, 0x4F, 0x3A}, 0x0C).sw, 0x9000);
    EXPECT_EQ(uicc.ReadRecord(7, 30).data, record);
    record[0] = 'Y';
    ASSERT_EQ(uicc.Send(0xDC, 8, 0x04, 30, record).sw, 0x9000);
    gsm.SelectPath({0x3F00, 0x7F10, 0x6F3A});
    EXPECT_EQ(gsm.ReadRecord(8, 4, 30).data, record);
}

TEST(DemoUicc, PhoneBookFilesFollowTs31102) {
    const SimProfile dual = BuildDemoDualModeProfile();
    const DirectoryKey book = 0x7F105F3A;
    // EF_PBR set 1: type 1 ADN (SFI 01), IAP, UID, ANR, SNE, PBC, GRP; type 2 EMAIL; type 3 EXT1, AAS, GAS.
    const Bytes first = {0xA8, 0x1D, 0xC0, 0x03, 0x4F, 0x3A, 0x01, 0xC1, 0x02, 0x4F, 0x25, 0xC9, 0x02,
                         0x4F, 0x21, 0xC4, 0x02, 0x4F, 0x11, 0xC3, 0x02, 0x4F, 0x19, 0xC5, 0x02, 0x4F,
                         0x09, 0xC6, 0x02, 0x4F, 0x26, 0xA9, 0x04, 0xCA, 0x02, 0x4F, 0x50, 0xAA, 0x0C,
                         0xC2, 0x02, 0x4F, 0x4A, 0xC7, 0x02, 0x4F, 0x4B, 0xC8, 0x02, 0x4F, 0x4C, 0xFF};
    const Bytes& pbr = dual.FindFile(book, 0x4F30)->records.at(0);
    EXPECT_EQ(Bytes(pbr.begin(), pbr.begin() + static_cast<std::ptrdiff_t>(first.size())), first);
    // Entry 5 of set 1 reaches e-mail record 4 through EF_IAP, which names ADN SFI 01 record 5 back.
    EXPECT_EQ(dual.FindFile(book, 0x4F25)->records.at(4), Bytes{0x04});
    const Bytes& email = dual.FindFile(book, 0x4F50)->records.at(3);
    EXPECT_EQ(Bytes(email.end() - 2, email.end()), (Bytes{0x01, 0x05}));
    EXPECT_EQ(dual.FindFile(book, 0x4F25)->records.at(5), Bytes{0xFF});  // no e-mail
    // Type 1 files have a record per ADN record; set 2's first e-mail is in default-alphabet text.
    EXPECT_EQ(dual.FindFile(book, 0x4F51)->records.size(), dual.FindFile(book, 0x4F3B)->records.size());
    EXPECT_EQ(dual.FindFile(book, 0x4F51)->records.at(0).at(0), 'a');
    // EF_DIR lists the USIM: 61 18 4F 10 A0000000871002..., 50 04 "USIM".
    const Bytes& dir = dual.FindFile(kMasterFileKey, 0x2F00)->records.at(0);
    EXPECT_EQ(Bytes(dir.begin(), dir.begin() + 11),
              (Bytes{0x61, 0x18, 0x4F, 0x10, 0xA0, 0x00, 0x00, 0x00, 0x87, 0x10, 0x02}));
    EXPECT_EQ(Bytes(dir.begin() + 20, dir.begin() + 26), (Bytes{0x50, 0x04, 'U', 'S', 'I', 'M'}));
}

TEST(DemoUicc, PlatformsAnswerTheirClassesOnly) {
    GsmSimCard gsmOnly(BuildDemoSimProfile());
    GsmSimCard usimOnly(BuildDemoUsimOnlyProfile());
    gsmOnly.Reset();
    usimOnly.Reset();
    testing::SimCommands toGsm(gsmOnly);
    testing::SimCommands toUsim(usimOnly);
    EXPECT_EQ(toGsm.Send(0xA4, 0x00, 0x0C, 2, {0x3F, 0x00}, 0x00).sw, 0x6E00);
    EXPECT_EQ(toUsim.Select(0x3F00).sw, 0x6E00);
    EXPECT_EQ(toUsim.Send(0xA4, 0x00, 0x0C, 2, {0x3F, 0x00}, 0x00).sw, 0x9000);
    // The USIM-only card's local phone book is the ADF's DF_PHONEBOOK.
    EXPECT_EQ(toUsim.Send(0xA4, 0x04, 0x0C, 7, {0xA0, 0x00, 0x00, 0x00, 0x87, 0x10, 0x02}, 0x00).sw, 0x9000);
    EXPECT_EQ(toUsim.Send(0xA4, 0x09, 0x0C, 4, {0x5F, 0x3A, 0x4F, 0x30}, 0x00).sw, 0x9000);
}

TEST(DemoUicc, CardFilesKeepTheTreeAndRefuseBrokenLinks) {
    for (const SimProfile& demo : {BuildDemoDualModeProfile(), BuildDemoUsimOnlyProfile()}) {
        SimProfile read;
        std::string error;
        ASSERT_TRUE(ParseSimProfile(SerializeSimProfile(demo), "demo", read, error)) << error;
        EXPECT_EQ(read, demo);
    }
    const std::string good = SerializeSimProfile(BuildDemoDualModeProfile());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::pair<std::string, std::string> broken[] = {
        {replaced("\"sameAs\": \"7F10/5F3A/4F3A\"", "\"sameAs\": \"7F10/5F3A/4F3F\""), "sameAs: must name a file"},
        {replaced("\"sameAs\": \"7F10/5F3A/4F3A\"", "\"sameAs\": \"7F10/6F4A\""), "sameAs: must name a file"},
        {replaced("\"parent\": \"7F10\"", "\"parent\": \"7F30\""), "parent: must be 3F00 or a DF listed before"},
        {replaced("\"platform\": \"uicc-with-gsm\"", "\"platform\": \"uicc\""), "platform: must be gsm"},
        {replaced("\"path\": \"7F10/5F3A/4F30\"", "\"path\": \"7F10/5F3A/6F30\""), "id starting with 4F"},
    };
    for (const auto& [text, message] : broken) {
        SimProfile read;
        std::string error;
        EXPECT_FALSE(ParseSimProfile(text, "card.json", read, error));
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quillet::sim
