// The printed reports' pages laid out in tenths of a millimetre, measured by a fixed-pitch measure:
// the frame of every page, wrapping, page breaks and the columns of both reports.
#include <gtest/gtest.h>

#include <algorithm>

#include "card/GsmText.h"
#include "phonebook/EntryName.h"
#include "sms/MessageBody.h"
#include "ui/ReportLayout.h"

namespace quillet::ui::report {
namespace {

// Every character 50 wide; headings 45 high, normal text 40, message text 42.
class FixedPitch final : public TextMeasure {
public:
    double Width(ReportFont, std::string_view utf8) const override {
        return 50.0 * static_cast<double>(std::count_if(utf8.begin(), utf8.end(), [](char byte) {
                   return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
               }));
    }
    double Height(ReportFont font) const override {
        return font == ReportFont::Heading ? 45 : font == ReportFont::Normal ? 40 : 42;
    }
};

const FixedPitch kMeasure;

phonebook::PhoneBookEntry Entry(std::uint16_t index, std::u32string_view name, const char* number, bool international) {
    phonebook::PhoneBookEntry entry = phonebook::EmptyPosition(index);
    entry.used = 1;
    EXPECT_TRUE(phonebook::SetNameText(entry, name, 32));
    std::snprintf(entry.number, sizeof entry.number, "%s", number);
    entry.ton = international ? 1 : 0;
    return entry;
}

// The texts of a page at one y, left to right.
std::vector<std::string> Line(const ReportPage& page, double y) {
    std::vector<const PlacedText*> found;
    for (const PlacedText& text : page.texts) {
        if (text.y == y) found.push_back(&text);
    }
    std::sort(found.begin(), found.end(), [](auto* a, auto* b) { return a->x < b->x; });
    std::vector<std::string> texts;
    for (const PlacedText* text : found) texts.push_back(text->text);
    return texts;
}

// The distinct y of a page's entry lines (below the headings), top first.
std::vector<double> LineTops(const ReportPage& page) {
    std::vector<double> tops;
    for (const PlacedText& text : page.texts) {
        if (text.y < -100 && std::find(tops.begin(), tops.end(), text.y) == tops.end()) tops.push_back(text.y);
    }
    std::sort(tops.rbegin(), tops.rend());
    return tops;
}

TEST(ReportLayout, WrappingMovesTrailingCharactersToTheNextPiece) {
    const std::string digits = "123456789012345678901234567890123456789012345678901234567890";
    const std::vector<std::string> pieces = WrapText(digits, 1000, ReportFont::Normal, kMeasure);
    EXPECT_EQ(pieces,
              (std::vector<std::string>{"12345678901234567890", "12345678901234567890", "12345678901234567890"}));
    // Characters, not bytes, move; a character wider than the room still goes out alone.
    EXPECT_EQ(WrapText("ŠárkaŽ", 149, ReportFont::Normal, kMeasure), (std::vector<std::string>{"Šá", "rk", "aŽ"}));
    EXPECT_EQ(WrapText("Ωμ", 10, ReportFont::Normal, kMeasure), (std::vector<std::string>{"Ω", "μ"}));
    EXPECT_EQ(WrapText("", 10, ReportFont::Normal, kMeasure), (std::vector<std::string>{""}));
}

TEST(ReportLayout, AnEmptyPhoneBookPrintsOneFramedPage) {
    const PageSize page{2000, 2800};
    const std::vector<phonebook::PhoneBookEntry> empty = {phonebook::EmptyPosition(0), phonebook::EmptyPosition(1)};
    const std::vector<ReportEntry> entries = PhoneBookEntries(empty, page, kMeasure);
    EXPECT_TRUE(entries.empty());
    const std::vector<ReportPage> pages = LayOutReport(ReportKind::PhoneBook, entries, page, kMeasure);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].number, 1u);
    EXPECT_EQ(Line(pages[0], -100), (std::vector<std::string>{"#", "Name:", "Telephone", "<1>"}));
    std::vector<std::pair<double, std::string>> heading;
    for (const PlacedText& text : pages[0].texts) {
        EXPECT_EQ(text.font, ReportFont::Heading);
        heading.emplace_back(text.x, text.text);
    }
    // "<1>" ends at the right edge, W − 100.
    EXPECT_EQ(heading, (std::vector<std::pair<double, std::string>>{
                           {200, "#"}, {500, "Name:"}, {1000, "Telephone"}, {1900 - 150, "<1>"}}));
    ASSERT_EQ(pages[0].rules.size(), 2u);
    EXPECT_EQ(pages[0].rules[0].y, -105 - 45);
    EXPECT_EQ(pages[0].rules[1].y, 1 - 2800);
    for (const Rule& rule : pages[0].rules) {
        EXPECT_EQ(rule.fromX, 200);
        EXPECT_EQ(rule.toX, 1900);
    }
}

TEST(ReportLayout, LongNumbersWrapAndPagesBreakAboveTheLowestLine) {
    // Right edge 1500: the number column holds 10 characters. Lines take 40 + 15 = 55; the first
    // starts at −160 and the lowest line is −(600 − 20) = −580, so 7 lines fit on a page.
    const PageSize page{1600, 600};
    std::vector<phonebook::PhoneBookEntry> book(12);
    for (std::uint16_t index = 0; index < book.size(); ++index) book[index] = phonebook::EmptyPosition(index);
    book[0] = Entry(0, U"Ελένη Παππά", "601234567", false);
    book[2] = Entry(2, U"Юрий", "123456789012345678901234567890123456789012345678901234567890", false);
    book[3] = Entry(3, U"Šárka", "12345678901", true);
    book[11] = Entry(11, U"Last", "112", false);
    const std::vector<ReportEntry> entries = PhoneBookEntries(book, page, kMeasure);
    ASSERT_EQ(entries.size(), 4u);

    const std::vector<ReportPage> pages = LayOutReport(ReportKind::PhoneBook, entries, page, kMeasure);
    ASSERT_EQ(pages.size(), 2u);
    const std::vector<double> first = LineTops(pages[0]);
    ASSERT_EQ(first.size(), 7u);
    for (std::size_t line = 0; line < first.size(); ++line) EXPECT_EQ(first[line], -160 - 55.0 * line);
    // Positions count the window's positions, empty ones too; position and name only on the first line.
    EXPECT_EQ(Line(pages[0], -160), (std::vector<std::string>{"1", "Ελένη Παππά", "601234567"}));
    EXPECT_EQ(Line(pages[0], -215), (std::vector<std::string>{"3", "Юрий", "1234567890"}));
    for (int line = 2; line < 7; ++line) {
        EXPECT_EQ(Line(pages[0], -160 - 55 * line), (std::vector<std::string>{"1234567890"})) << line;
    }

    // The second page has its own frame; '+' belongs to the number and wraps with it.
    EXPECT_EQ(Line(pages[1], -100), (std::vector<std::string>{"#", "Name:", "Telephone", "<2>"}));
    ASSERT_EQ(pages[1].rules.size(), 2u);
    EXPECT_EQ(LineTops(pages[1]).size(), 3u);
    EXPECT_EQ(Line(pages[1], -160), (std::vector<std::string>{"4", "Šárka", "+123456789"}));
    EXPECT_EQ(Line(pages[1], -215), (std::vector<std::string>{"01"}));
    EXPECT_EQ(Line(pages[1], -270), (std::vector<std::string>{"12", "Last", "112"}));
}

TEST(ReportLayout, AnEntryCutByThePageEndGoesOnWithItsFirstUnprintedLine) {
    const PageSize page{1600, 900};
    std::vector<phonebook::PhoneBookEntry> book;
    for (std::uint16_t index = 0; index < 11; ++index) book.push_back(Entry(index, U"Name", "1", false));
    book.push_back(Entry(11, U"Юрий", "123456789012345678901234567890123456789012345678901234567890", false));
    const std::vector<ReportPage> pages =
        LayOutReport(ReportKind::PhoneBook, PhoneBookEntries(book, page, kMeasure), page, kMeasure);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Line(pages[0], -160 - 55 * 11), (std::vector<std::string>{"12", "Юрий", "1234567890"}));
    EXPECT_EQ(Line(pages[0], -160 - 55 * 12), (std::vector<std::string>{"1234567890"}));
    const std::vector<double> second = LineTops(pages[1]);
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(second.front(), -160);
    for (const double y : second) EXPECT_EQ(Line(pages[1], y), (std::vector<std::string>{"1234567890"}));
}

TEST(ReportLayout, MessagesPrintTheirColumnsAndTheWrappedTextInItalics) {
    const PageSize page{1600, 2800};
    std::vector<sms::SmsEntry> messages(5);
    for (std::uint16_t index = 0; index < messages.size(); ++index) messages[index] = sms::MakeEmptySmsEntry(index);
    const std::uint32_t statuses[] = {sms::kStatusUnread, 0, sms::kStatusToSend, sms::kStatusRead, sms::kStatusSent};
    for (const std::uint16_t index : {0, 2, 3, 4}) {
        sms::SmsEntry& message = messages[index];
        message.used = 1;
        message.status = statuses[index];
        message.addressTon = index == 0 ? 1 : 0;
        sms::SetFieldText(message.address, index == 0 ? "420603123456" : "4603");
        sms::SetFieldText(message.dateOrValidity, index == 0 ? "24.12.08 18:30" : "1 week");
    }
    // 24 characters fit between x = 300 and the right edge.
    ASSERT_TRUE(sms::SetMessageText(messages[0], U"Ahoj, máš v pátek čas? Šárka\nJo."));
    const std::vector<ReportEntry> entries = MessageEntries(messages, page, kMeasure);
    ASSERT_EQ(entries.size(), 4u);
    const std::vector<ReportPage> pages = LayOutReport(ReportKind::Messages, entries, page, kMeasure);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Line(pages[0], -100),
              (std::vector<std::string>{"#", "Telephone", "Condition:", "Date / Validity period:", "<1>"}));
    EXPECT_EQ(Line(pages[0], -160), (std::vector<std::string>{"1", "+420603123456", "Received", "24.12.08 18:30"}));
    // Text lines are 42 + 15 apart and begin at x = 300; a message's last line is followed by 10 more.
    EXPECT_EQ(Line(pages[0], -215), (std::vector<std::string>{"Ahoj, máš v pátek čas? Š"}));
    EXPECT_EQ(Line(pages[0], -272), (std::vector<std::string>{"árka"}));
    EXPECT_EQ(Line(pages[0], -329), (std::vector<std::string>{"Jo."}));
    EXPECT_EQ(Line(pages[0], -396), (std::vector<std::string>{"3", "4603", "To be sent", "1 week"}));
    for (const PlacedText& text : pages[0].texts) {
        if (text.y == -215 || text.y == -272 || text.y == -329) {
            EXPECT_EQ(text.font, ReportFont::Message);
            EXPECT_EQ(text.x, 300);
        } else if (text.y < -100) {
            EXPECT_EQ(text.font, ReportFont::Normal);
        }
    }
    const std::vector<double> tops = LineTops(pages[0]);
    ASSERT_EQ(tops.size(), 7u);  // an empty text gives no text line
    EXPECT_EQ(Line(pages[0], tops[5]), (std::vector<std::string>{"4", "4603", "Read", "1 week"}));
    EXPECT_EQ(Line(pages[0], tops[6]), (std::vector<std::string>{"5", "4603", "Sent", "1 week"}));
}

}  // namespace
}  // namespace quillet::ui::report
