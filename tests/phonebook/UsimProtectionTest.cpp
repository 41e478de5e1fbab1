// Writing the GSM view of a UICC's phone book: an entry replaced or deleted takes the e-mail and the
// second number the USIM keeps for its record along, in the standard's order, after asking; and the
// EXT1 records of the phone book's other sets, which the GSM view cannot see, are left alone.
#include <gtest/gtest.h>

#include "card/CardCheck.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookTransfer.h"
#include "phonebook/TextHelpers.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr sim::DirectoryKey kBook = 0x7F105F3A;
constexpr std::uint16_t kIap = 0x4F25;
constexpr std::uint16_t kEmail = 0x4F50;  // type 2 in set 1
constexpr std::uint16_t kAnr = 0x4F11;
constexpr std::uint16_t kSne = 0x4F19;
constexpr std::uint16_t kChangeCounter = 0x4F23;

class UsimPhoneBook : public ::testing::Test {
protected:
    void SetUp() override {
        rig.ui.pins = {"1234"};
        ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
        ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info)) << rig.session->FormatLastError();
        rig.ClearLog();
    }
    const sim::SimElementaryFile& File(std::uint16_t id) { return *rig.Card().Profile().FindFile(kBook, id); }
    bool Write() {
        PhoneBookWriteReport report;
        return WritePhoneBook(*rig.session, kAdnFile, std::span(entries).first(info.entryCount), report);
    }
    void Replace(std::size_t position, const char* name) {
        PhoneBookEntry& entry = entries[position];
        entry.used = entry.modified = 1;
        SetNameBytes(entry, name);
        CopyBounded(entry.number, sizeof entry.number, "603111222");
    }
    // The files written, in order: class A0 by the file the session selected, class 00 by path.
    std::vector<std::uint16_t> WrittenFiles() const {
        std::vector<std::uint16_t> files;
        std::uint16_t selected = 0;
        for (std::size_t index = 0; index < rig.sent.size(); ++index) {
            const auto& header = rig.sent[index];
            const Bytes& data = rig.sentData[index];
            if (header[1] == 0xA4 && data.size() >= 2) {
                selected = static_cast<std::uint16_t>(data[data.size() - 2] << 8 | data.back());
            }
            if (header[1] == 0xDC || header[1] == 0xD6) files.push_back(selected);
        }
        return files;
    }

    testing::SessionRig rig{sim::BuildDemoDualModeProfile()};
    std::array<PhoneBookEntry, 250> entries{};
    PhoneBookInfo info;
};

TEST_F(UsimPhoneBook, AReplacedEntryTakesItsLinkedDataAlongInTheStandardsOrder) {
    // Entry 1 has an e-mail through EF_IAP (e-mail record 1) and a second number.
    ASSERT_EQ(File(kIap).records.at(0), Bytes{0x01});
    ASSERT_NE(File(kAnr).records.at(0), Bytes(15, 0xFF));
    const Bytes counter = File(kChangeCounter).content;
    Replace(0, "Someone Else");
    rig.ui.answers = {card::Answer::Yes};

    ASSERT_TRUE(Write()) << rig.session->FormatLastError();
    ASSERT_EQ(rig.ui.questions.size(), 1u);
    EXPECT_NE(rig.ui.questions[0].find("1 entry that this write replaces or deletes has e-mail addresses"),
              std::string::npos);
    EXPECT_EQ(File(kEmail).records.at(0), Bytes(22, 0xFF));
    EXPECT_EQ(File(kIap).records.at(0), Bytes{0xFF});
    EXPECT_EQ(File(kAnr).records.at(0), Bytes(15, 0xFF));
    EXPECT_EQ(File(0x4F3A).records.at(0).at(0), 'S');
    EXPECT_EQ(File(kChangeCounter).content, (Bytes{counter[0], static_cast<std::uint8_t>(counter[1] + 1)}));
    // Type 2 record, EF_IAP, type 1 record, the ADN record last, then the change counter.
    EXPECT_EQ(WrittenFiles(), (std::vector<std::uint16_t>{kEmail, kIap, kAnr, 0x6F3A, kChangeCounter}));
    // Others keep theirs: entry 3's e-mail, second number and nickname.
    EXPECT_NE(File(kSne).records.at(2), Bytes(16, 0xFF));
    EXPECT_EQ(File(kIap).records.at(2), Bytes{0x03});
}

TEST_F(UsimPhoneBook, DeletingAnEntryClearsItsDataAndCancellingSendsNothing) {
    const sim::SimProfile before = rig.Card().Profile();
    entries[2] = PhoneBookEntry{};  // entry 3: e-mail, second number and nickname
    entries[2].modified = 1;
    rig.ui.answers = {card::Answer::No};
    EXPECT_FALSE(Write());
    EXPECT_EQ(rig.session->LastResult(), reader::result::kCancelledByUser);
    EXPECT_TRUE(WrittenFiles().empty());
    EXPECT_EQ(rig.Card().Profile(), before);

    rig.ui.answers = {card::Answer::Yes};
    ASSERT_TRUE(Write()) << rig.session->FormatLastError();
    EXPECT_EQ(File(kSne).records.at(2), Bytes(16, 0xFF));
    EXPECT_EQ(File(kAnr).records.at(2), Bytes(15, 0xFF));
    EXPECT_EQ(File(kEmail).records.at(2), Bytes(22, 0xFF));
    EXPECT_FALSE(IsDiallingRecordInUse(File(0x4F3A).records.at(2)));
}

TEST_F(UsimPhoneBook, EntriesWithoutLinkedDataAreWrittenWithoutAQuestion) {
    Replace(6, "Petr Novak");  // entry 7: name and number only
    ASSERT_TRUE(Write()) << rig.session->FormatLastError();
    EXPECT_TRUE(rig.ui.questions.empty());
    EXPECT_EQ(WrittenFiles(), (std::vector<std::uint16_t>{0x6F3A}));
}

// Set 2 keeps the rest of a number in EXT1 record 10, which no GSM file names.
TEST_F(UsimPhoneBook, ExtensionRecordsOfOtherSetsAreNeitherFreedNorTaken) {
    const Bytes setTwosExtension = File(0x4F4A).records.back();
    ASSERT_NE(setTwosExtension.at(0), 0xFF);
    std::string brief;
    std::string detailed;
    bool errors = true;
    bool needsPin2 = false;
    ASSERT_TRUE(card::CheckCard(*rig.session, brief, detailed, errors, needsPin2, true)) << detailed;
    EXPECT_FALSE(errors) << detailed;
    EXPECT_EQ(File(0x4F4A).records.back(), setTwosExtension);

    // Seven more extension records are wanted; six are free. The seventh must not be set 2's.
    ASSERT_TRUE(ReadPhoneBook(*rig.session, kAdnFile, entries, info));
    const char* const digits60 = "+42022400011112345678901234567890123456789012345678901234567";
    for (const std::size_t position : {5, 12, 19}) Replace(position, "Long");
    for (const std::size_t position : {5, 12, 19})
        CopyBounded(entries[position].number, sizeof entries[position].number, digits60);
    Replace(26, "Longer");
    CopyBounded(entries[26].number, sizeof entries[26].number, "+4202240001111234567890123456789");
    rig.ClearLog();
    EXPECT_FALSE(Write());
    EXPECT_EQ(rig.session->LastResult(), reader::result::kExtensionOverflow);
    EXPECT_TRUE(WrittenFiles().empty());
    EXPECT_EQ(File(0x4F4A).records.back(), setTwosExtension);
}

}  // namespace
}  // namespace quillet::phonebook
