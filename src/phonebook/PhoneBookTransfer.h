#pragma once

#include <cstdint>
#include <span>

#include "card/CardSession.h"
#include "card/GsmFiles.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

inline constexpr std::uint16_t kAdnFile = card::gsm_file::kAdn;
inline constexpr std::uint16_t kFdnFile = card::gsm_file::kFdn;
inline constexpr std::uint16_t kMsisdnFile = card::gsm_file::kMsisdn;
inline constexpr std::uint16_t kLndFile = card::gsm_file::kLnd;

struct PhoneBookInfo {
    std::uint32_t entryCount = 0;   // entries decoded
    std::uint32_t alphaLength = 0;  // name bytes a record holds
};

// Reads ADN, FDN, MSISDN or LND with their extension records into `entries` (the file's record
// count or the span's size, whichever is smaller; every position of the span is cleared and
// numbered first). On failure the session's last result says why and the caches are cleared.
bool ReadPhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                   PhoneBookInfo& info);

struct PhoneBookWriteReport {
    std::uint32_t recordsWritten = 0;
    std::uint32_t extensionRecordsWritten = 0;
};

// Writes `entries` to ADN or FDN, position k to record k + 1. Only records whose bytes change are
// written; an entry that equals the card record it came from (its `index`) is written as that
// record's own bytes wherever it moved, whatever its `modified` mark says, and an empty position
// over a record that holds no entry leaves the record as it is.
// Used entries beyond the file's records go to its empty records; 147 when they do not fit and
// 148 when the extension records do not suffice, both before anything is written. Extension
// records are written before the records that point to them. Afterwards every entry placed on
// the card carries its record number as `index` and `modified` = 0.
bool WritePhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                    PhoneBookWriteReport& report);

}  // namespace quillet::phonebook
