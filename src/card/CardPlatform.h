#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "card/UiccFiles.h"
#include "reader/CardReader.h"

namespace quillet::card {

// What kind of card is in the reader: a GSM SIM, a UICC with the USIM and GSM applications (the
// program reads its GSM view), or a UICC with the USIM application only.
enum class CardPlatform { GsmSim, UiccWithGsm, UsimOnly };

// A USIM phone book as its EF_PBR describes it: one entry per set.
struct UsimPhoneBook {
    std::vector<PhoneBookSet> sets;
};

struct CardPlatformInfo {
    CardPlatform platform = CardPlatform::GsmSim;
    std::vector<std::uint8_t> usimAid;        // empty: no USIM application listed in EF_DIR
    std::optional<UsimPhoneBook> globalBook;  // DF_TELECOM/DF_PHONEBOOK
    std::optional<UsimPhoneBook> localBook;   // DF_PHONEBOOK of the USIM application
};

// Finds out what the card is with class 00 commands, `gsmAnswered` telling whether it took the
// GSM class. A GSM SIM refuses the first command. Phone books that cannot be read are left out.
// Returns false when the information is incomplete: the card stopped answering, or its phone-book
// list needs the PIN, which has not been verified.
bool DetectCardPlatform(reader::CardReader& reader, bool gsmAnswered, CardPlatformInfo& info, std::size_t& commands);

// The card information's lines on the card: a label and its text each.
std::vector<std::pair<std::string, std::string>> DescribeCardPlatform(const CardPlatformInfo& info);

// True when sets of the USIM phone book beyond the first also keep numbers in EXT1: records of it
// that nothing in the GSM view names may then be theirs.
bool Ext1HasUsersBeyondGsmView(const CardPlatformInfo& info);

// What the GSM view of the phone book leaves out on this card, as one sentence; empty when the
// GSM view shows the whole phone book.
std::string GsmViewNote(const CardPlatformInfo& info);

}  // namespace quillet::card
