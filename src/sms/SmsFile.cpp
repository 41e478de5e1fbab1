#include "sms/SmsFile.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "card/DiallingDigits.h"
#include "files/TextFile.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsTimeValue.h"

namespace quillet::sms {

namespace {

// Message ids of the three file commands.
constexpr std::uint32_t kSaveCannotOpen = 57685;
constexpr std::uint32_t kSaveWriteError = 57686;
constexpr std::uint32_t kOpenCannotOpen = 57687;
constexpr std::uint32_t kOpenSyntaxError = 57688;
constexpr std::uint32_t kOpenReadError = 57689;
constexpr std::uint32_t kAddCannotOpen = 57690;
constexpr std::uint32_t kAddWriteError = 57692;

using files::OpenMode;
using files::TextField;
using files::TextFile;
namespace text_file = files::text_file;

// Texts that may be empty are written behind this marker, as files of the earlier versions have them.
constexpr char kMarker = '>';
constexpr std::size_t kFieldCount = 7;
// The message text with its '>' is the longest field; a longer field is a data extent error.
constexpr std::size_t kFieldCapacity = kMaxMessageFileText + 2;
constexpr std::string_view kDelimiters = "\t\n";
// Message files always took the character after an ESC.
constexpr files::UnknownEscape kEscapes = files::UnknownEscape::TakeCharacter;

void Report(card::UserInterface& ui, std::uint32_t id, std::string_view detail = {}) {
    ui.ShowMessage(std::string(resources::LoadString(id)).append(detail), card::MessageIcon::Error);
}

// ---------------------------------------------------------------------------------------------------
// Writing lines

std::string MarkedNumber(std::uint8_t ton, std::string_view digits) {
    std::string field(1, kMarker);
    if (ton == 1) field.push_back('+');
    field.append(digits);
    return field;
}

// One message line; the *.SMS line starts with the position, the *.SMA line does not.
void AppendMessageLine(std::string& out, const SmsEntry& entry, bool withPosition, const std::tm* now,
                       card::TextForm form) {
    if (withPosition) TextFile::AppendField(out, std::to_string(entry.index + 1u), '\t');
    TextFile::AppendField(out, MarkedNumber(entry.centreTon, FieldText(entry.serviceCentre)), '\t');
    TextFile::AppendField(out, MarkedNumber(entry.addressTon, FieldText(entry.address)), '\t');
    char date[sizeof(entry.dateOrValidity)];
    SetFieldText(date, FieldText(entry.dateOrValidity));
    if (now != nullptr) {
        NormalizeDateText(date, *now);
    } else {
        NormalizeDateText(date);
    }
    TextFile::AppendField(out, std::string(1, kMarker).append(FieldText(date)), '\t');
    TextFile::AppendField(out, std::to_string(entry.status), '\t');
    TextFile::AppendField(out, std::to_string(entry.messageRef), '\t');
    const std::string text = form == card::TextForm::File ? MessageFileText(entry) : MessageListText(entry);
    TextFile::AppendField(out, std::string(1, kMarker).append(text), '\n');
}

std::string FormatMessages(std::span<const SmsEntry> entries, std::uint32_t count, bool withPosition,
                           const std::tm* now, card::TextForm form) {
    std::string bytes;
    const std::size_t limit = std::min<std::size_t>(count, entries.size());
    for (std::size_t position = 0; position < limit; ++position) {
        if (entries[position].used != 0) AppendMessageLine(bytes, entries[position], withPosition, now, form);
    }
    return bytes;
}

// Save File and Add to File: a failure shows the command's message with the system's reason below it.
bool SaveMessages(const std::string& path, OpenMode mode, std::string_view bytes, std::uint32_t cannotOpen,
                  std::uint32_t writeError, card::UserInterface& ui) {
    TextFile file;
    if (file.Open(path, mode) != text_file::kOk) {
        Report(ui, cannotOpen, "\n" + file.Reason());
        return false;
    }
    if (file.Write(bytes) != text_file::kOk || file.Close() != text_file::kOk) {
        Report(ui, writeError, "\n" + file.Reason());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Reading records

// A decimal of digits only within [low, high].
bool ParseDecimal(std::string_view text, std::uint32_t low, std::uint32_t high, std::uint32_t& value) {
    if (text.empty()) return false;
    std::uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        result = std::min<std::uint64_t>(result * 10 + static_cast<unsigned>(c - '0'), 1ull << 32);
    }
    if (result < low || result > high) return false;
    value = static_cast<std::uint32_t>(result);
    return true;
}

// Takes a marked field apart: the marker must be there and is removed.
bool Unmark(std::string_view field, std::string_view& text) {
    if (field.empty() || field.front() != kMarker) return false;
    text = field.substr(1);
    return true;
}

// A centre or phone number: dial characters, a '+' only first, at most 20 digits. A number gets the
// ISDN/telephony plan, as phones write it; none keeps TON and NPI 0.
bool TakeNumber(std::string_view text, char (&digits)[21], std::uint8_t& ton, std::uint8_t& npi) {
    const bool international = !text.empty() && text.front() == '+';
    if (international) text.remove_prefix(1);
    if (text.size() > sizeof(digits) - 1) return false;
    if (!std::all_of(text.begin(), text.end(), card::IsDialChar)) return false;
    SetFieldText(digits, text);
    ton = international ? 1 : 0;
    npi = international || !text.empty() ? card::kIsdnTelephonyPlan : 0;
    return true;
}

// Checks one record of seven fields (position first) and builds its entry.
bool TakeRecord(const std::array<std::string, kFieldCount>& fields, std::uint32_t maxPosition, SmsEntry& entry) {
    for (const std::string& field : fields) {
        if (field.find('\0') != std::string::npos) return false;
    }
    std::uint32_t position = 0;
    std::string_view centre, number, date, text;
    if (!ParseDecimal(fields[0], 1, maxPosition, position)) return false;
    for (std::size_t k = 1; k < fields.size(); ++k) {
        if (fields[k].empty()) return false;
    }
    if (!Unmark(fields[1], centre) || !Unmark(fields[2], number) || !Unmark(fields[3], date) ||
        !Unmark(fields[6], text)) {
        return false;
    }
    entry = MakeEmptySmsEntry(static_cast<std::uint16_t>(position - 1));
    if (!TakeNumber(centre, entry.serviceCentre, entry.centreTon, entry.centreNpi)) return false;
    if (!TakeNumber(number, entry.address, entry.addressTon, entry.addressNpi)) return false;
    if (text.size() > kMaxMessageFileText) return false;
    SmsTimeValue value{};
    if (!ParseDateOrValidity(date, value)) return false;
    if (!ParseDecimal(fields[4], 0, 3, entry.status)) return false;
    if (!ParseDecimal(fields[5], 0, 255, entry.messageRef)) return false;
    // A date text too long for the entry is kept in its shortest form rather than cut, which could
    // change its meaning ("10:05" → "10:0").
    if (date.size() > sizeof(entry.dateOrValidity) - 1) {
        FormatDateOrValidity(value, entry.dateOrValidity);
    } else {
        SetFieldText(entry.dateOrValidity, date);
    }
    if (!SetMessageFileText(entry, text)) return false;
    entry.used = 1;
    entry.modified = 1;
    return true;
}

enum class Layout { Undecided, Messages, Archive };

}  // namespace

std::string FormatSmsFile(std::span<const SmsEntry> entries, std::uint32_t count, const std::tm* now,
                          card::TextForm form) {
    return FormatMessages(entries, count, true, now, form);
}

std::string FormatSmsArchiveLines(std::span<const SmsEntry> entries, std::uint32_t count, const std::tm* now,
                                  card::TextForm form) {
    return FormatMessages(entries, count, false, now, form);
}

bool SaveSmsFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                 card::UserInterface& ui, const std::tm* now) {
    return SaveMessages(path, OpenMode::CreateAlways, FormatSmsFile(entries, count, now), kSaveCannotOpen,
                        kSaveWriteError, ui);
}

bool AddToSmsArchiveFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                         card::UserInterface& ui, const std::tm* now) {
    return SaveMessages(path, OpenMode::AppendAlways, FormatSmsArchiveLines(entries, count, now), kAddCannotOpen,
                        kAddWriteError, ui);
}

bool OpenSmsFile(const std::string& path, std::span<SmsEntry> entries, std::uint32_t& count, card::UserInterface& ui) {
    TextFile file;
    if (file.Open(path, OpenMode::ReadExisting) != text_file::kOk) {
        Report(ui, kOpenCannotOpen);
        return false;
    }
    // Records are gathered apart from the window, which is replaced once something was read.
    std::vector<SmsEntry> window(entries.size());
    for (std::size_t position = 0; position < window.size(); ++position) {
        window[position] = MakeEmptySmsEntry(static_cast<std::uint16_t>(position));
    }
    const std::uint32_t maxPosition =
        static_cast<std::uint32_t>(std::min<std::size_t>(kMaxSmsFilePosition, entries.size()));

    Layout layout = Layout::Undecided;
    std::array<TextField, kFieldCount> read;
    std::array<std::string, kFieldCount> fields;
    std::uint32_t highest = 0;
    std::size_t recordsTaken = 0;
    std::uint32_t failure = 0;
    unsigned line = 0;
    for (;;) {
        unsigned code = file.ReadToken(read[0], kFieldCapacity, true, kDelimiters, kEscapes);
        if (code == text_file::kEndOfFile) break;
        line = file.LineNumber();
        for (std::size_t k = 1; k < kFieldCount && code == text_file::kOk; ++k) {
            code = file.ReadToken(read[k], kFieldCapacity, false, kDelimiters, kEscapes);
            if (code == text_file::kEndOfFile) code = text_file::kOk;  // a missing field
        }
        const files::LineEnd end = code == text_file::kOk ? file.SkipToLineEnd() : files::LineEnd::Failure;
        if (end == files::LineEnd::Failure) {
            failure = kOpenReadError;
            break;
        }
        if (layout == Layout::Undecided) {
            std::uint32_t position = 0;
            const bool numbered =
                ParseDecimal(read[0].text, 1, kMaxSmsFilePosition, position) &&
                std::all_of(read.begin() + 1, read.end(), [](const TextField& field) { return field.present; });
            layout = numbered ? Layout::Messages : Layout::Archive;
        }
        for (std::size_t k = 0; k < kFieldCount; ++k) fields[k] = read[k].text;
        if (layout == Layout::Archive) {
            if (read[6].present) {
                failure = kOpenSyntaxError;
                break;
            }
            std::rotate(fields.begin(), fields.begin() + 6, fields.end());
            fields[0] = std::to_string(highest + 1);
        }
        SmsEntry entry{};
        // A field longer than any field of a message is a data extent error rather than cut silently; a
        // field after the last one would be read as the next message, and a second line for a position
        // would silently lose the first.
        const bool cut = std::any_of(read.begin(), read.end(), [](const TextField& field) { return field.cut; });
        if (cut || end != files::LineEnd::Clean || !TakeRecord(fields, maxPosition, entry) ||
            window[entry.index].used != 0) {
            failure = kOpenSyntaxError;
            break;
        }
        highest = std::max<std::uint32_t>(highest, entry.index + 1u);
        window[entry.index] = entry;
        ++recordsTaken;
    }
    file.Close();

    if (failure == 0 || recordsTaken > 0) {
        std::copy(window.begin(), window.end(), entries.begin());
        count = std::max(highest, count);
    }
    if (failure == kOpenSyntaxError) {
        Report(ui, failure, std::to_string(line));
    } else if (failure != 0) {
        Report(ui, failure);
    }
    return failure == 0;
}

}  // namespace quillet::sms
