#pragma once

#include <cstdint>
#include <ctime>
#include <span>
#include <string>

#include "card/TextForms.h"
#include "card/UserInterface.h"
#include "sms/SmsEntry.h"

namespace quillet::sms {

// Message files of an SMS window, one message per line, fields separated by TAB, lines ended by CR LF:
// - `SmsFile` (*.SMS): position, '>'centre, '>'number, '>'date or validity, status, reference, '>'text;
// - `SmsArchiveFile` (*.SMA): the same line without the position, appended to the end of the archive.
// Fields are coded as in every text file of the program (TAB, CR and LF inside a text escaped), so each
// message reads back as it was written. Every failure is shown once through `ui` with the error icon;
// a failed save shows the system's reason below its message, a syntax error the file's line; success
// shows nothing.

// The highest position a message file may name.
inline constexpr std::uint32_t kMaxSmsFilePosition = 99;

// The *.SMS bytes of every used entry of the first `count` positions. An empty or unreadable date text
// is written as `now` (the current local time when null). Texts are Windows-1250 (File), what it
// cannot hold spelled plainly; Display gives UTF-8 for a terminal, with the part mark after a
// concatenated part.
std::string FormatSmsFile(std::span<const SmsEntry> entries, std::uint32_t count, const std::tm* now = nullptr,
                          card::TextForm form = card::TextForm::File);
// The same messages as *.SMA lines, without their positions.
std::string FormatSmsArchiveLines(std::span<const SmsEntry> entries, std::uint32_t count, const std::tm* now = nullptr,
                                  card::TextForm form = card::TextForm::File);

// Save File: writes FormatSmsFile's bytes. The existing file is replaced only by a completely written
// one, so a failed save leaves the old file as it was.
bool SaveSmsFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                 card::UserInterface& ui, const std::tm* now = nullptr);

// Add to File: appends FormatSmsArchiveLines's bytes to the archive, creating it when missing. The
// archive's copy with the lines added replaces it only when complete; a last line without its line end
// gets one first.
bool AddToSmsArchiveFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                         card::UserInterface& ui, const std::tm* now = nullptr);

// Open File: reads an *.SMS or *.SMA file (told apart by its first record) into the window's
// `entries`, each position first cleared; `count` becomes max(highest position read, old count).
// Texts are read as Windows-1250 and coded for the card (SetMessageFileText); one that cannot be
// coded is a data extent error of its line. A number takes TON 1 from its '+' and NPI 1 (ISDN).
// Records read before a syntax or read error stay; a file that yields no record at all before its
// error leaves the window and `count` untouched. Positions beyond entries.size() are data extent
// errors; a position named twice, or a field after a line's last, is a syntax error of its line.
bool OpenSmsFile(const std::string& path, std::span<SmsEntry> entries, std::uint32_t& count, card::UserInterface& ui);

}  // namespace quillet::sms
