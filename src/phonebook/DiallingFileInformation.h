#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "card/UserInterface.h"
#include "phonebook/PhoneBookEntry.h"
#include "reader/ReaderResult.h"

namespace quillet::phonebook {

// What the last-numbers and own-numbers pages show of EF LND or EF MSISDN.
struct DiallingFileInformation {
    std::string itemsPossible;
    std::string maxNameLength;
    // One line per record: "%3u  %20s  %s" with position, name and number of a used record, the
    // position alone for an empty one.
    std::vector<std::string> lines;
    // The message a failed reading shows; empty on success.
    std::string failure;
};

// Reads LND or MSISDN with their extension records in a card session of its own (the PIN is
// required) under the progress window. A file the card keeps invalidated is reported as protected.
reader::ReaderResult ReadDiallingFileInformation(card::CardSession& session, card::ProgressOwner owner,
                                                 std::uint16_t ef, DiallingFileInformation& info);

// The list line of record `position` (from 1); a name is right-aligned in 20 characters.
std::string DiallingListLine(unsigned position, const PhoneBookEntry& entry);

}  // namespace quillet::phonebook
