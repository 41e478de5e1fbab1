#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "backup/PlmnEntry.h"
#include "phonebook/PhoneBookEntry.h"
#include "sms/SmsEntry.h"

namespace quillet::backup {

// The whole-card backup file (*.SIM): a sequence of sections, each starting with its name as an
// `ArchiveString` (see ArchiveString.h for the coding). This program writes them in this order:
//   "SECTION_DIAL", "SECTION_FDN"  u32 count, then per record: u32 index, u32 used,
//                                  name, number, u8 ton, u8 npi, u8 capabilityId, u8 extensionId
//   "SECTION_SMS"                  u32 count, then per record: u32 index, u32 used, text,
//                                  serviceCentre, address, u8 addressTon, u8 addressNpi,
//                                  u8 centreTon, u8 centreNpi, dateOrValidity, u32 status
//   "SECTION_SMSPAR"               centre text, validity text
//   "SECTION_PLMN", "SECTION_FPLMN"  u32 count, then per slot: u8 valid, u32 mcc, u32 mnc
//   "SECTION_END"
// Reading takes the sections in any order; a section that comes again replaces what the earlier
// one gave, and a missing one leaves its part empty.

inline constexpr std::size_t kBackupPhoneBookPositions = 250;
inline constexpr std::size_t kBackupSmsPositions = 99;
// A network list is a transparent card file of 3-byte slots, and such a file holds at most
// 0xFFFF bytes; a longer list cannot come from a card, so a file claiming one is refused.
inline constexpr std::size_t kMaxBackupNetworkSlots = 0xFFFF / kPlmnSlotSize;

// The SMS parameters as the backup keeps them: the texts the SMS parameter workers read and
// write, not the card record.
struct SmsParameterTexts {
    char centre[22];    // '+' for an international centre and at most 20 digits; zero-terminated
    char validity[16];  // validity text such as "24 hours", at most 15 characters
};

// Which sections a backup holds. A backup read from a file has those the file held; a restore
// leaves the card's part of a missing section as it is. A backup made in memory has them all.
struct BackupSections {
    bool phoneBook = true;
    bool fixedDialing = true;
    bool messages = true;
    bool smsParameters = true;
    bool preferredNetworks = true;
    bool forbiddenNetworks = true;

    static constexpr BackupSections None() { return {false, false, false, false, false, false}; }
    bool operator==(const BackupSections&) const = default;
};

// One backup's data. Positions beyond a count are zero. The network lists carry one entry per
// slot of the card file, so their sizes are their counts.
//
// The file keeps valid, mcc and mnc of a network slot. A network code above 99 reads as three
// digits anyway (PlmnEntry::HasThreeDigitMnc); a three-digit code below 100, such as 310/010,
// is written with the slot's `valid` byte 3 instead of 1 (bit 1 = third digit), so it does not
// come back as the two-digit 310/10. Readers that only test `valid` for zero still see a valid
// slot, and files without such codes keep exactly their old bytes.
struct SimBackup {
    std::array<phonebook::PhoneBookEntry, kBackupPhoneBookPositions> phoneBook{};
    std::uint32_t phoneBookCount = 0;
    std::array<phonebook::PhoneBookEntry, kBackupPhoneBookPositions> fixedDialing{};
    std::uint32_t fixedDialingCount = 0;
    std::array<sms::SmsEntry, kBackupSmsPositions> messages{};
    std::uint32_t messageCount = 0;
    SmsParameterTexts smsParameters{};
    std::vector<PlmnEntry> preferredNetworks;
    std::vector<PlmnEntry> forbiddenNetworks;
    BackupSections present;
};

// String-table ids of the outcomes of saving and loading a backup file.
namespace message {
inline constexpr std::uint32_t kCannotOpenTarget = 57422;  // "Cannot open target file.\n..."
inline constexpr std::uint32_t kWriteError = 57423;        // "Error while writing to file.\n..."
inline constexpr std::uint32_t kCannotOpenBackup = 57426;  // "Cannot open backup file.\n..."
inline constexpr std::uint32_t kStructureError = 57427;    // "Error in backup file structure.\n..."
inline constexpr std::uint32_t kReadError = 57428;         // "Error while reading file.\n..."
}  // namespace message

// The file's bytes for a backup, sections in the order above; message texts in Windows-1250, what
// it cannot hold spelled plainly. Counts above the buffers' sizes are taken as the sizes;
// `modified`, `inTransfer` and `messageRef` are not stored.
std::vector<std::uint8_t> EncodeSimBackup(const SimBackup& backup);

// Reads a backup from untrusted bytes. On success `backup` holds exactly what the file gave, and
// `present` names the sections it held.
// On failure `backup` is left as it was and `error` is kStructureError (an unknown section name,
// a count larger than its buffer or than a card file's slots, a malformed length) or
// kReadError (the data ends before "SECTION_END"). Message texts are Windows-1250, coded for the
// card as *.SMS texts are; one that no message can hold is a structure error. Other texts longer
// than their fields are cut to the fields; a stored index keeps its low 16 bits.
bool DecodeSimBackup(std::span<const std::uint8_t> bytes, SimBackup& backup, std::uint32_t& error);

// Saves a backup through the program's saving routine (files/SafeFileWriter.h): an old file stays
// whole until the new one is complete, a link keeps pointing at the saved file, a new file is
// readable by its owner only. Errors: kCannotOpenTarget when the target cannot take the file (a
// folder, a device, no permission, a missing folder), kWriteError when writing, flushing or
// renaming fails; `reason`, when given, then says why in the system's words.
bool WriteSimBackupFile(const std::filesystem::path& path, const SimBackup& backup, std::uint32_t& error,
                        std::string* reason = nullptr);

// Loads a backup as DecodeSimBackup does, reading the file as a stream so that no length in it
// makes the program allocate. kCannotOpenBackup when the file cannot be opened or is a folder.
bool ReadSimBackupFile(const std::filesystem::path& path, SimBackup& backup, std::uint32_t& error);

}  // namespace quillet::backup
