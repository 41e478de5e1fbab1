// Reading and writing phone books on the virtual demo card: nothing lost, only changes written.
#include <gtest/gtest.h>

#include <cstring>

#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookTransfer.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using testing::SessionRig;
namespace result = reader::result;

class PhoneBookOnCard : public ::testing::Test {
protected:
    explicit PhoneBookOnCard(sim::SimProfile profile = sim::BuildDemoSimProfile()) : rig(profile) {}

    void SetUp() override {
        rig.ui.pins = {"1234", "5678"};
        ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
        ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info)) << rig.session->FormatLastError();
        rig.ClearLog();
    }
    const std::vector<std::vector<std::uint8_t>>& CardRecords(std::uint16_t ef) {
        return rig.Card().Profile().FindFile(0x7F10, ef)->records;
    }
    void SetNumber(PhoneBookEntry& entry, const char* name, const std::string& number) {
        entry.used = 1;
        std::memset(entry.name, 0, sizeof entry.name);
        std::memset(entry.number, 0, sizeof entry.number);
        std::strncpy(entry.name, name, sizeof entry.name - 1);
        std::strncpy(entry.number, number.c_str(), sizeof entry.number - 1);
        entry.ton = 1;
        entry.npi = 1;
        entry.modified = 1;
    }
    std::size_t Updates() const {
        std::size_t count = 0;
        for (const auto& header : rig.sent) count += header[1] == 0xDC;
        return count;
    }

    SessionRig rig;
    std::array<PhoneBookEntry, 250> entries{};
    PhoneBookInfo info;
};

TEST_F(PhoneBookOnCard, ReadsEveryRecordWithItsExtensionDigits) {
    EXPECT_EQ(info.entryCount, 120u);
    EXPECT_EQ(info.alphaLength, 16u);
    EXPECT_STREQ(entries[1].name, "Bank Hotline");
    EXPECT_EQ(std::strlen(entries[1].number), 24u);
    EXPECT_EQ(std::strlen(entries[3].number), 42u);
    EXPECT_EQ(entries[5].used, 0u);  // a gap
    EXPECT_EQ(entries[200].index, 200);  // positions beyond the card are numbered too
    EXPECT_EQ(entries[200].used, 0u);

    // The second read of the same card comes from the caches.
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    EXPECT_TRUE(rig.sent.empty());
}

TEST_F(PhoneBookOnCard, WritingAnUnchangedPhoneBookSendsNothing) {
    const auto before = rig.Card().Profile();
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(rig.Card().Profile(), before);
}

TEST_F(PhoneBookOnCard, OneChangedEntryRewritesOnlyItsRecord) {
    const auto before = CardRecords(kAdnFile);
    std::strcpy(entries[9].name, "Renamed");
    entries[9].modified = 1;
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(report.recordsWritten, 1u);
    EXPECT_EQ(Updates(), 1u);
    const auto after = CardRecords(kAdnFile);
    for (std::size_t record = 0; record < before.size(); ++record) {
        if (record != 9) {
            EXPECT_EQ(after[record], before[record]) << record;
        }
    }
    EXPECT_EQ(std::string(after[9].begin(), after[9].begin() + 7), "Renamed");
    EXPECT_EQ(entries[9].modified, 0u);
}

TEST_F(PhoneBookOnCard, MovedUnchangedEntriesKeepTheirOwnBytes) {
    // Swap the UCS2-named entry (record 3) with an ordinary one, as a re-sorted view would.
    const auto before = CardRecords(kAdnFile);
    std::swap(entries[2], entries[6]);
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    const auto after = CardRecords(kAdnFile);
    EXPECT_EQ(after[6], before[2]);
    EXPECT_EQ(after[2], before[6]);
    EXPECT_EQ(entries[6].index, 6);
}

TEST_F(PhoneBookOnCard, ALongNumberGoesOutThroughTheExtensionFileAndComesBack) {
    const std::string forty = "4420123456789012345678901234567890123456";
    SetNumber(entries[5], "Long", forty);
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(report.extensionRecordsWritten, 1u);
    // Extension record first, then the record that points to it.
    EXPECT_EQ(rig.UpdatedFiles(), (std::vector<std::uint16_t>{0x6F4A, kAdnFile}));
    rig.session->ClearCache();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    std::array<PhoneBookEntry, 250> reread{};
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, reread, info));
    EXPECT_EQ(std::string(reread[5].number), forty);
    EXPECT_STREQ(reread[5].name, "Long");

    // Shortening it frees the extension record again.
    SetNumber(reread[5], "Long", "12");
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, reread, report));
    const std::uint8_t freed = CardRecords(kAdnFile)[5].back();
    EXPECT_EQ(freed, 0xFF);
}

TEST_F(PhoneBookOnCard, TooManyEntriesOrDigitsAreRefusedBeforeAnythingIsWritten) {
    const auto before = rig.Card().Profile();
    std::array<PhoneBookEntry, 130> crowded{};
    for (std::size_t position = 0; position < crowded.size(); ++position) SetNumber(crowded[position], "X", "1");
    PhoneBookWriteReport report;
    EXPECT_FALSE(WritePhoneBook(*rig.session, kAdnFile, crowded, report));
    EXPECT_EQ(rig.session->LastResult(), result::kPositionOverflow);

    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    for (std::size_t position : {5, 12, 19, 26}) SetNumber(entries[position], "Far", std::string(60, '9'));
    rig.ClearLog();
    EXPECT_FALSE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    EXPECT_EQ(rig.session->LastResult(), result::kExtensionOverflow);
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(rig.Card().Profile(), before);
}

TEST_F(PhoneBookOnCard, ACancelledWriteLeavesEveryRecordConsistent) {
    for (std::size_t position : {5, 12, 19}) SetNumber(entries[position], "Chain", std::string(40, '7'));
    rig.ui.cancelAtText = "Writing Item 14 ";
    rig.session->BeginProgress(nullptr, 5000, 5106);
    PhoneBookWriteReport report;
    EXPECT_FALSE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    EXPECT_EQ(rig.session->LastResult(), result::kCancelledByUser);
    rig.session->EndProgress(true);

    // Read back from the card itself: every chain ends in a used extension record.
    rig.session->ClearCache();
    rig.ui.cancelAtText.reset();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    std::array<PhoneBookEntry, 250> reread{};
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, reread, info));
    const auto& map = *rig.session->Caches().Map(card::UseMap::Adn);
    for (std::size_t record = 1; record < map.size(); ++record) {
        EXPECT_EQ(map[record] & 0xF0, 0) << record;  // no link to a missing or free extension
    }
    EXPECT_EQ(std::string(reread[5].number), std::string(40, '7'));
    EXPECT_EQ(reread[19].used, 0u);  // not reached before the cancel
}

TEST_F(PhoneBookOnCard, TheFixedDialingNumbersNeedPin2AndUseExt2) {
    std::array<PhoneBookEntry, 250> fdn{};
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kFdnFile, fdn, info));
    SetNumber(fdn[6], "Long FDN", std::string(30, '5'));
    PhoneBookWriteReport report;
    EXPECT_FALSE(WritePhoneBook(*rig.session, kFdnFile, fdn, report));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
    ASSERT_TRUE(rig.session->BeginSession(true, true, true)) << rig.session->FormatLastError();
    ASSERT_TRUE(WritePhoneBook(*rig.session, kFdnFile, fdn, report)) << rig.session->FormatLastError();
    const std::uint8_t extension = CardRecords(kFdnFile)[6].back();
    ASSERT_NE(extension, 0xFF);
    EXPECT_EQ(CardRecords(0x6F4B)[extension - 1][0], 0x02);
}

class SharedExtensions : public PhoneBookOnCard {
protected:
    static sim::SimProfile WithLastNumberSharingExt1() {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        // Last numbers dialled record 1 now continues in EXT1 record 1, as ADN record 2 does.
        auto& lnd = profile.FindFile(0x7F10, 0x6F44)->records[0];
        const auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records[1];
        lnd = adn;
        return profile;
    }
    SharedExtensions() : PhoneBookOnCard(WithLastNumberSharingExt1()) {}
};

TEST_F(SharedExtensions, AnExtensionRecordUsedByAnotherFileIsNeverFreed) {
    const auto ext1Before = CardRecords(0x6F4A);
    SetNumber(entries[1], "Bank", "123");
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(CardRecords(0x6F4A)[0], ext1Before[0]);
    EXPECT_EQ(CardRecords(kAdnFile)[1].back(), 0xFF);
}

}  // namespace
}  // namespace quillet::phonebook

namespace quillet::phonebook {
namespace {

TEST(PhoneBookSizes, ALargerFileFillsTheWholeEditorAndNoMore) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    adn.resize(254, std::vector<std::uint8_t>(30, 0xFF));
    testing::SessionRig rig(profile);
    rig.ui.pins = {"1234"};
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    std::array<PhoneBookEntry, 250> entries{};
    PhoneBookInfo info;
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info)) << rig.session->FormatLastError();
    EXPECT_EQ(info.entryCount, 250u);
}

TEST(PhoneBookSizes, OtherFilesAndInvalidatedFilesAreRefused) {
    testing::SessionRig rig(sim::BuildDemoSimProfile());
    rig.ui.pins = {"1234"};
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    std::array<PhoneBookEntry, 10> entries{};
    PhoneBookInfo info;
    EXPECT_FALSE(ReadPhoneBook(*rig.session, 0x6F3C, entries, info));
    EXPECT_EQ(rig.session->LastResult(), reader::result::kNonSpecific);
    // A failed read empties the caches; the next command starts its session afresh.
    rig.Card().MutableProfile().FindFile(0x7F10, 0x6F3A)->invalidated = true;
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_FALSE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    EXPECT_EQ(rig.session->LastResult(), reader::result::kInaccessibleRecord);
}

}  // namespace
}  // namespace quillet::phonebook

namespace quillet::phonebook {
namespace {

class PhoneBookWriteSafety : public PhoneBookOnCard {
protected:
    // Reads the phone book afresh from the card itself.
    std::array<PhoneBookEntry, 250> Reread() {
        rig.session->ClearCache();
        EXPECT_TRUE(rig.session->BeginSession(true, false, true));
        std::array<PhoneBookEntry, 250> reread{};
        EXPECT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, reread, info));
        return reread;
    }
};

class CancelledWrite : public PhoneBookWriteSafety, public ::testing::WithParamInterface<int> {};

TEST_P(CancelledWrite, NeverMixesTwoEntriesDigits) {
    // Use up the free EXT1 records, so a long number must take what "Conference" releases.
    for (std::size_t position : {5, 12, 19}) SetNumber(entries[position], "Filler", std::string(60, '3'));
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report)) << rig.session->FormatLastError();
    const std::string conference = entries[3].number;
    const std::string first = entries[0].number;
    SetNumber(entries[0], "Long", std::string(60, '6'));
    SetNumber(entries[3], "Conference", "123");
    rig.session->BeginProgress(nullptr, 5000, 5106);
    rig.ui.cancelAtText = "Writing Item " + std::to_string(GetParam()) + " ";
    EXPECT_FALSE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    rig.session->EndProgress(true);
    rig.ui.cancelAtText.reset();

    const auto reread = Reread();
    const std::string record4 = reread[3].number;
    EXPECT_TRUE(record4 == conference || record4 == "123") << record4;
    const std::string record1 = reread[0].number;
    EXPECT_TRUE(record1 == std::string(60, '6') || record1 == first) << record1;
    for (std::uint8_t use : *rig.session->Caches().Map(card::UseMap::Ext1)) EXPECT_EQ(use & 0x04, 0);
}

// Before anything, just after "Conference" is rewritten, and at the very end (the long number
// waits for the extension records "Conference" gives up).
INSTANTIATE_TEST_SUITE_P(AtSeveralPoints, CancelledWrite, ::testing::Values(1, 2, 4, 119, 120));

TEST_F(PhoneBookWriteSafety, AWriteStoppedHalfWayCanBeRepeatedWithoutLoss) {
    const std::string third = entries[2].name;
    const std::string seventh = entries[6].name;
    std::swap(entries[2], entries[6]);
    rig.session->BeginProgress(nullptr, 5000, 5106);
    rig.ui.cancelAtText = "Writing Item 7 ";
    PhoneBookWriteReport report;
    EXPECT_FALSE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    rig.session->EndProgress(true);
    rig.ui.cancelAtText.reset();
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report)) << rig.session->FormatLastError();
    const auto reread = Reread();
    EXPECT_EQ(std::string(reread[2].name), seventh);
    EXPECT_EQ(std::string(reread[6].name), third);
}

TEST_F(PhoneBookWriteSafety, EntriesThatDifferFromTheCardAreWrittenWhateverTheirMark) {
    // A restored backup hands over entries marked unchanged.
    std::strcpy(entries[0].name, "From backup");
    entries[0].modified = 0;
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    EXPECT_EQ(report.recordsWritten, 1u);
    EXPECT_STREQ(Reread()[0].name, "From backup");
}

TEST_F(PhoneBookWriteSafety, RecordsBeyondTheEditorAreLeftAlone) {
    const auto before = CardRecords(kAdnFile);
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, std::span(entries).first(100), report));
    EXPECT_EQ(CardRecords(kAdnFile), before);
}

TEST_F(PhoneBookWriteSafety, SixtyDigitsTravelThroughTwoExtensionRecords) {
    const std::string sixty = "1234567890" "1234567890" "1234567890" "1234567890" "1234567890" "123456789#";
    SetNumber(entries[5], "Sixty", sixty);
    PhoneBookWriteReport report;
    ASSERT_TRUE(WritePhoneBook(*rig.session, kAdnFile, entries, report));
    EXPECT_EQ(report.extensionRecordsWritten, 2u);
    EXPECT_EQ(std::string(Reread()[5].number), sixty);
}

}  // namespace
}  // namespace quillet::phonebook
