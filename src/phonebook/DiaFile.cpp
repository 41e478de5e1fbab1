#include "phonebook/DiaFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "card/DiallingDigits.h"
#include "card/GsmText.h"
#include "files/TextFile.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/EntryName.h"
#include "phonebook/NameFromText.h"
#include "phonebook/TextHelpers.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

using card::Answer;
using card::MessageIcon;
using card::QuestionButtons;
using files::LineEnd;
using files::OpenMode;
using files::TextField;
using files::TextFile;
namespace text_file = files::text_file;

constexpr std::uint32_t kBadStartText = 57470;
constexpr std::uint32_t kCannotOpenText = 57472;
constexpr std::uint32_t kOverwriteQuestion = 57473;
constexpr std::uint32_t kDeleteBetweenQuestion = 57474;
constexpr std::uint32_t kSyntaxErrorText = 57475;
constexpr std::uint32_t kReadErrorText = 57476;
constexpr std::uint32_t kCannotWriteText = 57780;
constexpr std::uint32_t kWriteErrorText = 57781;
constexpr std::uint32_t kWrittenText = 57782;
constexpr std::uint32_t kBadIntervalText = 57783;

constexpr std::string_view kDelimiters = "\t\n";
// The earlier writer wrote a name's ESC bytes (GSM extension characters) as they are.
constexpr files::UnknownEscape kEscapes = files::UnknownEscape::KeepBoth;
// A line cannot hold a NUL; a name that has one is written with this in its place.
constexpr char kNoLineCharacter = '.';

void ShowError(card::UserInterface& ui, std::uint32_t id) {
    ui.ShowMessage(resources::LoadString(id), MessageIcon::Error);
}

// A failed save: the program's message and, below it, the system's reason.
void ShowSaveError(card::UserInterface& ui, std::uint32_t id, std::string_view reason) {
    ui.ShowMessage(std::string(resources::LoadString(id)).append("\n").append(reason), MessageIcon::Error);
}

bool AskYes(card::UserInterface& ui, std::uint32_t id) {
    return ui.AskQuestion(resources::LoadString(id), QuestionButtons::YesNo) == Answer::Yes;
}

std::string_view FieldText(const char* field, std::size_t size) {
    return std::string_view(field, ::strnlen(field, size));
}

// A dialling string as a file may hold it: dialling characters, a '+' in front only, and at most
// 60 digits after it. A lone '+' is no number.
bool IsFileNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return !text.empty() && text.find('+') == std::string_view::npos && IsValidNumber(text);
}

// Reads one field; a file that ends where a field would start gives a missing field, so the last
// line needs no line feed.
bool ReadField(TextFile& file, TextField& field, bool lineFeedIsBlank, unsigned& code) {
    code = file.ReadToken(field, kDiaFieldCapacity, lineFeedIsBlank, kDelimiters, kEscapes);
    if (code == text_file::kEndOfFile && !lineFeedIsBlank) code = text_file::kOk;
    return code == text_file::kOk;
}

// The three fields of one line and how the line ended.
struct DiaLineFields {
    TextField record;
    TextField name;
    TextField number;
    LineEnd end = LineEnd::Clean;
    unsigned line = 0;
};

enum class LineRead { Line, EndOfFile, Failure };

LineRead ReadDiaLine(TextFile& file, DiaLineFields& fields) {
    unsigned code = file.ReadToken(fields.record, kDiaFieldCapacity, true, kDelimiters, kEscapes);
    if (code == text_file::kEndOfFile) return LineRead::EndOfFile;
    fields.line = file.LineNumber();
    if (code != text_file::kOk || !ReadField(file, fields.name, false, code) ||
        !ReadField(file, fields.number, false, code)) {
        return LineRead::Failure;
    }
    fields.end = file.SkipToLineEnd();
    return fields.end == LineEnd::Failure ? LineRead::Failure : LineRead::Line;
}

// Where the lines of one read go: the first line decides whether the file is numbered; `extent`
// counts the positions from `start` on that lines reached.
struct DiaPlacement {
    std::size_t start = 0;
    std::size_t limit = 0;
    bool keepNumbering = true;
    bool first = true;
    bool numbered = false;
    std::array<bool, kDiaPositions> read{};
    std::size_t extent = 0;
};

// The entry a line gives and its 0-based position; nothing when the line breaks the syntax.
std::optional<std::pair<std::size_t, PhoneBookEntry>> EntryOfLine(const DiaLineFields& fields,
                                                                  DiaPlacement& placement) {
    const long fileNumber = ParseDecimal(fields.record.text);
    const bool validRecordNumber = fileNumber >= 1 && fileNumber <= static_cast<long>(kDiaPositions);
    if (placement.first) {
        // A field written as the empty-field mark counts as given.
        placement.numbered = validRecordNumber && fields.name.present && fields.number.present;
        placement.first = false;
    }

    // Two-field lines hold name and number in the first two fields; either of them, or both for a
    // record in use that holds neither, may be the empty-field mark.
    std::string_view name = fields.name.text;
    std::string_view number = fields.number.text;
    bool syntaxOk = fields.end == LineEnd::Clean;
    long recordNumber = static_cast<long>(placement.extent) + 1;
    if (placement.numbered) {
        syntaxOk = syntaxOk && validRecordNumber && fields.name.present && fields.number.present;
        if (placement.keepNumbering) recordNumber = fileNumber;
    } else {
        syntaxOk = syntaxOk && fields.name.present && !fields.number.present;
        name = fields.record.text;
        number = fields.name.text;
    }

    // The name must fit the entry's bytes once encoded for the card.
    PhoneBookEntry named{};
    const bool nameFits =
        name.find('\0') == std::string_view::npos && SetNameText(named, NameFromText(name), kMaxNameBytes);

    const long position = recordNumber + static_cast<long>(placement.start);
    syntaxOk = syntaxOk && position >= 1 && position <= static_cast<long>(placement.limit);
    syntaxOk = syntaxOk && nameFits && (number.empty() || IsFileNumber(number));
    // Two lines for one position would silently lose the first of them.
    syntaxOk = syntaxOk && !placement.read[static_cast<std::size_t>(position - 1)];
    if (!syntaxOk) return std::nullopt;
    const std::size_t p = static_cast<std::size_t>(position - 1);
    placement.extent = std::max(placement.extent, p - placement.start + 1);

    PhoneBookEntry entry = EmptyPosition(static_cast<std::uint16_t>(p));
    entry.used = 1;
    entry.modified = 1;
    entry.npi = card::kIsdnTelephonyPlan;  // as phones store numbers; an entry the card holds keeps its own
    SetNameBytes(entry, NameBytes(named));
    std::string digits;
    SplitInternational(number, digits, entry.ton, sizeof entry.number);
    CopyBounded(entry.number, sizeof entry.number, digits);
    return std::make_pair(p, entry);
}

// Open starts from an empty table; Add works on the table in index order, extended to the full size.
void PreparePositions(std::span<PhoneBookEntry> positions, bool adding, std::size_t shown, std::size_t limit) {
    if (adding) {
        std::stable_sort(positions.begin(), positions.begin() + static_cast<std::ptrdiff_t>(shown),
                         [](const PhoneBookEntry& a, const PhoneBookEntry& b) { return a.index < b.index; });
    }
    for (std::size_t position = adding ? shown : 0; position < limit; ++position) {
        positions[position] = EmptyPosition(static_cast<std::uint16_t>(position));
        positions[position].modified = 1;
    }
}

// Reads the lines into their positions until the file ends or a line fails.
DiaReadResult PlaceLines(TextFile& file, const DiaReadOptions& options, std::span<PhoneBookEntry> positions,
                         DiaPlacement& placement, card::UserInterface& ui) {
    bool overwriteAgreed = false;
    DiaLineFields fields;
    for (;;) {
        const LineRead got = ReadDiaLine(file, fields);
        if (got == LineRead::EndOfFile) return {};
        if (got == LineRead::Failure) return {DiaReadOutcome::ReadError, fields.line};
        const auto placed = EntryOfLine(fields, placement);
        if (!placed) return {DiaReadOutcome::SyntaxError, fields.line};
        const auto& [p, entry] = *placed;
        if (positions[p].used != 0 && !overwriteAgreed && options.confirm) {
            if (!AskYes(ui, kOverwriteQuestion)) return {DiaReadOutcome::Declined, 0};
            overwriteAgreed = true;
        }
        positions[p] = entry;
        placement.read[p] = true;
    }
}

// Add: entries between the lines read that the file left out are deleted, after one question.
void ClearSkippedPositions(std::span<PhoneBookEntry> positions, const DiaPlacement& placement, bool confirm,
                           card::UserInterface& ui) {
    bool asked = false;
    for (std::size_t position = placement.start; position < placement.start + placement.extent; ++position) {
        if (positions[position].used == 0 || placement.read[position]) continue;
        if (confirm && !asked) {
            if (!AskYes(ui, kDeleteBetweenQuestion)) break;
            asked = true;
        }
        positions[position] = EmptyPosition(static_cast<std::uint16_t>(position));
        positions[position].modified = 1;
    }
}

void ReportReadFailure(DiaReadResult& result, card::UserInterface& ui) {
    if (result.outcome == DiaReadOutcome::SyntaxError) {
        const std::string text = std::string(resources::LoadString(kSyntaxErrorText)) + std::to_string(result.line);
        ui.ShowMessage(text, MessageIcon::Error);
    } else if (result.outcome == DiaReadOutcome::ReadError) {
        result.line = 0;
        ShowError(ui, kReadErrorText);
    }
}

}  // namespace

bool CheckAddStart(unsigned from, unsigned positionCount, card::UserInterface& ui) {
    if (from >= 1 && from <= positionCount) return true;
    ShowError(ui, kBadStartText);
    return false;
}

bool CheckSaveRange(unsigned from, unsigned to, unsigned positionCount, card::UserInterface& ui) {
    if (from >= 1 && to <= positionCount && from <= to) return true;
    ShowError(ui, kBadIntervalText);
    return false;
}

DiaReadResult ReadDiaFile(const std::string& path, const DiaReadOptions& options, std::span<PhoneBookEntry> positions,
                          unsigned& positionCount, card::UserInterface& ui) {
    DiaPlacement placement;
    placement.limit = std::min(positions.size(), kDiaPositions);
    const bool adding = options.mode == DiaReadMode::Add;
    const std::size_t shown = std::min<std::size_t>(positionCount, placement.limit);
    if (adding && !CheckAddStart(options.start, static_cast<unsigned>(shown), ui)) {
        return {DiaReadOutcome::BadStart, 0};
    }
    placement.start = adding ? options.start - 1 : 0;
    placement.keepNumbering = adding ? options.keepNumbering : true;

    TextFile file;
    if (file.Open(path, OpenMode::ReadExisting) != text_file::kOk) {
        ShowError(ui, kCannotOpenText);
        return {DiaReadOutcome::CannotOpen, 0};
    }
    PreparePositions(positions, adding, shown, placement.limit);
    DiaReadResult result = PlaceLines(file, options, positions, placement, ui);
    file.Close();

    const bool failed = result.outcome == DiaReadOutcome::SyntaxError || result.outcome == DiaReadOutcome::ReadError;
    if (adding && !failed) ClearSkippedPositions(positions, placement, options.confirm, ui);
    // What was placed stays visible, also after an error.
    positionCount = static_cast<unsigned>(std::max<std::size_t>(placement.start + placement.extent, positionCount));
    ReportReadFailure(result, ui);
    return result;
}

DiaLineText DiaTextOf(const PhoneBookEntry& entry, card::TextForm form) {
    DiaLineText text{NameIn(entry, form), {}};
    std::replace(text.name.begin(), text.name.end(), '\0', kNoLineCharacter);
    // Spelled out in Windows-1250 a name may outgrow the entry (Æ is "AE"): the file then holds as
    // much of it as reads back. Each byte is one character, so no cut splits one.
    if (form == card::TextForm::File) {
        while (!text.name.empty() && !NameBytesLeft(NameFromText(text.name), kMaxNameBytes)) text.name.pop_back();
    }
    const std::string_view digits = FieldText(entry.number, sizeof entry.number);
    // The file has no room for the type of an empty number; a lone '+' would not read back.
    if (!digits.empty()) text.number = JoinInternational(digits, entry.ton);
    return text;
}

DiaLineText DiaReadBackOf(const PhoneBookEntry& entry) {
    DiaLineText text = DiaTextOf(entry, card::TextForm::File);
    text.name = card::Utf8FromText(NameFromText(text.name));
    return text;
}

std::string FormatDiaFile(std::span<const PhoneBookEntry> positions, unsigned from, unsigned to, card::TextForm form) {
    // Positions count in index order, as the window shows them when it saves.
    std::vector<PhoneBookEntry> ordered(positions.begin(), positions.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const PhoneBookEntry& a, const PhoneBookEntry& b) { return a.index < b.index; });
    std::string bytes;
    const std::size_t last = std::min<std::size_t>(to, ordered.size());
    for (std::size_t position = from == 0 ? 0 : from - 1; position < last; ++position) {
        const PhoneBookEntry& entry = ordered[position];
        if (entry.used == 0) continue;
        // A record in use with neither name nor digits still has its line, of two empty-field marks.
        const DiaLineText text = DiaTextOf(entry, form);
        TextFile::AppendField(bytes, std::to_string(entry.index + 1), '\t');
        TextFile::AppendField(bytes, text.name, '\t');
        TextFile::AppendField(bytes, text.number, '\n');
    }
    return bytes;
}

bool WriteDiaFile(const std::string& path, std::span<const PhoneBookEntry> positions, unsigned from, unsigned to,
                  card::UserInterface& ui) {
    if (!CheckSaveRange(from, to, static_cast<unsigned>(positions.size()), ui)) return false;
    TextFile file;
    if (file.Open(path, OpenMode::CreateAlways) != text_file::kOk) {
        ShowSaveError(ui, kCannotWriteText, file.Reason());
        return false;
    }
    if (file.Write(FormatDiaFile(positions, from, to)) != text_file::kOk || file.Close() != text_file::kOk) {
        ShowSaveError(ui, kWriteErrorText, file.Reason());
        return false;
    }
    ui.ShowMessage(resources::LoadString(kWrittenText), MessageIcon::Information);
    return true;
}

}  // namespace quillet::phonebook
