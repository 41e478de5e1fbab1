#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/PhoneBookEntry.h"
#include "sms/SmsEntry.h"

namespace quillet::ui::report {

// The printed reports of the editor windows, laid out on pages without any drawing: what goes where,
// in tenths of a millimetre from the top left of the printable area, with y growing upwards (text
// lines have negative y, the y of a text being its top). The painter only draws the result.

enum class ReportKind { PhoneBook, Messages };
enum class ReportFont { Heading, Normal, Message };

// How wide and how high texts come out on the page, in tenths of a millimetre.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual double Width(ReportFont font, std::string_view utf8) const = 0;
    virtual double Height(ReportFont font) const = 0;
};

struct PlacedText {
    double x = 0;
    double y = 0;
    ReportFont font = ReportFont::Normal;
    std::string text;  // UTF-8
};

struct Rule {
    double fromX = 0;
    double toX = 0;
    double y = 0;
};

struct ReportPage {
    unsigned number = 0;
    std::vector<PlacedText> texts;
    std::vector<Rule> rules;
};

// One line of an entry before it is placed: its texts carry their x, and y comes from the page.
struct ReportLine {
    std::vector<PlacedText> texts;
    ReportFont font = ReportFont::Normal;  // the line's height is this font's height + 15
};

// An entry's lines; `gapAfter` is the room left below its last line.
struct ReportEntry {
    std::vector<ReportLine> lines;
    double gapAfter = 0;
};

struct PageSize {
    double width = 0;   // W
    double height = 0;  // H
};

// The right edge of the printed area: W − 100.
double RightEdge(const PageSize& page);

// Splits a text into the pieces that fit `width`: while a piece is wider, its last character moves
// to the front of the carry-over, which starts the next piece. Every piece keeps at least one
// character, so a single over-wide character cannot stop the report. An empty text is one empty piece.
std::vector<std::string> WrapText(std::string_view utf8, double width, ReportFont font, const TextMeasure& measure);

// The lines of the used positions of a phone-book or fixed-dialling window (empty positions give
// none); `positions` are the window's positions, numbered from 1 in that order.
std::vector<ReportEntry> PhoneBookEntries(std::span<const phonebook::PhoneBookEntry> positions, const PageSize& page,
                                          const TextMeasure& measure);
// The lines of the used messages of an SMS window.
std::vector<ReportEntry> MessageEntries(std::span<const sms::SmsEntry> positions, const PageSize& page,
                                        const TextMeasure& measure);

// The pages of a report: each with the headings of its kind, its page number "<p>" ending at the
// right edge, the two rules, and as many entry lines as fit above the lowest line; an entry that does
// not fit continues on the next page with its first line not yet printed. There is always at least
// one page, so an empty report still prints its frame.
std::vector<ReportPage> LayOutReport(ReportKind kind, const std::vector<ReportEntry>& entries, const PageSize& page,
                                     const TextMeasure& measure);

}  // namespace quillet::ui::report
