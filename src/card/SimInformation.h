#pragma once

#include <array>
#include <string>

#include "card/CardSession.h"
#include "card/UserInterface.h"
#include "reader/ReaderResult.h"

namespace quillet::card {

// What the information pages show, as the texts of their fields. A field the reading did not reach
// stays empty.

// One row of the code table: PIN1, PIN2, PUK1 or PUK2.
struct CodeRowTexts {
    std::string supported;  // "Yes" or "No"
    std::string limit;      // attempts left
    std::string activated;  // PIN1 only
};

enum CodeRow : std::size_t { kPin1Row, kPin2Row, kPuk1Row, kPuk2Row };

struct GlobalInformation {
    std::string serialNumber;
    std::string internationalCode;
    std::string phase;
    std::array<CodeRowTexts, 4> codes;  // by CodeRow
    std::string currency;
    std::string pricePerUnit;
    std::string sumUsed;
    std::string creditRemaining;
};

struct CapacityInformation {
    std::string phoneBookItems;
    std::string phoneBookNameLength;
    std::string fdnItems;
    std::string fdnNameLength;
    std::string smsItems;
};

// Serial number, subscriber identity, phase, code table and call costs. Runs its own card session
// (the PIN is asked for, and the reading goes on without it when the user declines) and progress
// window. A card that keeps the subscriber identity behind the PIN ends the reading there without
// a failure. On failure the fields read so far stay filled.
reader::ReaderResult ReadGlobalInformation(CardSession& session, ProgressOwner owner, GlobalInformation& info);

// The capacities of the phone book, the fixed dialing numbers and the SMS file; "None" for what
// the card's service table does not offer.
reader::ReaderResult ReadCapacityInformation(CardSession& session, ProgressOwner owner, CapacityInformation& info);

// "Error during smartcard reader operation:", CR LF and the message of the result.
std::string InformationErrorText(reader::ReaderResult code);

}  // namespace quillet::card
