#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "card/UserInterface.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// The field a search looks in; the values are the stored `itemSrch`.
enum class SearchField { Name = 0, Number = 1, DialingCode = 2, Everywhere = 3 };

// The last operation the main window's "Find/Replace Next" repeats; never stored.
enum class FindOperation { None = 0, Find = 1, Replace = 2 };

// The answers of the "Quillet! - Replacing Entries" question.
enum class ReplaceAnswer { Yes, No, All, Cancel };
using AskReplace = std::function<ReplaceAnswer()>;

// The find dialog's fields, UTF-8 as typed.
struct FindRequest {
    std::string findText;
    std::string replaceText;
    SearchField field = SearchField::Name;
};

struct FindResult {
    std::optional<std::size_t> foundRow;   // a find's match: select it and show it
    std::vector<std::size_t> changedRows;  // rows a replace changed
    bool notFound = false;                 // "Item not found" was shown: forget the last operation
};

// The check of the dialog's Find and Replace buttons: "Enter search text " for an empty find text.
bool CheckFindRequest(const FindRequest& request, card::UserInterface& ui);

// One run of find or replace over the shown positions, starting from the first selected row
// (−1: none). A replace asks through `ask` before each change unless the user chose All.
FindResult RunFindReplace(std::span<PhoneBookEntry> positions, FindOperation operation, const FindRequest& request,
                          long firstSelected, card::UserInterface& ui, const AskReplace& ask);

}  // namespace quillet::phonebook
