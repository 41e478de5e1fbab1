#include "ui/ReportLayout.h"

#include <cstdio>
#include <cstring>

#include "card/DialNumbers.h"
#include "card/GsmText.h"
#include "card/TextForms.h"
#include "phonebook/EntryName.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"

namespace quillet::ui::report {

namespace {

// Headings: "#", "Name:", "Telephone" and "#", "Telephone", "Condition:", "Date / Validity period:".
constexpr std::uint32_t kPhoneBookHeadings = 5800;
constexpr std::uint32_t kMessageHeadings = 5820;
constexpr double kPhoneBookColumns[] = {200, 500, 1000};
constexpr double kMessageColumns[] = {200, 300, 1000, 1300};

constexpr double kMarginRight = 100;  // right edge = W − 100
constexpr double kMarginBottom = 20;  // lowest line = −(H − 20)
constexpr double kHeadingY = -100;
constexpr double kLineSpacing = 15;  // between one line's text and the next
constexpr double kMessageGap = 10;   // below every message

std::string Utf8OfString(std::uint32_t id) {
    return card::Utf8FromText(card::TextFromCp1250(resources::LoadString(id)));
}

std::string Number(unsigned position) { return std::to_string(position); }

// The byte where the last UTF-8 character of a non-empty text starts.
std::size_t LastCharacterStart(std::string_view text) {
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    return start;
}

// A text's lines, at "\r\n", "\n" or "\r".
std::vector<std::string_view> Paragraphs(std::string_view text) {
    std::vector<std::string_view> paragraphs;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r' && text[at] != '\n') continue;
        paragraphs.push_back(text.substr(start, at - start));
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        start = at + 1;
    }
    paragraphs.push_back(text.substr(start));
    return paragraphs;
}

// Lines of one wrapped column: the first carries `firstTexts` beside it.
void AddWrapped(ReportEntry& entry, std::vector<PlacedText> firstTexts, const std::vector<std::string>& pieces,
                double x, ReportFont font) {
    for (std::size_t piece = 0; piece < pieces.size(); ++piece) {
        ReportLine line;
        line.font = font;
        if (piece == 0) line.texts = std::move(firstTexts);
        line.texts.push_back({x, 0, font, pieces[piece]});
        entry.lines.push_back(std::move(line));
    }
}

}  // namespace

double RightEdge(const PageSize& page) { return page.width - kMarginRight; }

std::vector<std::string> WrapText(std::string_view utf8, double width, ReportFont font, const TextMeasure& measure) {
    std::vector<std::string> pieces;
    std::string rest(utf8);
    do {
        std::string piece = rest;
        std::size_t carried = 0;  // bytes moved from the piece's end to the carry-over
        while (measure.Width(font, piece) > width) {
            const std::size_t last = LastCharacterStart(piece);
            if (last == 0) break;  // one character stays, however wide
            carried += piece.size() - last;
            piece.resize(last);
        }
        pieces.push_back(piece);
        rest = rest.substr(rest.size() - carried);
    } while (!rest.empty());
    return pieces;
}

std::vector<ReportEntry> PhoneBookEntries(std::span<const phonebook::PhoneBookEntry> positions, const PageSize& page,
                                          const TextMeasure& measure) {
    std::vector<ReportEntry> entries;
    const double numberWidth = RightEdge(page) - kPhoneBookColumns[2];
    for (std::size_t position = 0; position < positions.size(); ++position) {
        const phonebook::PhoneBookEntry& book = positions[position];
        if (book.used == 0) continue;
        const std::string_view digits(book.number, strnlen(book.number, sizeof book.number));
        const std::string number = (book.ton != 0 ? "+" : "") + std::string(digits);
        ReportEntry entry;
        AddWrapped(entry,
                   {{kPhoneBookColumns[0], 0, ReportFont::Normal, Number(static_cast<unsigned>(position + 1))},
                    {kPhoneBookColumns[1], 0, ReportFont::Normal, phonebook::NameIn(book, card::TextForm::Display)}},
                   WrapText(number, numberWidth, ReportFont::Normal, measure), kPhoneBookColumns[2],
                   ReportFont::Normal);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<ReportEntry> MessageEntries(std::span<const sms::SmsEntry> positions, const PageSize& page,
                                        const TextMeasure& measure) {
    std::vector<ReportEntry> entries;
    const double textWidth = RightEdge(page) - kMessageColumns[1];
    for (std::size_t position = 0; position < positions.size(); ++position) {
        const sms::SmsEntry& message = positions[position];
        if (message.used == 0) continue;
        ReportEntry entry;
        entry.gapAfter = kMessageGap;
        ReportLine first;
        first.texts = {
            {kMessageColumns[0], 0, ReportFont::Normal, Number(static_cast<unsigned>(position + 1))},
            {kMessageColumns[1], 0, ReportFont::Normal,
             card::JoinInternational(sms::FieldText(message.address), message.addressTon)},
            {kMessageColumns[2], 0, ReportFont::Normal, std::string(sms::SmsStatusDetailText(message.status))},
            {kMessageColumns[3], 0, ReportFont::Normal,
             card::Utf8FromText(card::TextFromCp1250(sms::FieldText(message.dateOrValidity)))}};
        entry.lines.push_back(std::move(first));
        const std::string text = card::Utf8FromText(sms::MessageText(message));
        if (!text.empty()) {
            for (const std::string_view paragraph : Paragraphs(text)) {
                AddWrapped(entry, {}, WrapText(paragraph, textWidth, ReportFont::Message, measure), kMessageColumns[1],
                           ReportFont::Message);
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<ReportPage> LayOutReport(ReportKind kind, const std::vector<ReportEntry>& entries, const PageSize& page,
                                     const TextMeasure& measure) {
    const bool book = kind == ReportKind::PhoneBook;
    const std::uint32_t headingId = book ? kPhoneBookHeadings : kMessageHeadings;
    const std::span<const double> columns = book ? std::span<const double>(kPhoneBookColumns) : kMessageColumns;
    const double right = RightEdge(page);
    const double lowest = -(page.height - kMarginBottom);

    std::vector<ReportPage> pages;
    std::size_t entry = 0;
    std::size_t line = 0;  // the entry's first line not printed yet
    do {
        ReportPage current;
        current.number = static_cast<unsigned>(pages.size() + 1);
        for (std::size_t column = 0; column < columns.size(); ++column) {
            current.texts.push_back({columns[column], kHeadingY, ReportFont::Heading,
                                     Utf8OfString(headingId + static_cast<std::uint32_t>(column))});
        }
        const std::string pageNumber = "<" + std::to_string(current.number) + ">";
        const double numberHeight = measure.Height(ReportFont::Heading);
        current.texts.push_back(
            {right - measure.Width(ReportFont::Heading, pageNumber), kHeadingY, ReportFont::Heading, pageNumber});
        current.rules.push_back({columns[0], right, kHeadingY - 5 - numberHeight});
        current.rules.push_back({columns[0], right, 1 - page.height});

        const double top = kHeadingY - 5 - numberHeight - 10;
        double y = top;
        while (entry < entries.size()) {
            const ReportEntry& shown = entries[entry];
            if (line < shown.lines.size()) {
                const ReportLine& next = shown.lines[line];
                const double height = measure.Height(next.font);
                // A line always goes onto a fresh page, however small the page.
                if (y - height < lowest && y < top) break;
                for (const PlacedText& text : next.texts) current.texts.push_back({text.x, y, text.font, text.text});
                y -= height + kLineSpacing;
                ++line;
            }
            if (line >= shown.lines.size()) {
                y -= shown.gapAfter;
                ++entry;
                line = 0;
            }
        }
        pages.push_back(std::move(current));
    } while (entry < entries.size());
    return pages;
}

}  // namespace quillet::ui::report
