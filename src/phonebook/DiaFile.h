#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "card/TextForms.h"
#include "card/UserInterface.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// *.DIA phone book files: one line per used entry, "record number TAB name TAB number CR LF", the
// record number being index + 1 and the number carrying its '+' when international. Hand-written
// files may leave out the record number ("name TAB number"); the first line decides the shape. An
// entry without a name or without a number has that field as the empty-field mark ESC '0', and one with
// neither has both. An ESC pair the writer does not make keeps both bytes, as the earlier writer left a
// name's ESC bytes (GSM extension characters) unescaped.

inline constexpr std::size_t kDiaPositions = 250;
inline constexpr std::size_t kDiaFieldCapacity = 65;  // 64 characters per field

enum class DiaReadMode {
    Open,  // the file replaces every position, read from position 1 with its own record numbers
    Add,   // the file is merged from a start position
};

struct DiaReadOptions {
    DiaReadMode mode = DiaReadMode::Open;
    unsigned start = 1;          // Add: 1-based first position
    bool keepNumbering = false;  // Add: place numbered lines by their record numbers ("Include empty entries")
    bool confirm = true;         // the "Ask for confirmation" setting
};

enum class DiaReadOutcome {
    Complete,     // read to the end of the file
    Declined,     // the user refused to overwrite; what was placed stays
    BadStart,     // Add with a start position outside the table
    CannotOpen,   // nothing was changed
    SyntaxError,  // stopped at `line`; what was placed stays
    ReadError,    // stopped by a failing read; what was placed stays
};

struct DiaReadResult {
    DiaReadOutcome outcome = DiaReadOutcome::Complete;
    unsigned line = 0;  // SyntaxError: the file's line, 1-based
};

// Add from File's start position check, 1 <= from <= positionCount, with its message.
bool CheckAddStart(unsigned from, unsigned positionCount, card::UserInterface& ui);
// Save File's range check, 1 <= from <= to <= positionCount, with its message.
bool CheckSaveRange(unsigned from, unsigned to, unsigned positionCount, card::UserInterface& ui);

// Reads a file into the window's positions (at most 250 are used) and raises positionCount to cover
// what was read. Names are transliterated to plain letters and encoded for the card; one that does
// not fit the entry's 32 bytes is a syntax error. Add sorts the shown positions by index first.
// Every failure is shown through `ui`.
DiaReadResult ReadDiaFile(const std::string& path, const DiaReadOptions& options, std::span<PhoneBookEntry> positions,
                          unsigned& positionCount, card::UserInterface& ui);

// An entry as a line carries it: the name's text in `form` (File: Windows-1250, characters it lacks
// spelled plainly, an older editor's Windows-1250 name as its own bytes, and no more of it than reads
// back into an entry; Display: UTF-8 for a terminal), the number with '+' when international (an
// empty number has no room for its type).
struct DiaLineText {
    std::string name;
    std::string number;
    bool operator==(const DiaLineText&) const = default;
};
DiaLineText DiaTextOf(const PhoneBookEntry& entry, card::TextForm form = card::TextForm::File);

// The entry as reading its written line gives it back: the name's text (UTF-8) after the reader's
// transliteration, and the number. Two entries with the same are the same line of a file.
DiaLineText DiaReadBackOf(const PhoneBookEntry& entry);

// The file's lines for the used entries among positions from..to (1-based, in index order); a range
// beyond the positions is cut to them. The file holds the File form; Display gives the same lines in
// UTF-8 to show them.
std::string FormatDiaFile(std::span<const PhoneBookEntry> positions, unsigned from, unsigned to,
                          card::TextForm form = card::TextForm::File);

// Writes FormatDiaFile's bytes and reports the outcome through `ui`; a failure shows the system's
// reason below the message. The existing file is replaced only by a completely written one. True when
// all was written.
bool WriteDiaFile(const std::string& path, std::span<const PhoneBookEntry> positions, unsigned from, unsigned to,
                  card::UserInterface& ui);

}  // namespace quillet::phonebook
