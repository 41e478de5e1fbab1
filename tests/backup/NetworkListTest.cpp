// Reading and writing the preferred and forbidden network lists on the virtual card.
#include <gtest/gtest.h>

#include "backup/NetworkList.h"
#include "backup/PlmnTestHelpers.h"
#include "support/SessionRig.h"

namespace quillet::backup {
namespace {

using testing::SessionRig;
namespace result = reader::result;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kGsm = 0x7F20;
constexpr std::uint16_t kPlmnSel = 0x6F30;
constexpr std::uint16_t kFplmn = 0x6F7B;

// Eight preferred slots: 232/01, 310/150 (three digits), empty, 262/02, 310/010 (three digits),
// 302/720 (three digits), empty, 230/01.
const Bytes kPreferred = {0x32, 0xF2, 0x10, 0x13, 0x00, 0x51, 0xFF, 0xFF, 0xFF, 0x62, 0xF2, 0x20,
                          0x13, 0x00, 0x10, 0x03, 0x02, 0x27, 0xFF, 0xFF, 0xFF, 0x32, 0xF0, 0x10};
// Four forbidden slots: 228/03, empty, 262/07, empty.
const Bytes kForbidden = {0x22, 0xF8, 0x30, 0xFF, 0xFF, 0xFF, 0x62, 0xF2, 0x70, 0xFF, 0xFF, 0xFF};

sim::SimProfile MakeNetworkProfile() {
    using sim::AccessLevel;
    sim::SimProfile profile = testing::MakeTestSimProfile();
    const sim::FileAccess access{AccessLevel::Chv1, AccessLevel::Chv1, AccessLevel::Never, AccessLevel::Adm,
                                 AccessLevel::Adm};
    sim::SimElementaryFile preferred =
        testing::MakeFile(kGsm, kPlmnSel, "PLMNsel", sim::FileStructure::Transparent, access);
    preferred.content = kPreferred;
    sim::SimElementaryFile forbidden =
        testing::MakeFile(kGsm, kFplmn, "FPLMN", sim::FileStructure::Transparent, access);
    forbidden.content = kForbidden;
    profile.files.push_back(preferred);
    profile.files.push_back(forbidden);
    return profile;
}

class NetworkList : public ::testing::Test {
protected:
    void SetUp() override {
        rig.ui.pins = {"1234"};
        ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
        rig.sent.clear();
    }
    const Bytes& CardFile(std::uint16_t ef) { return rig.Card().Profile().FindFile(kGsm, ef)->content; }

    SessionRig rig{MakeNetworkProfile()};
};

TEST_F(NetworkList, ReadingDecodesEverySlotOfTheFile) {
    std::vector<PlmnEntry> list;
    ASSERT_TRUE(ReadNetworkList(*rig.session, list, false)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.session->LastResult(), result::kOk);
    EXPECT_EQ(list, (std::vector<PlmnEntry>{Valid(232, 1), Valid(310, 150, 1), PlmnEntry{}, Valid(262, 2),
                                            Valid(310, 10, 1), Valid(302, 720, 1), PlmnEntry{}, Valid(230, 1)}));
    // The service table left DF_GSM selected: the file, its description and one READ BINARY.
    EXPECT_EQ(rig.Instructions(), (Bytes{0xA4, 0xC0, 0xB0}));

    ASSERT_TRUE(ReadNetworkList(*rig.session, list, true));
    EXPECT_EQ(list, (std::vector<PlmnEntry>{Valid(228, 3), PlmnEntry{}, Valid(262, 7), PlmnEntry{}}));
}

TEST_F(NetworkList, AnUnchangedListIsWrittenBackByteForByte) {
    for (const std::uint16_t ef : {kPlmnSel, kFplmn}) {
        std::vector<PlmnEntry> list;
        ASSERT_TRUE(ReadNetworkList(*rig.session, list, ef == kFplmn));
        rig.sent.clear();
        ASSERT_TRUE(WriteNetworkList(*rig.session, list, ef == kFplmn)) << rig.session->FormatLastError();
        EXPECT_EQ(rig.session->LastResult(), result::kOk);
        EXPECT_EQ(rig.Instructions(), (Bytes{0xA4, 0xC0, 0xD6}));
    }
    EXPECT_EQ(CardFile(kPlmnSel), kPreferred);
    EXPECT_EQ(CardFile(kFplmn), kForbidden);
}

TEST_F(NetworkList, WritingEncodesValidSlotsAndBlanksEverythingElse) {
    std::vector<PlmnEntry> list;
    ASSERT_TRUE(ReadNetworkList(*rig.session, list, false));
    list[0].valid = 0;              // deleted, codes left behind
    list[2] = Valid(260, 3);        // a new two-digit code in an empty slot
    list[3] = Valid(310, 220);      // taken from the operator table, no flag
    list.resize(5);                 // a shorter list leaves the rest of the file empty
    ASSERT_TRUE(WriteNetworkList(*rig.session, list, false));
    EXPECT_EQ(CardFile(kPlmnSel), (Bytes{0xFF, 0xFF, 0xFF, 0x13, 0x00, 0x51, 0x62, 0xF0, 0x30, 0x13, 0x00, 0x22,
                                         0x13, 0x00, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));

    // A list longer than the file (another card's backup) is cut at the file's slots.
    const std::vector<PlmnEntry> longer(6, Valid(232, 3));
    ASSERT_TRUE(WriteNetworkList(*rig.session, longer, true));
    EXPECT_EQ(CardFile(kFplmn), (Bytes{0x32, 0xF2, 0x30, 0x32, 0xF2, 0x30, 0x32, 0xF2, 0x30, 0x32, 0xF2, 0x30}));

    ASSERT_TRUE(WriteNetworkList(*rig.session, std::vector<PlmnEntry>(4), true));
    EXPECT_EQ(CardFile(kFplmn), Bytes(12, 0xFF));
}

TEST_F(NetworkList, AFillerDigitInTheNetworkCodeIsWrittenBackAsZero) {
    rig.Card().MutableProfile().FindFile(kGsm, kFplmn)->content = {0x62, 0xF0, 0x0F, 0xFF, 0xFF, 0xFF,
                                                                   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<PlmnEntry> list;
    ASSERT_TRUE(ReadNetworkList(*rig.session, list, true));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], Valid(260, 0));
    ASSERT_TRUE(WriteNetworkList(*rig.session, list, true));
    EXPECT_EQ(CardFile(kFplmn), (Bytes{0x62, 0xF0, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(NetworkList, TransfersNeedAReaderAndAnIdentifiedCard) {
    std::vector<PlmnEntry> list(3, Valid(232, 1));
    const std::vector<PlmnEntry> written(8, Valid(232, 1));
    rig.session->EndSession();
    rig.sent.clear();
    EXPECT_FALSE(ReadNetworkList(*rig.session, list, false));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(WriteNetworkList(*rig.session, written, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_TRUE(rig.sent.empty());

    rig.readerPresent = false;
    list.resize(2);
    EXPECT_FALSE(ReadNetworkList(*rig.session, list, true));
    EXPECT_EQ(rig.session->LastResult(), result::kReaderInaccessible);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(WriteNetworkList(*rig.session, written, false));
    EXPECT_EQ(rig.session->LastResult(), result::kReaderInaccessible);
    EXPECT_EQ(CardFile(kPlmnSel), kPreferred);
    EXPECT_EQ(CardFile(kFplmn), kForbidden);
}

TEST_F(NetworkList, CardRefusalsKeepTheCardsCodeAndLeaveTheFileAlone) {
    sim::SimProfile& card = rig.Card().MutableProfile();
    card.FindFile(kGsm, kFplmn)->access.update = sim::AccessLevel::Adm;
    EXPECT_FALSE(WriteNetworkList(*rig.session, std::vector<PlmnEntry>(4), true));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
    EXPECT_EQ(CardFile(kFplmn), kForbidden);

    std::vector<PlmnEntry> list(2);
    card.files.erase(std::find_if(card.files.begin(), card.files.end(),
                                  [](const sim::SimElementaryFile& file) { return file.id == kFplmn; }));
    EXPECT_FALSE(ReadNetworkList(*rig.session, list, true));
    EXPECT_EQ(rig.session->LastResult(), result::kBadStatusWord);
    EXPECT_TRUE(list.empty());

    // A list file with records instead of bytes is not a network list.
    sim::SimElementaryFile& preferred = *card.FindFile(kGsm, kPlmnSel);
    preferred.structure = sim::FileStructure::LinearFixed;
    preferred.recordLength = 3;
    preferred.records = {{0x32, 0xF2, 0x10}, {0x13, 0x00, 0x51}};
    list.resize(2);
    EXPECT_FALSE(ReadNetworkList(*rig.session, list, false));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(WriteNetworkList(*rig.session, std::vector<PlmnEntry>(2), false));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_EQ(preferred.records[1], (Bytes{0x13, 0x00, 0x51}));
}

}  // namespace
}  // namespace quillet::backup
