#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "card/FileImage.h"
#include "card/RecordWritePlan.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// What the card holds now: the file written, its extension file, and the other files whose
// records link into that extension file.
struct PhoneBookOnCard {
    card::CachedFile file;
    card::CachedFile extensionFile;
    card::FileImage records;
    card::FileImage extensions;
    std::vector<card::FileImage> sharing;
    // Extension records in use that no record names may be taken once the free ones ran out;
    // not when the card's USIM phone book may be using them.
    bool takesUnnamedRecords = true;
};

// What becomes of one record of the file.
struct RecordOutcome {
    // How many of the plan's writes must be done before the record holds its entry; 0: it does now.
    std::size_t settledAfter = 0;
    // The record whose bytes, extension chain included, the record takes; 0: new bytes.
    std::size_t source = 0;
    bool nameCut = false;  // the entry's name is longer than the record's name field
};

struct PhoneBookPlan {
    card::RecordWritePlan plan;
    std::vector<RecordOutcome> records;  // by record number, index 0 unused
    std::size_t namesShortened = 0;
};

// Plans the write of `target` (the entry for each record number, index 0 unused; null keeps the
// record) over the card's present records, with no card at hand:
// - An entry equal to what a record decodes to takes that record's bytes and chain: the record at
//   its `index` first, else any other record of the file not taken yet. A position without an
//   entry over a record without one leaves the record alone.
// - New chains take only extension records nothing names: not a record of any file sharing the
//   extension file, not a chain continuation, not a link to a free record. Failing those, records
//   that rewritten records of this file release, and only by a record written after all of them.
//   A chain is never rewritten in place, so a stop at any command leaves each entry old or new.
//   When that does not suffice the plan fails (the caller reports 148); nothing was written.
// - A moved entry is written to its new record before the record it leaves is rewritten, with a
//   copy of its chain in fresh records while there are any (else the two records share the chain
//   until the old one is rewritten).
// - Each record is written after its new extension records; extension records left unnamed are
//   freed last. Records the caches show empty that the plan fills, the records moved entries come
//   from, their chains and every extension record taken are checked against the card first.
std::optional<PhoneBookPlan> PlanPhoneBookWrite(const PhoneBookOnCard& onCard,
                                                std::span<const PhoneBookEntry* const> target);

}  // namespace quillet::phonebook
