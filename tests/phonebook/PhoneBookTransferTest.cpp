// Reading and writing phone books on the virtual demo card: nothing lost, only changes written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "card/GsmText.h"
#include "phonebook/DiaFile.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/EntryName.h"
#include "phonebook/PhoneBookAdoption.h"
#include "phonebook/PhoneBookTransfer.h"
#include "phonebook/TextHelpers.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using testing::SessionRig;
namespace result = reader::result;
using Book = std::array<PhoneBookEntry, 250>;

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
        entry.used = entry.modified = entry.ton = entry.npi = 1;  // international
        SetNameBytes(entry, name);
        CopyBounded(entry.number, sizeof entry.number, number.c_str());
    }
    std::size_t Updates() const {
        std::size_t count = 0;
        for (const auto& header : rig.sent) count += header[1] == 0xDC;
        return count;
    }
    bool Write(std::span<PhoneBookEntry> book) { return WritePhoneBook(*rig.session, kAdnFile, book, report); }
    // Writes the entries with the progress window's cancel pressed once it shows item `item`.
    bool WriteCancelledAt(int item) {
        rig.session->BeginProgress(nullptr, 5000, 5106);
        rig.ui.cancelAtText = "Writing Item " + std::to_string(item) + " ";
        const bool written = Write(entries);
        rig.session->EndProgress(true);
        rig.ui.cancelAtText.reset();
        return written;
    }
    // Reads the phone book afresh from the card itself.
    Book Reread() {
        rig.session->ClearCache();
        EXPECT_TRUE(rig.session->BeginSession(true, false, true));
        Book reread{};
        EXPECT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, reread, info));
        return reread;
    }

    SessionRig rig;
    Book entries{};
    PhoneBookInfo info;
    PhoneBookWriteReport report;
};

TEST_F(PhoneBookOnCard, ReadsEveryRecordWithItsExtensionDigits) {
    EXPECT_EQ(info.entryCount, 120u);
    EXPECT_EQ(info.alphaLength, 16u);
    // The demo card's own coding: default alphabet (u umlaut 0x7E, '@' 0x00) and UCS2 names, numbers
    // of 24 and 42 digits that continue in EXT1.
    using Entry = std::tuple<std::string, std::string, int>;  // name bytes, number, type of number
    const auto entry = [&](std::size_t i) { return Entry(NameBytes(entries[i]), entries[i].number, entries[i].ton); };
    EXPECT_EQ(entry(0), Entry("J\x7Ergen M\x7Eller", "49301234567", 1));
    EXPECT_EQ(entry(1), Entry("Bank Hotline", "420221234567p1234p987654", 1));
    EXPECT_EQ(entry(2), Entry(std::string("\x80\x01\x60\x00\xE1\x00\x72\x00\x6B\x00\x61", 11), "602345678", 0));
    EXPECT_EQ(entry(3), Entry("Conference", "442079460000p123456789#p987654321#p1357924", 1));
    EXPECT_EQ(entry(4), Entry(std::string("Petr \0 work", 11), "420224876543", 1));
    EXPECT_EQ(entries[5].used, 0u);                                    // a gap
    EXPECT_TRUE(entries[200].index == 200 && entries[200].used == 0);  // positions beyond the card are numbered too

    // The second read of the same card comes from the caches.
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    EXPECT_TRUE(rig.sent.empty());
}

TEST_F(PhoneBookOnCard, WritingAnUnchangedPhoneBookSendsNothingAndLeavesRecordsBeyondTheEditorAlone) {
    const auto before = rig.Card().Profile();
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(rig.Card().Profile(), before);

    ASSERT_TRUE(Write(std::span(entries).first(100)));  // records beyond the editor are left alone
    EXPECT_EQ(rig.Card().Profile(), before);
}

TEST_F(PhoneBookOnCard, OnlyEntriesThatDifferFromTheCardAreRewrittenWhateverTheirMark) {
    auto expected = CardRecords(kAdnFile);
    std::strcpy(entries[9].name, "Renamed");
    entries[9].modified = 1;
    std::strcpy(entries[0].name, "From backup");  // a restored backup hands over entries marked unchanged
    entries[0].modified = 0;
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    EXPECT_EQ(report.recordsWritten, 2u);
    EXPECT_EQ(Updates(), 2u);
    std::fill_n(std::copy_n("Renamed", 7, expected[9].begin()), 16 - 7, 0xFF);
    std::fill_n(std::copy_n("From backup", 11, expected[0].begin()), 16 - 11, 0xFF);
    EXPECT_EQ(CardRecords(kAdnFile), expected);
    EXPECT_EQ(entries[9].modified, 0u);
}

// What a *.DIA file gives back for an entry: its line's text and nothing else of the record.
PhoneBookEntry AsReadFromText(const PhoneBookEntry& card) {
    PhoneBookEntry entry = EmptyPosition(card.index);
    if (!card.used) return entry;
    const DiaLineText text = DiaReadBackOf(card);
    EXPECT_TRUE(SetNameText(entry, card::TextFromUtf8(text.name).value(), kMaxNameBytes)) << text.name;
    std::string number;
    SplitInternational(text.number, number, entry.ton);
    CopyBounded(entry.number, sizeof entry.number, number.c_str());
    entry.used = entry.modified = 1;
    return entry;
}

TEST_F(PhoneBookOnCard, EntriesBackFromATextFileTakeTheirCardRecordsSoOnlyRealChangesAreWritten) {
    auto expected = CardRecords(kAdnFile);
    Book fromFile{};
    std::size_t used = 0;
    for (std::size_t position = 0; position < fromFile.size(); ++position) {
        fromFile[position] = AsReadFromText(entries[position]);
        used += entries[position].used != 0;
    }
    // The text lost the UCS2 name's bytes and its accents, the umlauts of "Jürgen Müller", NPIs and
    // extension links; one entry really changed in the file.
    EXPECT_NE(NameBytes(fromFile[2]), NameBytes(entries[2]));
    EXPECT_EQ(NameBytes(fromFile[0]), "Jurgen Muller");
    std::strcpy(fromFile[1].number, "420221234567");
    EXPECT_EQ(AdoptUnchangedEntries(fromFile, entries), used - 1);
    EXPECT_EQ(fromFile[2].modified, 0u);
    EXPECT_EQ(fromFile[1].modified, 1u);

    ASSERT_TRUE(Write(fromFile)) << rig.session->FormatLastError();
    EXPECT_EQ(Updates(), 2u);  // the changed record, and the extension record its number no longer needs
    expected[1] = CardRecords(kAdnFile)[1];
    EXPECT_EQ(CardRecords(kAdnFile), expected);
    EXPECT_EQ(std::string(Reread()[1].number), "420221234567");
}

class StrayBytesInAnEmptyRecord : public PhoneBookOnCard {
protected:
    static sim::SimProfile WithStrayBytes() {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        // Record 6 holds no entry (its length byte is 0xFF) but keeps an old name, as some phones leave it.
        std::copy_n("Old name", 8, profile.FindFile(0x7F10, 0x6F3A)->records[5].begin());
        return profile;
    }
    StrayBytesInAnEmptyRecord() : PhoneBookOnCard(WithStrayBytes()) {}
};

TEST_F(StrayBytesInAnEmptyRecord, IsLeftAsItIsByAWriteThatKeepsThePositionEmpty) {
    const auto before = rig.Card().Profile();
    ASSERT_EQ(entries[5].used, 0u);
    entries[5].modified = 1;
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(rig.Card().Profile(), before);
}

TEST_F(PhoneBookOnCard, MovedUnchangedEntriesKeepTheirOwnBytesAfterAStoppedWriteIsRepeated) {
    // Swap the UCS2-named entry (record 3) with an ordinary one, as a re-sorted view would; the
    // first write is cancelled between the two.
    const auto before = CardRecords(kAdnFile);
    std::swap(entries[2], entries[6]);
    EXPECT_FALSE(WriteCancelledAt(7));
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    EXPECT_EQ(CardRecords(kAdnFile)[6], before[2]);
    EXPECT_EQ(CardRecords(kAdnFile)[2], before[6]);
    EXPECT_EQ(entries[6].index, 6);
}

TEST_F(PhoneBookOnCard, LongNumbersGoOutThroughTheExtensionFileAndComeBack) {
    const std::string forty = "4420123456789012345678901234567890123456";
    SetNumber(entries[5], "Long", forty);
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    EXPECT_EQ(report.extensionRecordsWritten, 1u);
    // Extension record first, then the record that points to it.
    EXPECT_EQ(rig.UpdatedFiles(), (std::vector<std::uint16_t>{0x6F4A, kAdnFile}));
    Book reread = Reread();
    EXPECT_EQ(std::string(reread[5].number), forty);
    EXPECT_STREQ(reread[5].name, "Long");

    // Shortening it frees the extension record again.
    SetNumber(reread[5], "Long", "12");
    ASSERT_TRUE(Write(reread));
    EXPECT_EQ(CardRecords(kAdnFile)[5].back(), 0xFF);

    // Sixty digits take two extension records.
    const std::string sixty =
        "1234567890"
        "1234567890"
        "1234567890"
        "1234567890"
        "1234567890"
        "123456789#";
    SetNumber(reread[5], "Sixty", sixty);
    ASSERT_TRUE(Write(reread));
    EXPECT_EQ(report.extensionRecordsWritten, 2u);
    EXPECT_EQ(std::string(Reread()[5].number), sixty);
}

TEST_F(PhoneBookOnCard, TooManyEntriesOrDigitsAreRefusedBeforeAnythingIsWritten) {
    const auto before = rig.Card().Profile();
    std::array<PhoneBookEntry, 130> crowded{};
    for (std::size_t position = 0; position < crowded.size(); ++position) SetNumber(crowded[position], "X", "1");
    EXPECT_FALSE(Write(crowded));
    EXPECT_EQ(rig.session->LastResult(), result::kPositionOverflow);

    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    for (std::size_t position : {5, 12, 19, 26}) SetNumber(entries[position], "Far", std::string(60, '9'));
    rig.ClearLog();
    EXPECT_FALSE(Write(entries));
    EXPECT_EQ(rig.session->LastResult(), result::kExtensionOverflow);
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(rig.Card().Profile(), before);
}

// A phone stored an entry in an empty record after the read: writing a new entry there would
// overwrite it, so the write stops before its first UPDATE and the caches are dropped.
TEST_F(PhoneBookOnCard, ACardChangedSinceTheReadIsNotWritten) {
    const auto empty = std::find_if(entries.begin(), entries.begin() + info.entryCount,
                                    [](const PhoneBookEntry& entry) { return !entry.used; });
    ASSERT_NE(empty, entries.begin() + info.entryCount);
    PhoneBookEntry fromPhone = EmptyPosition(0);
    SetNumber(fromPhone, "Phone", "777");
    auto& onCard = rig.Card().MutableProfile().FindFile(0x7F10, kAdnFile)->records;
    onCard[empty->index] = EncodeDiallingRecord(fromPhone, onCard[empty->index].size(), 0xFF);
    const auto changed = rig.Card().Profile();
    SetNumber(*empty, "Mine", "123");
    EXPECT_FALSE(Write(entries));
    EXPECT_EQ(rig.session->LastResult(), result::kCardChangedSinceRead);
    EXPECT_EQ(Updates(), 0u);
    EXPECT_EQ(rig.Card().Profile(), changed);
    EXPECT_TRUE(rig.session->Cache().Empty());
    EXPECT_EQ(empty->modified, 1u);
}

// The card answers 9000 to the UPDATE but keeps the old record: the read-back finds it, the write
// fails with its own message and the entry stays modified.
TEST_F(PhoneBookOnCard, AWriteTheCardDidNotKeepIsReported) {
    SetNumber(entries[1], "Changed", "4912345");
    Book trial = entries;
    ASSERT_TRUE(Write(trial)) << rig.session->FormatLastError();
    const std::vector<std::uint8_t> sent = rig.Instructions();
    const auto update = std::find(sent.begin(), sent.end(), 0xDC);
    ASSERT_NE(update, sent.end());

    SessionRig fresh(sim::BuildDemoSimProfile(), {"1234"});
    ASSERT_TRUE(fresh.session->BeginSession(true, false, true));
    ASSERT_TRUE(ReadPhoneBook(*fresh.session, kAdnFile, trial, info));
    const auto before = fresh.Card().Profile();
    fresh.Reader().ArmFaults(sim::CardFaultPlan().FailCommand(update - sent.begin(), 0x9000));
    EXPECT_FALSE(WritePhoneBook(*fresh.session, kAdnFile, entries, report));
    EXPECT_EQ(fresh.session->LastResult(), result::kWriteNotKept);
    EXPECT_EQ(entries[1].modified, 1u);
    EXPECT_TRUE(fresh.session->Cache().Empty());
    EXPECT_EQ(fresh.Card().Profile(), before);
}

TEST_F(PhoneBookOnCard, TheFixedDialingNumbersNeedPin2AndUseExt2) {
    Book fdn{};
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kFdnFile, fdn, info));
    EXPECT_EQ(std::string(fdn[2].number), "420234567890p4455p6123456");  // continued in EXT2
    SetNumber(fdn[6], "Long FDN", std::string(30, '5'));
    EXPECT_FALSE(WritePhoneBook(*rig.session, kFdnFile, fdn, report));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
    ASSERT_TRUE(rig.session->BeginSession(true, true, true)) << rig.session->FormatLastError();
    ASSERT_TRUE(WritePhoneBook(*rig.session, kFdnFile, fdn, report)) << rig.session->FormatLastError();
    const std::uint8_t extension = CardRecords(kFdnFile)[6].back();
    ASSERT_NE(extension, 0xFF);
    EXPECT_EQ(CardRecords(0x6F4B)[extension - 1][0], 0x02);
}

class CancelledWrite : public PhoneBookOnCard, public ::testing::WithParamInterface<int> {};

TEST_P(CancelledWrite, NeverMixesTwoEntriesDigits) {
    // Use up the free EXT1 records, so a long number must take what "Conference" releases.
    for (std::size_t position : {5, 12, 19}) SetNumber(entries[position], "Filler", std::string(60, '3'));
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    const std::string conference = entries[3].number;
    const std::string first = entries[0].number;
    SetNumber(entries[0], "Long", std::string(60, '6'));
    SetNumber(entries[3], "Conference", "123");
    EXPECT_FALSE(WriteCancelledAt(GetParam()));

    const Book reread = Reread();
    const std::string record4 = reread[3].number;
    EXPECT_TRUE(record4 == conference || record4 == "123") << record4;
    const std::string record1 = reread[0].number;
    EXPECT_TRUE(record1 == std::string(60, '6') || record1 == first) << record1;
    const auto ext1 = rig.session->Cache().UseMapOf(card::UseMap::Ext1);
    ASSERT_TRUE(ext1.has_value());
    for (std::uint8_t use : *ext1) EXPECT_EQ(use & 0x04, 0);
    // No record links to a missing or free extension record (the map's first byte is its size).
    const auto adn = rig.session->Cache().UseMapOf(card::UseMap::Adn);
    ASSERT_TRUE(adn.has_value());
    for (std::size_t record = 1; record < adn->size(); ++record) EXPECT_EQ((*adn)[record] & 0xF0, 0) << record;
}

// Before anything, just after "Conference" is rewritten, and at the very end (the long number
// waits for the extension records "Conference" gives up).
INSTANTIATE_TEST_SUITE_P(AtSeveralPoints, CancelledWrite, ::testing::Values(1, 2, 4, 119, 120));

class SharedExtensions : public PhoneBookOnCard {
protected:
    static sim::SimProfile WithLastNumberSharingExt1() {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        // Last numbers dialled record 1 now continues in EXT1 record 1, as ADN record 2 does.
        profile.FindFile(0x7F10, 0x6F44)->records[0] = profile.FindFile(0x7F10, 0x6F3A)->records[1];
        return profile;
    }
    SharedExtensions() : PhoneBookOnCard(WithLastNumberSharingExt1()) {}
};

TEST_F(SharedExtensions, AnExtensionRecordUsedByAnotherFileIsNeverFreed) {
    const auto ext1Before = CardRecords(0x6F4A);
    SetNumber(entries[1], "Bank", "123");
    ASSERT_TRUE(Write(entries)) << rig.session->FormatLastError();
    EXPECT_EQ(CardRecords(0x6F4A)[0], ext1Before[0]);
    EXPECT_EQ(CardRecords(kAdnFile)[1].back(), 0xFF);
}

TEST(PhoneBookSizes, ALargerFileFillsTheWholeEditorAndOtherFilesAreRefused) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    profile.FindFile(0x7F10, 0x6F3A)->records.resize(254, std::vector<std::uint8_t>(30, 0xFF));
    SessionRig rig(profile, {"1234"});
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    Book entries{};
    PhoneBookInfo info;
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info)) << rig.session->FormatLastError();
    EXPECT_EQ(info.entryCount, 250u);

    EXPECT_FALSE(ReadPhoneBook(*rig.session, 0x6F3C, entries, info));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    // A failed read empties the caches; the next command starts its session afresh.
    rig.Card().MutableProfile().FindFile(0x7F10, 0x6F3A)->invalidated = true;
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    EXPECT_FALSE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    EXPECT_EQ(rig.session->LastResult(), result::kInaccessibleRecord);
}

}  // namespace
}  // namespace quillet::phonebook
