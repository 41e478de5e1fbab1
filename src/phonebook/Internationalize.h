#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "card/EditorSelection.h"
#include "card/UserInterface.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

using card::DefaultItemRange;
using card::ItemRange;

// The fields of the Add Code dialog.
struct AddCodeRequest {
    std::string code = "+";
    ItemRange range;
    bool forAllNumbers = false;
    bool addToEnd = false;
};

// The Add Code dialog's fields with the coupling of its check boxes: "Add to end" forces "For all
// numbers" on (and disables it) and takes the '+' off the code, since a code behind a number cannot
// be a country code; switching it off brings both back.
class AddCodeForm {
public:
    explicit AddCodeForm(ItemRange range) { m_request.range = range; }

    // The fields as the user edits them.
    AddCodeRequest& Request() { return m_request; }
    const AddCodeRequest& Request() const { return m_request; }
    bool ForAllNumbersEnabled() const { return !m_request.addToEnd; }
    void SetAddToEnd(bool on);

private:
    AddCodeRequest m_request;
    bool m_savedForAllNumbers = false;
    bool m_plusRemoved = false;
};

// What a bulk rewrite did. `performed` is false when the input was refused (its message shown) or
// the user declined; then no entry was touched.
struct RewriteOutcome {
    bool performed = false;
    std::size_t changed = 0;
    std::size_t tooLong = 0;
};

// Add Code over a window's shown positions (positionCount of them). Checks the range and the code
// (messages 57450, 57451), restores card order by sorting all positions by `index`, then puts the
// code in front of (or behind) the numbers of the range's used positions; numbers that would pass
// 60 characters stay and are reported once (57452). Changed entries get `modified` = 1. Entries
// without a number keep having none.
RewriteOutcome AddCode(std::span<PhoneBookEntry> positions, const AddCodeRequest& request, card::UserInterface& ui);

// The user's settings for Internationalize: own country code without '+' (`intNumber`) and the
// international access prefix (`intSelector`).
struct InternationalSettings {
    std::string_view intNumber;
    std::string_view intSelector;
};

// Internationalize over a window's shown positions, in their current order (never sorted). Checks
// the range (57593); with a setting missing asks whether to go on (57591) whatever the confirmation
// setting says. Then every used national number of the range that starts with the access prefix
// loses it, and one that starts with a single '0' gets the country code instead of that '0'; both
// become international with `modified` = 1. A rule whose setting is empty is skipped. Numbers that
// would pass 60 characters stay and are reported once (57592).
RewriteOutcome Internationalize(std::span<PhoneBookEntry> positions, ItemRange range,
                                const InternationalSettings& settings, card::UserInterface& ui);

}  // namespace quillet::phonebook
