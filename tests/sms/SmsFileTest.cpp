// Message files: *.SMS written and read back, *.SMA archives built by appending and written by hand, every
// message of the three commands, and huge files (truncation and random damage are the fuzz target's job).
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/PhoneMessages.h"
#include "sms/SmsAdoption.h"
#include "sms/SmsFile.h"
#include "sms/SmsRecordCodec.h"
#include "sms/SmsTimeValue.h"
#include "support/ScriptedUserInterface.h"
#include "support/TemporaryFolder.h"

namespace quillet::sms {
namespace {

using testing::ReadFileBytes;
using testing::ScriptedUserInterface;
using testing::TemporaryFolder;
using testing::WriteFileBytes;
using Window = std::array<SmsEntry, 99>;

Window EmptyWindow() {
    Window window;
    for (std::size_t i = 0; i < window.size(); ++i) window[i] = MakeEmptySmsEntry(static_cast<std::uint16_t>(i));
    return window;
}

// A message; a leading '+' of a number stands for TON 1, the text is Windows-1250.
SmsEntry Message(std::uint16_t index, std::string_view centre, std::string_view number, std::string_view date,
                 std::uint32_t status, std::uint32_t ref, std::string_view text) {
    SmsEntry e = MakeEmptySmsEntry(index);
    e.used = 1, e.status = status, e.messageRef = ref;
    e.centreTon = centre.starts_with('+'), e.addressTon = number.starts_with('+');
    SetFieldText(e.serviceCentre, centre.substr(e.centreTon));
    SetFieldText(e.address, number.substr(e.addressTon));
    SetFieldText(e.dateOrValidity, date);
    EXPECT_TRUE(SetMessageFileText(e, text));
    return e;
}

// The fields a file carries, in one comparable line.
std::string Fields(const SmsEntry& e) {
    std::ostringstream out;
    out << e.used << ' ' << e.index << ' ' << (e.centreTon == 1 ? "+" : "") << FieldText(e.serviceCentre) << ' '
        << (e.addressTon == 1 ? "+" : "") << FieldText(e.address) << " [" << FieldText(e.dateOrValidity) << "] "
        << e.status << ' ' << e.messageRef << " [" << MessageFileText(e) << ']';
    return out.str();
}

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }

// The one message shown (error icon), or "" when none.
std::string Shown(const ScriptedUserInterface& ui) {
    EXPECT_LE(ui.messages.size(), 1u);
    if (ui.messages.empty()) return "";
    EXPECT_EQ(ui.messages[0].second, card::MessageIcon::Error);
    return ui.messages[0].first;
}

const std::tm kNow = [] {
    std::tm now{};
    now.tm_mday = 3, now.tm_mon = 11, now.tm_year = 101, now.tm_hour = 14, now.tm_min = 25;
    return now;
}();

TEST(SmsFileTest, SavedLinesHaveTheFileLayout) {
    TemporaryFolder folder;
    Window window = EmptyWindow();
    window[4] = Message(4, "+420603052000", "603111222", "12.05.99 10:00", 2, 17, "Hi\nthere");
    window[6] = Message(6, "", "", "", 3, 0, "");
    window[7] = Message(7, "1", "2", "24 hours", 0, 0, "beyond count");
    ScriptedUserInterface ui;
    ASSERT_TRUE(SaveSmsFile(folder.File("a.sms"), window, 7, ui, &kNow));
    EXPECT_EQ(ReadFileBytes(folder.File("a.sms")),
              "5\t>+420603052000\t>603111222\t>12.05.99 10:00\t2\t17\t>Hi\x1bnthere\r\n"
              "7\t>\t>\t>03.12.01 14:25\t3\t0\t>\r\n");

    ASSERT_TRUE(AddToSmsArchiveFile(folder.File("a.sma"), window, 7, ui, &kNow));
    EXPECT_EQ(ReadFileBytes(folder.File("a.sma")),
              ">+420603052000\t>603111222\t>12.05.99 10:00\t2\t17\t>Hi\x1bnthere\r\n"
              ">\t>\t>03.12.01 14:25\t3\t0\t>\r\n");
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SmsFileTest, SaveThenOpenGivesTheSameMessages) {
    TemporaryFolder folder;
    Window window = EmptyWindow();
    window[0] = Message(0, "+420603052000", "+12345678901234567890", "7 days", 3, 255, "plain");
    window[41] = Message(41, "*#pDE", "0", "31.12.98 23:59", 1, 0, "CR LF\r\nand\ttab \x1b esc");
    window[98] = Message(98, "", "", "", 0, 0, std::string(160, 'x'));
    ScriptedUserInterface ui;
    ASSERT_TRUE(SaveSmsFile(folder.File("m.sms"), window, 99, ui, &kNow));

    Window read = EmptyWindow();
    read[10] = Message(10, "", "", "", 0, 0, "old");
    std::uint32_t count = 30;
    ASSERT_TRUE(OpenSmsFile(folder.File("m.sms"), read, count, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(Fields(read[0]), Fields(window[0]));
    EXPECT_EQ(Fields(read[41]), Fields(window[41]));            // CR, LF, TAB and ESC survive
    SetFieldText(window[98].dateOrValidity, "03.12.01 14:25");  // an empty date is saved as the time of saving
    EXPECT_EQ(Fields(read[98]), Fields(window[98]));
    EXPECT_EQ(read[0].modified, 1u);
    EXPECT_EQ(read[10].used, 0u);  // the window was cleared
}

// Every field, TON and NPI included.
std::string AllFields(const SmsEntry& e) {
    return Fields(e) + " ton " + std::to_string(e.centreTon) + "/" + std::to_string(e.addressTon) + " npi " +
           std::to_string(e.centreNpi) + "/" + std::to_string(e.addressNpi);
}

SmsEntry With(SmsEntry entry, const std::function<void(SmsEntry&)>& change) {
    change(entry);
    return entry;
}

// What a message of the card gives after a trip through a file: the file has '+' for an international
// number and nothing else of TON and NPI, a number read gets the ISDN plan, and a date text it cannot
// read becomes the time of saving.
SmsEntry AfterFile(SmsEntry entry) {
    entry.centreTon = entry.centreTon == 1, entry.addressTon = entry.addressTon == 1;
    entry.centreNpi = entry.centreTon == 1 || entry.serviceCentre[0] != '\0';
    entry.addressNpi = entry.addressTon == 1 || entry.address[0] != '\0';
    SmsTimeValue value{};
    if (!ParseDateOrValidity(FieldText(entry.dateOrValidity), value)) {
        SetFieldText(entry.dateOrValidity, "03.12.01 14:25");
    }
    entry.modified = 1;
    return entry;
}

// Saves the messages as *.SMS and as a new *.SMA and opens both: each gives the messages as AfterFile
// says, and what was read saves to the same bytes again.
void ExpectSurvives(const std::vector<SmsEntry>& messages) {
    ASSERT_LE(messages.size(), 99u);
    Window window = EmptyWindow();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        window[i] = messages[i];
        window[i].index = static_cast<std::uint16_t>(i);
    }
    TemporaryFolder folder;
    ScriptedUserInterface ui;
    ASSERT_TRUE(SaveSmsFile(folder.File("m.sms"), window, 99, ui, &kNow));
    ASSERT_TRUE(AddToSmsArchiveFile(folder.File("m.sma"), window, 99, ui, &kNow));
    for (const char* name : {"m.sms", "m.sma"}) {
        SCOPED_TRACE(name);
        Window read = EmptyWindow();
        std::uint32_t count = 0;
        ASSERT_TRUE(OpenSmsFile(folder.File(name), read, count, ui)) << Shown(ui);
        EXPECT_EQ(count, messages.size());
        for (std::size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(AllFields(read[i]), AllFields(AfterFile(window[i]))) << i;
        }
        EXPECT_EQ(FormatSmsFile(read, 99, &kNow), ReadFileBytes(folder.File("m.sms")));
    }
}

TEST(SmsFileTest, EveryMessageShapeOfACardSurvivesTheFile) {
    const auto npi = [](std::uint8_t centre, std::uint8_t address) {
        return [=](SmsEntry& e) { e.centreNpi = centre, e.addressNpi = address; };
    };
    const auto ton = [](std::uint8_t address) { return [=](SmsEntry& e) { e.addressTon = address; }; };
    ExpectSurvives({
        With(Message(0, "+420603052000", "+420777123456", "06.12.26 10:15", 1, 0, "Dinner at 8?"), npi(1, 1)),
        With(Message(0, "+", "", "01.01.00 00:00", 0, 0, "centre of no digits"), npi(1, 0)),
        Message(0, "", "", "31.12.99 23:59", 0, 0, "no centre, no sender"),
        With(Message(0, "1", "D*#pE0", "1.1.99 0:00", 1, 0, "alphanumeric sender"), ton(5)),
        With(Message(0, "1", "0603111222", "24 hours", 2, 7, "national"), ton(2)),
        Message(0, "+" + std::string(20, '9'), "+" + std::string(20, '8'), "5 min", 3, 255, "longest numbers"),
        Message(0, "1", "2", "1 day", 2, 1, "  CR\r LF\n TAB\t ESC\x1b end  "),
        Message(0, "1", "2", "1 day", 2, 1, ">marked @\x7f"),
        Message(0, "1", "2", "1 day", 2, 1, std::string(160, 'x')),
        Message(0, "1", "2", "1 day", 2, 1, std::string(70, '\xF8')),  // UCS2
        Message(0, "1", "2", "1 day", 2, 1, "\x1b\x30"),
        Message(0, "1", "2", "1 day", 2, 1, " "),
        Message(0, "1", "2", "", 3, 0, ""),  // no validity: the time of saving
        Message(0, "1", "2", "00.00.00 00:00", 1, 0, "zero time stamp"),
    });
    // Every relative validity the card can hold, as its text.
    for (unsigned first = 0; first < 256; first += 99) {
        std::vector<SmsEntry> periods;
        for (unsigned validity = first; validity < std::min(first + 99, 256u); ++validity) {
            SmsTimeValue value{};
            value.validity = static_cast<std::uint8_t>(validity);
            char text[16];
            FormatDateOrValidity(value, text);
            periods.push_back(Message(0, "1", "2", text, 3, validity, "period"));
        }
        ExpectSurvives(periods);
    }
}

// Phones' messages go to a file in Windows-1250 (what it lacks spelled plainly, the part mark left
// out); read back, every one counts as unchanged and keeps the card's bytes. On a terminal (Display)
// the text is UTF-8 and a part is marked.
TEST(SmsFileTest, PhonesMessagesSaveAsWindows1250AndKeepTheirBytes) {
    const std::vector<testing::PhoneMessage> messages = testing::PhoneMessages();
    Window onCard = EmptyWindow();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        onCard[i] = DecodeSmsRecord(messages[i].record, static_cast<std::uint16_t>(i));
    }
    const std::string saved = FormatSmsFile(onCard, 99, &kNow);
    const std::string shown = FormatSmsFile(onCard, 99, &kNow, card::TextForm::Display);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE(messages[i].name);
        const std::string prefix = std::to_string(i + 1) + "\t>+420603052000\t>+420603111222\t>09.03.24 18:30\t0\t0\t>";
        for (auto [text, form] : {std::pair(messages[i].file, saved), std::pair(messages[i].shown, shown)}) {
            if (const std::size_t at = text.find('\n'); at != std::string::npos) text.replace(at, 1, "\x1bn");
            EXPECT_NE(form.find(prefix + text + "\r\n"), std::string::npos) << text;
        }
    }

    TemporaryFolder folder;
    WriteFileBytes(folder.File("m.sms"), saved);
    Window read = EmptyWindow();
    std::uint32_t count = 0;
    ScriptedUserInterface ui;
    ASSERT_TRUE(OpenSmsFile(folder.File("m.sms"), read, count, ui)) << Shown(ui);
    EXPECT_EQ(AdoptUnchangedMessages(read, onCard, MessageSource::TextFile), messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(std::memcmp(&read[i], &onCard[i], sizeof(SmsEntry)), 0) << messages[i].name;
    }
}

// A record that breaks a rule is a syntax error named by its line; the records before it stay.
TEST(SmsFileTest, SyntaxErrorsNameTheLineOfTheirRecord) {
    const std::string good = "1\t>1\t>2\t>1 day\t0\t0\t>t\r\n";
    std::vector<std::pair<std::string, unsigned>> cases = {
        {"bad\r\n", 1},
        {good + "\r\n\r\n" + "4\t>1\t>2\t>1 day\t9\t0\t>t\r\n", 4},              // blank lines count
        {"1\t>1\t>2\t>1 day\t0\t0\t>two\x1bnlines\r\n2\t>", 2},                  // an escaped line feed does not
        {good + "\r\n" + good, 3},                                               // the same position again
        {"1\t>1\t>2\t>1 day\t0\t0\t>t\t2\t>1\t>2\t>1 day\t0\t0\t>t\r\n", 1},     // two messages on one line
        {">1\t>2\t>1 day\t0\t0\t>t\t>1\t>2\t>1 day\t0\t0\t>t\r\n", 1},           // two archive messages
        {">1\t>2\t>1 day\t0\t0\t>t\r\n>1\t>2\t>1 day\t0\t0\t>t\textra\r\n", 2},  // an archive line of 7 fields
    };
    for (const std::string& line : std::vector<std::string>{
             "0\t>1\t>2\t>1 day\t0\t0\t>t\r\n",
             "100\t>1\t>2\t>1 day\t0\t0\t>t\r\n",
             "1\t1\t>2\t>1 day\t0\t0\t>t\r\n",
             "1\t>1\t>2\t>1 day\t4\t0\t>t\r\n",
             "1\t>1\t>2\t>1 day\t0\t256\t>t\r\n",
             "1\t>1\t>2\t>1 day\t0\t-1\t>t\r\n",
             "1\t>1\t>2\t>0 days\t0\t0\t>t\r\n",
             "1\t>1+\t>2\t>1 day\t0\t0\t>t\r\n",
             "1\t>1\t>2A\t>1 day\t0\t0\t>t\r\n",
             "1\t>1\t>12F45\t>1 day\t0\t0\t>t\r\n",  // 'F' would end the number on the card
             "1\t>1\t>2\t>1 day\t0\t0\tt\r\n",
             "1\t>" + std::string(21, '1') + "\t>2\t>1 day\t0\t0\t>t\r\n",
             "1\t>1\t>2\t>1 day\t0\t0\t>" + std::string(161, 'x') + "\r\n",  // too long for any message
             "1\t>1\t>2\t>1 day\t0\t0\t>" + std::string(300, 'x') + "\r\n",
             "1\t>1\t>2\t>1 day\t0\t0\r\n",  // six fields: read as an archive, ">1" lands in the position's place
             std::string("1\t>1\t>2\t>1 d\0y\t0\t0\t>t\r\n", 23),
             ">1\t>2\t>1 day\t0\t0\t>t\textra\r\n",
             "2\t>1\t>2\t>1 day\t0\t0\t\x1b\x30\r\n",   // the empty-field mark is no text
             "1\t>1\t>2\t>1 day\t0\t0\t>t\r\n",         // the position of the line before
             "2\t>1\t>2\t>1 day\t0\t0\t>t\textra\r\n",  // an eighth field
             "2\t>1\t>2\t>1 day\t0\t0\t>t\t \t>\r\n",   // an eighth field behind blanks
         }) {
        cases.emplace_back(good + line, 2);
    }
    TemporaryFolder folder;
    for (const auto& [contents, line] : cases) {
        SCOPED_TRACE(contents);
        WriteFileBytes(folder.File("x.sms"), contents);
        ScriptedUserInterface ui;
        Window window = EmptyWindow();
        std::uint32_t count = 5;
        EXPECT_FALSE(OpenSmsFile(folder.File("x.sms"), window, count, ui));
        EXPECT_EQ(Shown(ui), Text(57688) + std::to_string(line));
        if (line > 1) {
            EXPECT_EQ(window[0].used, 1u);
        }
    }
}

// Limits that are still inside the rules; blanks may follow the last field.
TEST(SmsFileTest, RecordsAtTheLimitsAreRead) {
    TemporaryFolder folder;
    WriteFileBytes(folder.File("ok.sms"), "099\t>+" + std::string(20, '9') + "\t>\t>12.05.1999    10:05\t3\t255\t>" +
                                              std::string(160, 'y') + "\r\n" + "1\t>1\t>2\t>1 day\t0\t0\t>t\t \t\r\n" +
                                              "2\t>1\t>2\t>1 day\t0\t0\t>" + std::string(71, '\xF8') + "\r\n");
    ScriptedUserInterface ui;
    Window window = EmptyWindow();
    std::uint32_t count = 0;
    ASSERT_TRUE(OpenSmsFile(folder.File("ok.sms"), window, count, ui)) << Shown(ui);
    EXPECT_EQ(MessageListText(window[98]).size(), 160u);
    // Too long for UCS2, ř is spelled plainly so that the text fits the default alphabet.
    EXPECT_EQ(MessageListText(window[1]), std::string(71, 'r'));
    EXPECT_EQ(FieldText(window[98].dateOrValidity), "12.05.99 10:05");  // too long to keep: shortest form
    EXPECT_EQ(MessageListText(window[0]), "t");
}

TEST(SmsFileTest, AddToFileAppendsAndOpensAsArchive) {
    TemporaryFolder folder;
    const std::string path = folder.File("box.sma");
    WriteFileBytes(path, "\r\n  >1\t>2\t> 5 min\t0\t0\t>hand written\n\n>\t>+3\t>1.2.2003 4:05\t2\t9\t>no line end");
    Window window = EmptyWindow();
    window[3] = Message(3, "9", "8", "60 mins", 3, 1, "added");
    ScriptedUserInterface ui;
    ASSERT_TRUE(AddToSmsArchiveFile(path, window, 99, ui, &kNow));
    EXPECT_EQ(folder.Entries(), 1);

    Window read = EmptyWindow();
    std::uint32_t count = 0;
    ASSERT_TRUE(OpenSmsFile(path, read, count, ui)) << Shown(ui);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(Fields(read[0]), Fields(Message(0, "1", "2", " 5 min", 0, 0, "hand written")));
    EXPECT_EQ(Fields(read[1]), Fields(Message(1, "", "+3", "1.2.2003 4:05", 2, 9, "no line end")));
    EXPECT_EQ(Fields(read[2]), Fields(Message(2, "9", "8", "60 mins", 3, 1, "added")));
}

TEST(SmsFileTest, FailuresReportTheirMessageAndKeepTheOldFiles) {
    TemporaryFolder folder;
    Window window = EmptyWindow();
    window[0] = Message(0, "1", "2", "1 day", 0, 0, std::string(150, 'z'));
    const std::string missingFolder = folder.File("none/x.sms");

    ScriptedUserInterface ui;
    EXPECT_FALSE(SaveSmsFile(missingFolder, window, 99, ui, &kNow));
    EXPECT_FALSE(AddToSmsArchiveFile(missingFolder, window, 99, ui, &kNow));
    std::filesystem::create_directory(folder.File("dir"));
    WriteFileBytes(folder.File("dir/inside"), "x");
    EXPECT_FALSE(AddToSmsArchiveFile(folder.File("dir"), window, 99, ui, &kNow));  // refused before anything
    std::uint32_t count = 7;
    Window before = window;
    EXPECT_FALSE(OpenSmsFile(folder.File("missing.sms"), window, count, ui));
    EXPECT_FALSE(OpenSmsFile(folder.File("dir"), window, count, ui));  // reading fails
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(std::memcmp(&before, &window, sizeof(window)), 0);  // nothing read, window untouched
    // Save, Add and Open each have their own texts, though some read alike; a save says why it failed.
    const std::string missing = "\n" + std::string(std::strerror(ENOENT));
    const std::string full = "\n" + std::string(std::strerror(EFBIG));
    const std::vector<std::string> expected = {
        Text(57685) + missing, Text(57690) + missing, Text(57690) + "\n" + std::strerror(EISDIR),
        Text(57687),           Text(57689),           Text(57686) + full,
        Text(57692) + full,
    };

    // A write that fails part-way leaves the existing file as it was and no temporary file behind.
    WriteFileBytes(folder.File("keep.sms"), "old contents");
    WriteFileBytes(folder.File("keep.sma"), "old archive");
    {
        testing::FileSizeLimit limit(100);
        EXPECT_FALSE(SaveSmsFile(folder.File("keep.sms"), window, 99, ui, &kNow));
        EXPECT_FALSE(AddToSmsArchiveFile(folder.File("keep.sma"), window, 99, ui, &kNow));
    }
    ASSERT_EQ(ui.messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ui.messages[i].first, expected[i]) << i;
    EXPECT_EQ(ReadFileBytes(folder.File("keep.sms")), "old contents");
    EXPECT_EQ(ReadFileBytes(folder.File("keep.sma")), "old archive");
    EXPECT_EQ(folder.Entries(), 3);
}

TEST(SmsFileTest, PositionsDecideTheCount) {
    TemporaryFolder folder;
    WriteFileBytes(folder.File("p.sms"), "42\t>1\t>2\t>1 day\t0\t0\t>first\r\n");
    ScriptedUserInterface ui;
    Window window = EmptyWindow();
    std::uint32_t count = 30;
    ASSERT_TRUE(OpenSmsFile(folder.File("p.sms"), window, count, ui));
    EXPECT_EQ(count, 42u);
    EXPECT_EQ(MessageListText(window[41]), "first");
    count = 99;
    ASSERT_TRUE(OpenSmsFile(folder.File("p.sms"), window, count, ui));
    EXPECT_EQ(count, 99u);
    std::array<SmsEntry, 40> small{};  // a smaller window takes no position beyond its end
    EXPECT_FALSE(OpenSmsFile(folder.File("p.sms"), small, count, ui));
    EXPECT_EQ(Shown(ui), Text(57688) + "1");
}

// A 100 000-line file streams through and its line numbers count to the end; one endless field costs
// no memory and, as the file gives no record, leaves the window as it was.
TEST(SmsFileTest, LargeFilesStayBounded) {
    TemporaryFolder folder;
    // 99 messages among blank lines, the last of them on line 100 000.
    constexpr int kLines = 100000;
    {
        std::ofstream out(folder.File("long.sms"), std::ios::binary);
        int position = 1;
        for (int line = 0; line < kLines; ++line) {
            if (position <= 99 && line == (position - 1) * (kLines - 1) / 98) {
                out << position++ << "\t>1\t>2\t>1 day\t1\t5\t>line " << line + 1;
            }
            out << "\r\n";
        }
        out << "99\t>1\t>2\t>1 day\t1\t5\t>again";  // a position taken before
    }
    ScriptedUserInterface ui;
    Window window = EmptyWindow();
    std::uint32_t count = 0;
    EXPECT_FALSE(OpenSmsFile(folder.File("long.sms"), window, count, ui));
    EXPECT_EQ(Shown(ui), Text(57688) + std::to_string(kLines + 1));
    ui.messages.clear();
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(MessageListText(window[98]), "line 100000");

    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    {
        std::ofstream out(folder.File("endless.sms"), std::ios::binary);
        out << "1\t>1\t>2\t>1 day\t1\t5\t>";
        const std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 32; ++i) out << chunk;
    }
    const Window kept = window;
    count = 12;
    EXPECT_FALSE(OpenSmsFile(folder.File("endless.sms"), window, count, ui));
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 8 * 1024);  // kilobytes
    EXPECT_EQ(Shown(ui), Text(57688) + "1");
    EXPECT_EQ(std::memcmp(&kept, &window, sizeof(window)), 0);
    EXPECT_EQ(count, 12u);
}

}  // namespace
}  // namespace quillet::sms
