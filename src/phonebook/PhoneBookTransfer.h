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
    std::uint32_t namesShortened = 0;  // names cut to fit the card's name field
};

// Writes `entries` to ADN or FDN, position k to record k + 1, as PlanPhoneBookWrite plans it:
// only records whose bytes change are written, an entry equal to a card record keeps that
// record's bytes wherever it moved, whatever its `modified` mark says, and extension records are
// never taken from another entry. Used entries beyond the file's records go to its empty records;
// 147 when they do not fit and 148 when the extension records do not suffice, both before anything
// is written. The card must still hold what the caches say (else 153, nothing written), and with
// read-back on every record written is checked (154). Every entry that reached the card carries
// its record number as `index`, `modified` = 0 and the name as the card holds it (cut to fit).
bool WritePhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                    PhoneBookWriteReport& report);

}  // namespace quillet::phonebook
