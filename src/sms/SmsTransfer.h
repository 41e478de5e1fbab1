#pragma once

#include <cstdint>
#include <span>

#include "card/CardSession.h"
#include "sms/SmsEntry.h"

namespace quillet::sms {

// Reads EF_SMS into `entries`: every position is cleared and numbered, then the card's records
// that fit are decoded; `count` is how many. On failure the last result says why and the caches
// are cleared.
bool ReadSmsFile(card::CardSession& session, std::span<SmsEntry> entries, std::uint32_t& count);

struct SmsWriteReport {
    std::uint32_t recordsWritten = 0;
    std::uint32_t firstTooLong = 0;  // with 155: the first position (1-based) whose text does not fit
};

// Writes `entries` to EF_SMS, position k to record k + 1, used entries beyond the file into its
// free records (147 when they do not fit, 155 when a text does not fit its record, both before
// anything is written; the entries stay as they are). Only records whose
// contents change are written; an entry that equals its card record is written as the card's own bytes,
// so headers, UCS2 texts and everything else the decoder does not show survive. The card must still
// hold what the caches say (else 153) and, with read-back on, every record written is checked (154).
// Every entry that reached the card carries its record number as `index` and `modified` = 0.
bool WriteSms(card::CardSession& session, std::span<SmsEntry> entries, SmsWriteReport& report);

}  // namespace quillet::sms
