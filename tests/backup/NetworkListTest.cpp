// Reading and writing the preferred and forbidden network lists on the virtual card.
#include <gtest/gtest.h>

#include <algorithm>

#include "backup/NetworkList.h"
#include "backup/PlmnTestHelpers.h"
#include "support/SessionRig.h"

namespace quillet::backup {
namespace {

namespace result = reader::result;
using Bytes = std::vector<std::uint8_t>;
using List = std::vector<PlmnEntry>;

constexpr std::uint16_t kGsm = 0x7F20;
constexpr std::uint16_t kPlmnSel = 0x6F30;
constexpr std::uint16_t kFplmn = 0x6F7B;
constexpr bool kForbidden = true;
constexpr bool kPreferred = false;

// Preferred: 232/01, 310/150, empty, 262/02, 310/010, 302/720, empty, 230/01 (three-digit codes
// in the middle). Forbidden: 228/03, empty, 262/07, empty.
const Bytes kPlmnSelBytes = {0x32, 0xF2, 0x10, 0x13, 0x00, 0x51, 0xFF, 0xFF, 0xFF, 0x62, 0xF2, 0x20,
                             0x13, 0x00, 0x10, 0x03, 0x02, 0x27, 0xFF, 0xFF, 0xFF, 0x32, 0xF0, 0x10};
const Bytes kFplmnBytes = {0x22, 0xF8, 0x30, 0xFF, 0xFF, 0xFF, 0x62, 0xF2, 0x70, 0xFF, 0xFF, 0xFF};

sim::SimProfile MakeNetworkProfile() {
    using sim::AccessLevel;
    sim::SimProfile profile = testing::MakeTestSimProfile();
    const sim::FileAccess access{AccessLevel::Chv1, AccessLevel::Chv1, AccessLevel::Never, AccessLevel::Adm,
                                 AccessLevel::Adm};
    for (const auto& [id, content] : {std::pair(kPlmnSel, kPlmnSelBytes), std::pair(kFplmn, kFplmnBytes)}) {
        profile.files.push_back(testing::MakeFile(kGsm, id, "PLMN", sim::FileStructure::Transparent, access));
        profile.files.back().content = content;
    }
    return profile;
}

class NetworkList : public ::testing::Test {
protected:
    void SetUp() override {
        rig.ui.pins = {"1234"};
        ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
        rig.ClearLog();
    }
    sim::SimElementaryFile& CardFile(std::uint16_t ef) { return *rig.Card().MutableProfile().FindFile(kGsm, ef); }
    void ExpectResult(reader::ReaderResult code) { EXPECT_EQ(rig.session->LastResult(), code); }

    testing::SessionRig rig{MakeNetworkProfile()};
};

TEST_F(NetworkList, ReadingDecodesEverySlotAndAnUnchangedListWritesBackByteForByte) {
    List list;
    ASSERT_TRUE(ReadNetworkList(*rig.session, list, kPreferred)) << rig.session->FormatLastError();
    EXPECT_EQ(list, (List{Valid(232, 1), Valid(310, 150, 1), PlmnEntry{}, Valid(262, 2), Valid(310, 10, 1),
                          Valid(302, 720, 1), PlmnEntry{}, Valid(230, 1)}));
    // DF_GSM is still selected from the service table: the file, its description, one read.
    EXPECT_EQ(rig.Instructions(), (Bytes{0xA4, 0xC0, 0xB0}));
    rig.ClearLog();
    ASSERT_TRUE(WriteNetworkList(*rig.session, list, kPreferred));
    ExpectResult(result::kOk);
    EXPECT_EQ(rig.Instructions(), (Bytes{0xA4, 0xC0, 0xD6}));
    EXPECT_EQ(CardFile(kPlmnSel).content, kPlmnSelBytes);

    ASSERT_TRUE(ReadNetworkList(*rig.session, list, kForbidden));
    EXPECT_EQ(list, (List{Valid(228, 3), PlmnEntry{}, Valid(262, 7), PlmnEntry{}}));
    ASSERT_TRUE(WriteNetworkList(*rig.session, list, kForbidden));
    EXPECT_EQ(CardFile(kFplmn).content, kFplmnBytes);
}

TEST_F(NetworkList, WritingEncodesValidSlotsAndBlanksEverythingElse) {
    List list;
    ASSERT_TRUE(ReadNetworkList(*rig.session, list, kPreferred));
    list[0].valid = 0;          // deleted, codes left behind
    list[2] = Valid(260, 3);    // a new code in an empty slot
    list[3] = Valid(310, 220);  // taken from the operator table, without the flag
    list.resize(5);             // the file's other slots become empty
    ASSERT_TRUE(WriteNetworkList(*rig.session, list, kPreferred));
    EXPECT_EQ(CardFile(kPlmnSel).content,
              (Bytes{0xFF, 0xFF, 0xFF, 0x13, 0x00, 0x51, 0x62, 0xF0, 0x30, 0x13, 0x00, 0x22,
                     0x13, 0x00, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

    // A list longer than the file (another card's backup) is cut at the file's slots.
    ASSERT_TRUE(WriteNetworkList(*rig.session, List(6, Valid(232, 3)), kForbidden));
    EXPECT_EQ(CardFile(kFplmn).content,
              (Bytes{0x32, 0xF2, 0x30, 0x32, 0xF2, 0x30, 0x32, 0xF2, 0x30, 0x32, 0xF2, 0x30}));
    ASSERT_TRUE(WriteNetworkList(*rig.session, List(4), kForbidden));
    EXPECT_EQ(CardFile(kFplmn).content, Bytes(12, 0xFF));

    // A filler nibble in a network code reads as nothing and is written back as 0.
    std::ranges::copy(Bytes{0x62, 0xF0, 0x0F}, CardFile(kFplmn).content.begin());
    ASSERT_TRUE(ReadNetworkList(*rig.session, list, kForbidden));
    EXPECT_EQ(list, (List{Valid(260, 0), PlmnEntry{}, PlmnEntry{}, PlmnEntry{}}));
    ASSERT_TRUE(WriteNetworkList(*rig.session, list, kForbidden));
    EXPECT_EQ(CardFile(kFplmn).content,
              (Bytes{0x62, 0xF0, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(NetworkList, TransfersNeedAReaderAndAnIdentifiedCard) {
    rig.session->EndSession();
    rig.ClearLog();
    for (const auto& [present, code] :
         {std::pair(true, result::kNonSpecific), std::pair(false, result::kReaderInaccessible)}) {
        rig.readerPresent = present;
        List list(3, Valid(232, 1));
        EXPECT_FALSE(ReadNetworkList(*rig.session, list, kPreferred));
        ExpectResult(code);
        EXPECT_TRUE(list.empty());
        EXPECT_FALSE(WriteNetworkList(*rig.session, List(8, Valid(232, 1)), kPreferred));
        ExpectResult(code);
    }
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(CardFile(kPlmnSel).content, kPlmnSelBytes);
}

TEST_F(NetworkList, CardRefusalsKeepTheCardsCodeAndLeaveTheFileAlone) {
    CardFile(kFplmn).access.update = sim::AccessLevel::Adm;
    EXPECT_FALSE(WriteNetworkList(*rig.session, List(4), kForbidden));
    ExpectResult(result::kNoValidPin);
    EXPECT_EQ(CardFile(kFplmn).content, kFplmnBytes);

    // A missing file, and one holding records instead of bytes, give no list.
    std::vector<sim::SimElementaryFile>& files = rig.Card().MutableProfile().files;
    std::erase_if(files, [](const sim::SimElementaryFile& file) { return file.id == kFplmn; });
    List list(2);
    EXPECT_FALSE(ReadNetworkList(*rig.session, list, kForbidden));
    ExpectResult(result::kBadStatusWord);
    EXPECT_TRUE(list.empty());
    CardFile(kPlmnSel).structure = sim::FileStructure::LinearFixed;
    CardFile(kPlmnSel).recordLength = 3;
    CardFile(kPlmnSel).records = {{0x32, 0xF2, 0x10}, {0x13, 0x00, 0x51}};
    list.resize(2);
    EXPECT_FALSE(ReadNetworkList(*rig.session, list, kPreferred));
    ExpectResult(result::kNonSpecific);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(WriteNetworkList(*rig.session, List(2), kPreferred));
    EXPECT_EQ(CardFile(kPlmnSel).records[0], (Bytes{0x32, 0xF2, 0x10}));
}

}  // namespace
}  // namespace quillet::backup
