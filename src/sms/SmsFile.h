#pragma once

#include <cstdint>
#include <ctime>
#include <span>
#include <string>

#include "card/UserInterface.h"
#include "sms/SmsEntry.h"

namespace quillet::sms {

// Message files of an SMS window, one message per line, fields separated by TAB, lines ended by CR LF:
// - `SmsFile` (*.SMS): position, '>'centre, '>'number, '>'date or validity, status, reference, '>'text;
// - `SmsArchiveFile` (*.SMA): the same line without the position, appended to the end of the archive.
// Every failure is shown once through `ui` with the error icon; success shows nothing.

// The highest position a message file may name.
inline constexpr std::uint32_t kMaxSmsFilePosition = 99;

// Save File: writes every used entry of the first `count` positions as an *.SMS line. The file is
// written beside the target under a temporary name, synced and renamed over the target only when
// complete, so a failed save leaves the old file as it was. An empty or unreadable date text is written
// as `now` (the current local time when null).
bool SaveSmsFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                 card::UserInterface& ui, const std::tm* now = nullptr);

// Add to File: appends the *.SMA lines of every used entry of the first `count` positions to the
// archive, creating it when missing. The archive is copied to a temporary file, the lines are added
// there and the copy replaces the archive only when complete.
bool AddToSmsArchiveFile(const std::string& path, std::span<const SmsEntry> entries, std::uint32_t count,
                         card::UserInterface& ui, const std::tm* now = nullptr);

// Open File: reads an *.SMS or *.SMA file (told apart by its first record) into the window's
// `entries`, each position first cleared; `count` becomes max(highest position read, old count).
// Records read before a syntax or read error stay; a file that yields no record at all before its
// error leaves the window and `count` untouched. Positions beyond entries.size() are data extent
// errors.
bool OpenSmsFile(const std::string& path, std::span<SmsEntry> entries, std::uint32_t& count, card::UserInterface& ui);

}  // namespace quillet::sms
