// *.DIA phone book files: reading, writing and every message on the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "card/GsmText.h"
#include "phonebook/DiaFile.h"
#include "phonebook/EntryName.h"
#include "phonebook/PhoneBookAdoption.h"
#include "phonebook/TextHelpers.h"
#include "resources/StringTable.h"
#include "support/ScriptedUserInterface.h"
#include "support/TemporaryFolder.h"

namespace quillet::phonebook {
namespace {

using card::Answer;
using card::MessageIcon;
using testing::ReadFileBytes;
using testing::WriteFileBytes;
using Table = std::array<PhoneBookEntry, kDiaPositions>;

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }

Table FreshTable() {
    Table table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = EmptyPosition(static_cast<std::uint16_t>(i));
    return table;
}

// The name as typed (UTF-8), encoded for the card.
void Put(Table& table, std::size_t position, std::string_view name, const char* number, std::uint8_t ton = 0) {
    PhoneBookEntry& entry = table[position];
    entry.used = 1;
    ASSERT_TRUE(SetNameText(entry, card::TextFromUtf8(name).value(), kMaxNameBytes)) << name;
    CopyBounded(entry.number, sizeof entry.number, number);
    entry.ton = ton;
}

std::string Shown(const PhoneBookEntry& entry) { return NameIn(entry, card::TextForm::Display); }

// A used entry as "name|number|ton" with the name as shown, an unused one as "".
std::string Row(const PhoneBookEntry& entry) {
    return entry.used ? Shown(entry) + "|" + entry.number + "|" + std::to_string(entry.ton) : "";
}

// Reads a file into a table; the table's positionCount starts as given.
struct Reading {
    Table table = FreshTable();
    unsigned count = 250;
    testing::ScriptedUserInterface ui;
    DiaReadResult result;
    testing::TemporaryFolder folder;

    DiaReadResult Run(const std::string& path, DiaReadOptions options = {}) {
        result = ReadDiaFile(path, options, table, count, ui);
        return result;
    }
    // Reads a file of these contents.
    DiaReadResult Read(const std::string& contents, DiaReadOptions options = {}) {
        WriteFileBytes(folder.File("book.dia"), contents);
        return Run(folder.File("book.dia"), options);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : table) names.push_back(entry.used ? Shown(entry) : "");
        while (!names.empty() && names.back().empty()) names.pop_back();
        return names;
    }
};

// --- reading and writing *.DIA files --------------------------------------------------------

Table DemoBook() {
    Table table = FreshTable();
    Put(table, 0, "Mama", "420602123456", 1);
    Put(table, 1, "Šťastný Jiří", "0221234567");
    Put(table, 4, "Voicemail", "*#21#p123");
    Put(table, 9, "Long international", std::string(60, '9').c_str(), 1);
    Put(table, 10, "Long national", std::string(60, '8').c_str());
    Put(table, 249, "Exactly thirty-two characters...", "112");
    Put(table, 248, "Two\nlines", "5");
    table[0].capabilityId = 3;  // not kept by the file
    return table;
}

TEST(DiaFile, SavedBookReadsBackAtTheSamePositions) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("book.dia");
    WriteFileBytes(path, "previous book");
    const Table book = DemoBook();
    testing::ScriptedUserInterface ui;
    ASSERT_TRUE(WriteDiaFile(path, book, 1, 250, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], std::make_pair(Text(57782), MessageIcon::Information));
    EXPECT_EQ(ReadFileBytes(path).substr(0, 24), "1\tMama\t+420602123456\r\n2\t");

    Reading reading;
    reading.count = 100;  // a card with fewer records: the file raises the count
    Put(reading.table, 7, "Gone", "1");
    EXPECT_EQ(reading.Run(path).outcome, DiaReadOutcome::Complete);
    EXPECT_TRUE(reading.ui.messages.empty());
    EXPECT_EQ(reading.count, 250u);
    for (std::size_t i = 0; i < kDiaPositions; ++i) {
        EXPECT_EQ(reading.table[i].modified, 1u) << i;  // all of it goes to the card
        EXPECT_EQ(Row(reading.table[i]), i == 1 ? "Stastny Jiri|0221234567|0" : Row(book[i])) << i;
    }
    // Names from files lose their accents; the card's extension details are not taken from the file.
    EXPECT_TRUE(reading.table[0].capabilityId == 0xFF && reading.table[0].extensionId == 0xFF);

    // A range in index order, whatever the order of the positions.
    Table shuffled = book;
    std::swap(shuffled[0], shuffled[4]);
    ASSERT_TRUE(WriteDiaFile(path, shuffled, 2, 5, ui));
    // Names are written in Windows-1250; only reading turns them into plain letters.
    EXPECT_EQ(ReadFileBytes(path), "2\t\x8A\x9D\x61stn\xFD Ji\xF8\xED\t0221234567\r\n5\tVoicemail\t*#21#p123\r\n");
}

// Every shape an entry may have is saved and read back as the same line, and a book read back from
// a file is saved again to the same bytes.
TEST(DiaFile, EveryEntryShapeSurvivesTheFile) {
    struct Shape {
        std::string name;  // as typed
        std::string number;
        std::uint8_t ton;
        std::string readBack;  // Row() after reading, when not the entry itself
    };
    const Shape shapes[] = {
        {"", "0301234", 0, ""},  // no name; on the first line it still makes a numbered file
        {"Name only", "", 0, ""},
        {"International none", "", 1, "International none||0"},  // the file has no type without digits
        {"", std::string(60, '9'), 1, ""},                       // '+' in front of 60 digits
        {" Leading space", "1", 0, ""},
        {"  ", "2", 0, ""},
        {"Trailing ", "3", 0, ""},
        {"Tab\tinside", "4", 1, ""},
        {"Line\nfeed\rreturn", "5", 0, ""},
        {"0", "7", 0, ""},
        {std::string(32, 'W'), "*#pDE0123456789", 0, ""},
        {"me@home $5_ok", "10", 1, ""},  // '@', '$' and '_' are bytes below 0x20 on the card
        {"[a~b]", "11", 0, ""},          // escape pairs of GSM
        {"@", "", 0, ""},
        {"", "", 1, "||0"},  // in use, with neither name nor number
        // Windows-1250 in the file, plain letters when read
        {"Müller", "12", 0, "Muller|12|0"},
        {"Řehoř", "13", 0, "Rehor|13|0"},
        {"5€ deal", "14", 0, "5. deal|14|0"},
        {"ΔÆØ", "15", 0, ".AEO|15|0"},  // spelled plainly where Windows-1250 lacks them
    };
    Table book = FreshTable();
    for (std::size_t i = 0; i < std::size(shapes); ++i) {
        const Shape& shape = shapes[i];
        Put(book, 3 * i, shape.name, shape.number.c_str(), shape.ton);
    }
    testing::TemporaryFolder folder;
    const std::string path = folder.File("shapes.dia");
    testing::ScriptedUserInterface ui;
    ASSERT_TRUE(WriteDiaFile(path, book, 1, 250, ui));
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes, FormatDiaFile(book, 1, 250));
    EXPECT_EQ(bytes.substr(0, 14), "1\t\x1b\x30\t0301234\r\n");

    Reading reading;
    ASSERT_EQ(reading.Run(path).outcome, DiaReadOutcome::Complete) << Row(reading.table[0]);
    std::size_t used = 0;
    for (std::size_t i = 0; i < kDiaPositions; ++i) used += reading.table[i].used;
    EXPECT_EQ(used, std::size(shapes));  // no entry left out
    for (std::size_t i = 0; i < std::size(shapes); ++i) {
        const Shape& shape = shapes[i];
        const std::string expected = shape.readBack.empty() ? Row(book[3 * i]) : shape.readBack;
        EXPECT_EQ(Row(reading.table[3 * i]), expected) << i;
        // What the file says about the read entry is what it said about the card's.
        EXPECT_EQ(DiaReadBackOf(reading.table[3 * i]), DiaReadBackOf(book[3 * i])) << i;
    }
    // Read back and saved again, then once more: the same file, byte for byte.
    const std::string again = FormatDiaFile(reading.table, 1, 250);
    Reading second;
    ASSERT_EQ(second.Read(again).outcome, DiaReadOutcome::Complete);
    EXPECT_EQ(FormatDiaFile(second.table, 1, 250), again);
}

// What a card's name shows as, what the file holds for it, and what reading the file gives back.
TEST(DiaFile, NamesAreWrittenInWindows1250AndReadBackInPlainLetters) {
    struct Case {
        std::vector<std::uint8_t> card;
        std::string file;
        std::string readBack;
        std::string shown;
        bool windowsName = false;
    };
    const Case cases[] = {
        {{0x80, 0x00, 0x4A, 0x00, 0xFC, 0x00, 0x72, 0x00, 0x67, 0x00, 0x65, 0x00, 0x6E},
         "J\xFCrgen",
         "Jurgen",
         "Jürgen"},
        {{0x81, 0x04, 0x02, 0x8C, 0x65, 0x63, 0x68},
         "\xC8"
         "ech",
         "Cech",
         "Čech"},
        {{0x82, 0x05, 0x01, 0x00, 0xD8, 0x65, 0x68, 0x6F, 0xD9},
         "\xD8"
         "eho\xF8",
         "Rehor",
         "Řehoř"},
        {{0x6D, 0x65, 0x00, 0x68, 0x6F, 0x6D, 0x65}, "me@home", "me@home", "me@home"},
        {{0x4D, 0x7E, 0x6C, 0x6C, 0x65, 0x72, 0x11, 0x02}, "M\xFCller_$", "Muller_$", "Müller_$"},
        {{0x35, 0x1B, 0x65, 0x20, 0x64, 0x65, 0x61, 0x6C}, "5\x80 deal", "5. deal", "5€ deal"},
        // an older editor's Windows-1250 names: their own bytes, an undefined one included
        {{0xC8, 0x65, 0x63, 0x68},
         "\xC8"
         "ech",
         "Cech",
         "Čech",
         true},
        {{0x41, 0x81, 0x42},
         "A\x81"
         "B",
         "A.B",
         "A\uFFFD"
         "B",
         true},
        // a NUL has no place in a line
        {{0x80, 0x00, 0x41, 0x00, 0x00}, "A.", "A.", std::string("A\0", 2)},
        // spelled out a name may outgrow the entry: the file holds what reads back (16 of 20 "AE")
        {std::vector<std::uint8_t>(20, 0x1C), "AEAEAEAEAEAEAEAEAEAEAEAEAEAEAEAE", "AEAEAEAEAEAEAEAEAEAEAEAEAEAEAEAE",
         "ÆÆÆÆÆÆÆÆÆÆÆÆÆÆÆÆÆÆÆÆ"},
    };
    for (const Case& test : cases) {
        Table book = FreshTable();
        book[0].used = 1;
        SetNameBytes(book[0], std::string(test.card.begin(), test.card.end()));
        SCOPED_TRACE(test.shown);
        EXPECT_EQ(Shown(book[0]), test.shown);
        EXPECT_EQ(HasWindowsName(book[0]), test.windowsName);
        EXPECT_EQ(DiaTextOf(book[0]).name, test.file);
        // A terminal gets the lines in UTF-8, a NUL as in the file.
        std::string line = test.shown;
        std::replace(line.begin(), line.end(), '\0', '.');
        EXPECT_EQ(FormatDiaFile(book, 1, 1, card::TextForm::Display), "1\t" + line + "\t\x1b\x30\r\n");

        Reading reading;
        ASSERT_EQ(reading.Read(FormatDiaFile(book, 1, 1)).outcome, DiaReadOutcome::Complete);
        EXPECT_EQ(Shown(reading.table[0]), test.readBack);
        EXPECT_EQ(DiaReadBackOf(book[0]).name, test.readBack);
        // The card's entry stands for what the file gave back, so its bytes stay.
        EXPECT_EQ(AdoptUnchangedEntries(reading.table, book), 1u);
        EXPECT_EQ(NameBytes(reading.table[0]), NameBytes(book[0]));
    }
}

// Typed names reach the card as phones write them; the file's text is encoded the same way.
TEST(DiaFile, NamesFromTheFileAreEncodedForTheCard) {
    Reading reading;
    ASSERT_EQ(reading.Read("1\tme@home $5_ok\t1\r\n2\t\x8A\x9D\x61stn\xFD [1]\t2\r\n").outcome,
              DiaReadOutcome::Complete);
    EXPECT_EQ(NameBytes(reading.table[0]), std::string("\x6D\x65\x00\x68\x6F\x6D\x65\x20\x02\x35\x11\x6F\x6B", 13));
    EXPECT_EQ(NameBytes(reading.table[1]),
              "Stastny \x1B\x3C"
              "1\x1B\x3E");
}

// A card name the file spells differently is no longer the card's entry.
TEST(DiaFile, OnlyNamesThatReadBackTheSameKeepTheCardsBytes) {
    Table card = FreshTable();
    Put(card, 0, "Müller", "1");
    Put(card, 1, "Müller", "2");
    Put(card, 2, "Müller", "3");
    Reading reading;
    ASSERT_EQ(reading.Read("1\tMuller\t1\r\n2\tM\xFCller\t2\r\n3\tMueller\t3\r\n").outcome, DiaReadOutcome::Complete);
    EXPECT_EQ(AdoptUnchangedEntries(reading.table, card), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(NameBytes(reading.table[i]), "M\x7Eller") << i;
    EXPECT_EQ(Shown(reading.table[2]), "Mueller");
    EXPECT_EQ(reading.table[2].modified, 1u);
}

TEST(DiaFile, SaveFailuresKeepTheOldFile) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("book.dia");
    const std::string old = "1\tKeep me\t123\r\n";
    WriteFileBytes(path, old);
    const Table book = DemoBook();
    testing::ScriptedUserInterface ui;

    EXPECT_FALSE(WriteDiaFile(path, book, 3, 2, ui));
    EXPECT_FALSE(WriteDiaFile(path, book, 0, 2, ui));
    EXPECT_FALSE(WriteDiaFile(folder.Path().string(), book, 1, 250, ui));
    {
        testing::FileSizeLimit limit(40);  // the disk fills up in the middle of the save
        EXPECT_FALSE(WriteDiaFile(path, book, 1, 250, ui));
    }

    const std::vector<std::pair<std::string, MessageIcon>> expected = {
        {Text(57783), MessageIcon::Error},
        {Text(57783), MessageIcon::Error},
        {Text(57780) + "\nIs a directory", MessageIcon::Error},
        {Text(57781) + "\nFile too large", MessageIcon::Error},
    };
    EXPECT_EQ(ui.messages, expected);
    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(folder.Entries(), 1);
}

TEST(DiaFile, HandWrittenFilesOfBothShapes) {
    struct Case {
        const char* contents;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // two fields, with and without the last line feed, blank lines and CRs anywhere
        {"Anna\t+49301234\r\n\r\n  Be\rrt \t 030\r\nCarl\t0", {"Anna", "Bert ", "Carl"}},
        {"Anna\t+49301234\nBert\t030\n", {"Anna", "Bert"}},
        // numbered lines keep their positions, the last line needs no line feed
        {"3\tAnna\t1\n1\tBert\t2", {"Bert", "", "Anna"}},
        // a two-field file whose names are numbers
        {"7\t123\n", {"7"}},
        // trailing blanks after the last field
        {"2\tAnna\t1\t \r\n", {"", "Anna"}},
        // empty-field marks: a name-only entry on the first line makes a numbered file
        {"2\tAnna\t\x1b\x30\r\n1\tBert\t\x1b\x30", {"Bert", "Anna"}},
        {"Anna\t\x1b\x30\r\nBert\t5\r\n", {"Anna", "Bert"}},
    };
    for (const Case& test : cases) {
        Reading reading;
        EXPECT_EQ(reading.Read(test.contents).outcome, DiaReadOutcome::Complete) << test.contents;
        EXPECT_TRUE(reading.ui.messages.empty()) << test.contents;
        EXPECT_EQ(reading.Names(), test.names) << test.contents;
    }
    Reading reading;
    reading.Read("Anna\t+49301234\nBert\t+" + std::string(60, '1') + "\n");
    EXPECT_EQ(Row(reading.table[0]), "Anna|49301234|1");
    EXPECT_EQ(Row(reading.table[1]), "Bert|" + std::string(60, '1') + "|1");
}

// A record in use with neither name nor number has its line of two empty-field marks, in both shapes.
TEST(DiaFile, EntriesThatHoldNothingKeepTheirPlace) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"1\tAnna\t1\r\n3\t\x1b\x30\t\x1b\x30\r\n4\tBert\t2\r\n", {"Anna|1|0", "", "||0", "Bert|2|0"}},
        {"2\t\x1b\x30\t\x1b\x30", {"", "||0"}},
        {"Anna\t1\r\n\x1b\x30\t\x1b\x30\r\nBert\t2\r\n", {"Anna|1|0", "||0", "Bert|2|0"}},
        {"\x1b\x30\t\x1b\x30\r\nBert\t2", {"||0", "Bert|2|0"}},
    };
    for (const auto& [contents, rows] : cases) {
        Reading reading;
        EXPECT_EQ(reading.Read(contents).outcome, DiaReadOutcome::Complete) << contents;
        std::vector<std::string> read;
        for (std::size_t i = 0; i < rows.size(); ++i) read.push_back(Row(reading.table[i]));
        EXPECT_EQ(read, rows) << contents;
        EXPECT_EQ(reading.table[rows.size()].used, 0u) << contents;
    }
}

// *.DIA files of the earlier writer held a name's card bytes, ESC bytes (GSM extension characters)
// unescaped: such files give the names that phones showed for those bytes.
TEST(DiaFile, FilesOfTheEarlierWriterGiveTheSameNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"1\tA\033e\t123\r\n", "A\033e"},  // "A€": the card bytes 41 1B 65
        {"1\t\033e5\t123\r\n", "\033e5"},
        {"1\tEnd\x1b\t123\r\n", "End\x1b"},  // an ESC last, before the TAB
        {"1\t\x1b<\x1b>\x1b/\x1b(\x1b)\t1", "\x1b<\x1b>\x1b/\x1b(\x1b)"},
        {"1\tTwo\x1bnlines\t1", "Two\nlines"},
        {"1\tMid\x1b space\t1", "Mid\x1b space"},
        {"1\t\03300\t1", "\03300"},  // ESC '0' with more after it is no empty-field mark
    };
    for (const auto& [contents, bytes] : cases) {
        Reading reading;
        ASSERT_EQ(reading.Read(contents).outcome, DiaReadOutcome::Complete) << contents;
        const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
        EXPECT_EQ(NameText(reading.table[0]), card::DecodeAlphaIdentifier(std::span(raw, bytes.size())).text)
            << contents;
    }
    // Extension characters come back as the card's escape pairs.
    Reading euro;
    ASSERT_EQ(euro.Read(cases[0].first).outcome, DiaReadOutcome::Complete);
    EXPECT_EQ(NameBytes(euro.table[0]), "A\033e");
}

TEST(DiaFile, SyntaxErrorsNameTheirLineAndKeepWhatWasPlaced) {
    const std::string good = "1\tAnna\t123\n\n";  // the error is on line 3
    const std::string bad[] = {
        "251\tName\t1",                         // record number beyond the table
        "0\tName\t1",                           // no record 0
        "4\tName\t",                            // no number
        "4\tName\t12a",                         // not a dialling character
        "4\tName\t12F34",                       // 'F' would end the number on the card
        "4\tName\t1+2",                         // '+' inside
        "4\tName\t+",                           // a '+' alone
        "4\t" + std::string(33, 'n') + "\t1",   // 33 characters
        "4\t" + std::string(17, '[') + "\t1",   // 17 characters of 34 bytes on the card
        "4\tName\t" + std::string(61, '1'),     // 61 digits
        "4\tName\t1\textra",                    // a fourth field
        "1\tAgain\t5",                          // the same position twice
        std::string("4\tNa") + '\0' + "me\t1",  // a NUL inside the name
        "4\t\x1b\x30\t",                        // the empty-field mark, and no number field
        "4\tName\t\x1b\x30+1",                  // not the empty-field mark: "ESC 0+1"
    };
    for (const std::string& line : bad) {
        Reading reading;
        const DiaReadResult result = reading.Read(good + line + "\n2\tLater\t1\n");
        EXPECT_EQ(result.outcome, DiaReadOutcome::SyntaxError) << line;
        EXPECT_EQ(result.line, 3u) << line;
        ASSERT_EQ(reading.ui.messages.size(), 1u) << line;
        EXPECT_EQ(reading.ui.messages[0], std::make_pair(Text(57475) + "3", MessageIcon::Error));
        EXPECT_EQ(reading.Names(), std::vector<std::string>{"Anna"}) << line;
    }

    // A third field in a two-field file; an empty number on the first line, which makes it a
    // two-field file; Add with start plus record number beyond 250.
    const std::tuple<std::string, DiaReadOptions, unsigned> others[] = {
        {"Anna\t1\nBert\t2\t3\n", {}, 2},
        {"1\tAnna\t\n2\tBert\t5\n", {}, 1},
        {"1\tAnna\t1\n2\tBert\t2\n", {DiaReadMode::Add, 250, true, true}, 2},
    };
    for (const auto& [contents, options, line] : others) {
        Reading reading;
        EXPECT_EQ(reading.Read(contents, options).line, line) << contents;
        EXPECT_EQ(reading.Names().empty() ? "" : reading.Names().back(), line == 2 ? "Anna" : "") << contents;
    }
}

TEST(DiaFile, OverwriteAndDeleteQuestions) {
    // Adds the file to 14 used positions of 20 (or of `count`), answering the questions in turn.
    const auto add = [](std::deque<Answer> answers, DiaReadOptions options, unsigned count = 20) {
        auto reading = std::make_unique<Reading>();
        reading->count = count;
        for (std::size_t i = 0; i < 14; ++i) Put(reading->table, i, ("Old" + std::to_string(i)).c_str(), "1");
        std::swap(reading->table[0], reading->table[2]);  // Add reads into the table in index order
        reading->ui.answers = std::move(answers);
        reading->Read("5\tFive\t5\n9\tNine\t9\n12\tTwelve\t12\n", options);
        return reading;
    };

    // Without empty entries the three lines land one after another, over used positions.
    const auto packed = add({Answer::Yes}, {DiaReadMode::Add, 3, false, true});
    EXPECT_EQ(packed->result.outcome, DiaReadOutcome::Complete);
    EXPECT_EQ(packed->ui.questions, std::vector<std::string>{Text(57473)});  // asked once
    EXPECT_EQ(packed->Names(), (std::vector<std::string>{"Old0", "Old1", "Five", "Nine", "Twelve", "Old5", "Old6",
                                                         "Old7", "Old8", "Old9", "Old10", "Old11", "Old12", "Old13"}));
    EXPECT_EQ(packed->count, 20u);

    // With them, the lines keep their numbers from the start and the old entries between go.
    const auto spread = add({Answer::Yes, Answer::Yes}, {DiaReadMode::Add, 2, true, true});
    EXPECT_EQ(spread->result.outcome, DiaReadOutcome::Complete);
    EXPECT_EQ(spread->ui.questions, (std::vector<std::string>{Text(57473), Text(57474)}));
    EXPECT_EQ(spread->Names(), (std::vector<std::string>{"Old0", "", "", "", "", "Five", "", "", "", "Nine", "", "",
                                                         "Twelve", "Old13"}));
    EXPECT_EQ(spread->table[1].modified, 1u);

    // Refusing the deletion keeps the old entries between.
    const auto keep = add({Answer::Yes, Answer::No}, {DiaReadMode::Add, 2, true, true});
    EXPECT_STREQ(keep->table[1].name, "Old1");
    EXPECT_STREQ(keep->table[5].name, "Five");

    // Refusing the overwrite stops quietly before the first used position.
    const auto refused = add({Answer::No}, {DiaReadMode::Add, 2, true, true});
    EXPECT_EQ(refused->result.outcome, DiaReadOutcome::Declined);
    EXPECT_TRUE(refused->ui.messages.empty());
    EXPECT_STREQ(refused->table[5].name, "Old5");

    // Without the confirm setting nothing is asked.
    const auto silent = add({}, {DiaReadMode::Add, 2, true, false});
    EXPECT_TRUE(silent->ui.questions.empty());
    EXPECT_EQ(silent->table[1].used, 0u);

    // The table is extended to 250 for the read.
    const auto grown = add({Answer::Yes}, {DiaReadMode::Add, 3, true, true}, 3);
    EXPECT_EQ(grown->count, 14u);
    EXPECT_STREQ(grown->table[13].name, "Twelve");
    EXPECT_EQ(grown->table[5].used, 0u);  // beyond the old count: initialised, not asked about
}

TEST(DiaFile, OpenStartAndRangeChecks) {
    testing::TemporaryFolder folder;
    Table table = FreshTable();
    testing::ScriptedUserInterface ui;
    Put(table, 3, "A", "1");
    EXPECT_TRUE(CheckAddStart(10, 10, ui));
    EXPECT_TRUE(CheckSaveRange(1, 10, 10, ui));
    EXPECT_TRUE(ui.messages.empty());

    unsigned count = 10;
    EXPECT_EQ(ReadDiaFile(folder.File("x.dia"), {DiaReadMode::Add, 11, false, true}, table, count, ui).outcome,
              DiaReadOutcome::BadStart);
    EXPECT_EQ(ReadDiaFile(folder.File("missing.dia"), {}, table, count, ui).outcome, DiaReadOutcome::CannotOpen);
    EXPECT_EQ(table[3].used, 1u);  // nothing changed
    EXPECT_EQ(ReadDiaFile(folder.Path().string(), {}, table, count, ui).outcome, DiaReadOutcome::ReadError);
    const std::vector<std::pair<std::string, MessageIcon>> expected = {
        {Text(57470), MessageIcon::Error}, {Text(57472), MessageIcon::Error}, {Text(57476), MessageIcon::Error}};
    EXPECT_EQ(ui.messages, expected);
}

TEST(DiaFile, DamagedAndHugeFilesEndCleanly) {
    // Cut in the middle of a line: the entries before it stay.
    Reading truncated;
    EXPECT_EQ(truncated.Read("1\tAnna\t123\r\n2\tBe").line, 2u);
    EXPECT_EQ(truncated.Names(), std::vector<std::string>{"Anna"});

    // 100 000 lines: the table is full after 250 of them.
    std::string many;
    for (int i = 0; i < 100000; ++i) many += "Name " + std::to_string(i) + "\t" + std::to_string(i) + "\r\n";
    Reading full;
    EXPECT_EQ(full.Read(many).line, 251u);
    EXPECT_STREQ(full.table[249].name, "Name 249");

    // 100 000 blank lines and a 1 MB field before the entries are read through with bounded buffers.
    Reading blank;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(blank.Read(std::string(100000, '\n') + "Anna\t1\n" + std::string(1 << 20, 'z') + "\t2\n").line, 100002u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(blank.Names(), std::vector<std::string>{"Anna"});
}

}  // namespace
}  // namespace quillet::phonebook
