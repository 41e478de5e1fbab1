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
};

// Writes `entries` to EF_SMS, position k to record k + 1, used entries beyond the file into its
// free records (147 when they do not fit, before anything is written). Only records whose
// contents change are written; an entry that equals its card record is written as the card's own bytes,
// so headers, UCS2 texts and everything else the decoder does not show survive. Afterwards every
// entry placed on the card carries its record number as `index` and `modified` = 0.
bool WriteSms(card::CardSession& session, std::span<SmsEntry> entries, SmsWriteReport& report);

}  // namespace quillet::sms
