// The network lists: the PLMN slot coding against codes assembled by hand from 3GPP TS 24.008
// 10.5.1.3, the built-in operator table with its lookups, and the lists on the virtual card.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

#include "backup/NetworkList.h"
#include "backup/OperatorTable.h"
#include "backup/PlmnEntry.h"
#include "support/SessionRig.h"

namespace quillet::backup {

// Shows an entry as "232/1", "310/3:150" with three MNC digits, "-" when empty.
void PrintTo(const PlmnEntry& entry, std::ostream* out) {
    if (entry.valid == 0) *out << "-";
    if (entry.valid != 0) *out << entry.mcc << "/" << (entry.threeDigitMnc ? "3:" : "") << entry.mnc;
}

namespace {

PlmnEntry Valid(std::uint32_t mcc, std::uint32_t mnc, std::uint8_t threeDigits = 0) {
    PlmnEntry entry;
    entry.valid = 1;
    entry.mcc = mcc;
    entry.mnc = mnc;
    entry.threeDigitMnc = threeDigits;
    return entry;
}

constexpr std::string_view kUnknownName = "Nezn\xE1m\xE1 s\xED\x9D";

std::pair<bool, std::string_view> Name(std::uint32_t mcc, std::uint32_t mnc) {
    std::string_view name = "stale";
    const bool known = LookupOperatorName(mcc, mnc, name);
    return {known, name};
}

std::tuple<bool, std::uint32_t, std::uint32_t> Code(std::string_view name) {
    std::uint32_t mcc = 7;
    std::uint32_t mnc = 7;
    const bool known = LookupOperatorCode(name, mcc, mnc);
    return {known, mcc, mnc};
}

TEST(OperatorTable, RowsAreGroupedByCountryMark) {
    const auto rows = OperatorTable();
    const auto mark = [](std::string_view name) { return name.substr(name.rfind(" - ") + 3); };
    for (std::size_t index = 1; index < rows.size(); ++index) {
        EXPECT_LE(mark(rows[index - 1].name), mark(rows[index].name)) << rows[index].name;
    }
}

TEST(OperatorTable, NamesComeFromTheFirstMatchingRowOrAreTheUnknownNetwork) {
    EXPECT_EQ(Name(232, 1), std::make_pair(true, std::string_view("Mobilkom Austria AG - A")));
    EXPECT_EQ(Name(250, 7), std::make_pair(true, std::string_view("BM Telecom Ltd. - RUS")));
    EXPECT_EQ(Name(310, 150), std::make_pair(true, std::string_view("BellSouth Mobility DCS - USA")));
    EXPECT_EQ(Name(460, 0), std::make_pair(true, std::string_view("China Telecom - CHN")));
    for (const auto& [mcc, mnc] : {std::pair(0u, 0u), std::pair(232u, 2u), std::pair(2u, 32u)}) {
        EXPECT_EQ(Name(mcc, mnc), std::make_pair(false, kUnknownName)) << mcc << "/" << mnc;
    }
    // Choosing a network by name takes the exact name only.
    EXPECT_EQ(Code("ZAO SMARTS - RUS"), std::make_tuple(true, 250u, 7u));
    EXPECT_EQ(Code("Western Wireless Corporation - USA"), std::make_tuple(true, 310u, 220u));
    for (const std::string_view name : std::initializer_list<std::string_view>{
             "mobilkom austria ag - a", "Mobilkom Austria AG", "Mobilkom Austria AG - A ", kUnknownName, ""}) {
        EXPECT_EQ(Code(name), std::make_tuple(false, 0u, 0u)) << name;
    }
}

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
    std::ptrdiff_t Updates() const {
        const Bytes instructions = rig.Instructions();
        return std::count(instructions.begin(), instructions.end(), 0xD6);
    }

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
    // The file is written whole, then read back to see the card kept it.
    EXPECT_EQ(rig.Instructions(), (Bytes{0xA4, 0xC0, 0xD6, 0xB0}));
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

    // A list longer than the file (another card's backup) is written when only empty slots lie
    // beyond the file, and refused before any write when a network would be lost there.
    List longer(6);
    longer[3] = Valid(232, 3);
    ASSERT_TRUE(WriteNetworkList(*rig.session, longer, kForbidden));
    EXPECT_EQ(CardFile(kFplmn).content,
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x32, 0xF2, 0x30}));
    longer[4] = Valid(232, 1);
    rig.ClearLog();
    EXPECT_FALSE(WriteNetworkList(*rig.session, longer, kForbidden));
    ExpectResult(result::kPositionOverflow);
    EXPECT_EQ(Updates(), 0);
    EXPECT_EQ(CardFile(kFplmn).content,
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x32, 0xF2, 0x30}));

    std::size_t slots = 0;
    ASSERT_TRUE(NetworkListSlots(*rig.session, kPreferred, slots));
    EXPECT_EQ(slots, 8u);
    ASSERT_TRUE(NetworkListSlots(*rig.session, kForbidden, slots));
    EXPECT_EQ(slots, 4u);
    EXPECT_EQ(Updates(), 0);
}

TEST(FitNetworkList, KeepsEveryValidNetworkInItsOrderOrRefuses) {
    const PlmnEntry a = Valid(232, 1), b = Valid(310, 10, 1), c = Valid(262, 2), none{};
    const struct {
        List list;
        std::size_t slots;
        std::optional<List> fitted;
    } cases[] = {
        {{a, none, b}, 3, List{a, none, b}},                    // fits as it is
        {{a, none, b}, 5, List{a, none, b, none, none}},        // the card's other slots become empty
        {{none, a, none, none, b, none, c}, 3, List{a, b, c}},  // longer: compacted
        {{none, a, none, b, none}, 4, List{a, b, none, none}},
        {{a, b, c}, 2, std::nullopt},  // more networks than slots
        {{none, none}, 0, List{}},
        {{a}, 0, std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.list) + " into " + std::to_string(test.slots));
        EXPECT_EQ(FitNetworkList(test.list, test.slots), test.fitted);
    }
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
