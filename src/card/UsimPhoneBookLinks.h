#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "card/CardSession.h"
#include "card/UiccFiles.h"

namespace quillet::card {

// One record of a USIM phone-book file and the bytes that clear it.
struct LinkedRecord {
    std::uint16_t file = 0;
    std::uint8_t number = 0;
    std::uint8_t fill = 0xFF;  // every byte of the cleared record
};

// What a USIM keeps for some ADN records of a phone-book set besides the records themselves, in
// the order they are cleared: the type 2 records EF_IAP names, the EF_IAP records, then the type 1
// records aligned with the ADN records (second numbers, e-mails, nicknames, groups).
struct LinkedData {
    std::vector<LinkedRecord> records;
    std::set<std::uint8_t> adnRecords;  // the ADN records that have any

    bool Empty() const { return records.empty(); }
};

// Finds what set `set` of the global phone book (DF_TELECOM/DF_PHONEBOOK) keeps for the ADN
// records `numbers`. False, with the session's last result, when the card could not be read.
bool FindLinkedData(CardSession& session, const PhoneBookSet& set, std::span<const std::uint8_t> numbers,
                    LinkedData& found);

// Clears the records in order, each read back when the host verifies writes. False, with the
// session's last result, at the first that fails.
bool ClearLinkedData(CardSession& session, const LinkedData& data);

// Adds one to the global phone book's change counter (EF_CC), so phones that keep a copy of the
// phone book read it again. A card without EF_CC needs nothing.
bool IncrementChangeCounter(CardSession& session);

}  // namespace quillet::card
