#include "phonebook/FindReplace.h"

#include <algorithm>
#include <cstring>

#include "card/GsmText.h"
#include "phonebook/CaseFold.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/EntryName.h"
#include "phonebook/TextHelpers.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

constexpr std::uint32_t kEnterSearchText = 57400;
constexpr std::uint32_t kItemNotFound = 57401;
constexpr std::uint32_t kWrongNumber = 57402;
constexpr std::size_t kMaxReplacedLength = 64;

enum class Matched { None, Name, Number };

// The dialog's texts arrive as UTF-8; anything else is taken as Windows-1250 rather than lost.
std::u32string TextOf(std::string_view typed) {
    const std::optional<std::u32string> text = card::TextFromUtf8(typed);
    return text ? *text : card::TextFromCp1250(typed);
}

std::u32string NumberText(const PhoneBookEntry& entry) {
    const std::string joined =
        JoinInternational(std::string_view(entry.number, strnlen(entry.number, sizeof entry.number)), entry.ton);
    return std::u32string(joined.begin(), joined.end());
}

// The field of a used entry that holds the text, the name before the number.
Matched MatchOf(const PhoneBookEntry& entry, SearchField field, std::u32string_view find) {
    if (entry.used == 0) return Matched::None;
    const bool inName = field == SearchField::Name || field == SearchField::Everywhere;
    if (inName && FindFolded(NameText(entry), find) != std::u32string::npos) return Matched::Name;
    const std::size_t at = FindFolded(NumberText(entry), find);
    const bool inNumber = field == SearchField::Number || field == SearchField::Everywhere;
    if ((inNumber && at != std::u32string::npos) || (field == SearchField::DialingCode && at == 0)) {
        return Matched::Number;
    }
    return Matched::None;
}

// The field's text with its first occurrence of the find text replaced.
std::u32string Replaced(std::u32string text, std::u32string_view find, std::u32string_view with) {
    text.replace(FindFolded(text, find), find.size(), with);
    if (text.size() > kMaxReplacedLength) text.resize(kMaxReplacedLength);
    return text;
}

bool IsNumberText(std::u32string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (!(c == U'+' && i == 0) && !(c < 0x80 && IsDialChar(static_cast<char>(c)))) return false;
    }
    return true;
}

// Stores the replaced text; false (and the entry unchanged) for a number with other characters.
bool Apply(PhoneBookEntry& entry, Matched field, std::u32string text, card::UserInterface& ui) {
    if (field == Matched::Number) {
        if (!IsNumberText(text)) {
            ui.ShowMessage(resources::LoadString(kWrongNumber), card::MessageIcon::Error);
            return false;
        }
        std::string digits;
        SplitInternational(std::string(text.begin(), text.end()), digits, entry.ton, sizeof entry.number);
        CopyBounded(entry.number, sizeof entry.number, digits);
    } else if (text != NameText(entry)) {
        // What the card's forms cannot hold in the entry's 32 bytes is cut from the end.
        while (!SetNameText(entry, text, kMaxNameBytes) && !text.empty()) text.pop_back();
    }
    entry.modified = 1;
    return true;
}

void ShowNotFound(FindResult& result, card::UserInterface& ui) {
    ui.ShowMessage(resources::LoadString(kItemNotFound), card::MessageIcon::Information);
    result.notFound = true;
}

}  // namespace

bool CheckFindRequest(const FindRequest& request, card::UserInterface& ui) {
    if (!request.findText.empty()) return true;
    ui.ShowMessage(resources::LoadString(kEnterSearchText), card::MessageIcon::Error);
    return false;
}

FindResult RunFindReplace(std::span<PhoneBookEntry> positions, FindOperation operation, const FindRequest& request,
                          long firstSelected, card::UserInterface& ui, const AskReplace& ask) {
    FindResult result;
    if (operation == FindOperation::None || !CheckFindRequest(request, ui)) return result;
    const std::u32string find = TextOf(request.findText);
    const std::size_t count = positions.size();
    const std::size_t start = firstSelected < 0 ? 0 : std::min(static_cast<std::size_t>(firstSelected), count);

    if (operation == FindOperation::Find) {
        // From the row after the selection to the end, then from the top up to the selection.
        for (std::size_t step = 1; step <= count; ++step) {
            const std::size_t row = (start + step) % count;
            if (MatchOf(positions[row], request.field, find) == Matched::None) continue;
            result.foundRow = row;
            return result;
        }
        ShowNotFound(result, ui);
        return result;
    }

    const std::u32string with = TextOf(request.replaceText);
    bool all = false;
    for (std::size_t row = start;; ++row) {
        Matched field = Matched::None;
        while (row < count && (field = MatchOf(positions[row], request.field, find)) == Matched::None) ++row;
        if (row >= count) {
            if (!all) ShowNotFound(result, ui);
            return result;
        }
        PhoneBookEntry& entry = positions[row];
        const std::u32string text = Replaced(field == Matched::Name ? NameText(entry) : NumberText(entry), find, with);
        if (!all) {
            const ReplaceAnswer answer = ask();
            if (answer == ReplaceAnswer::Cancel) return result;
            if (answer == ReplaceAnswer::No) continue;
            all = answer == ReplaceAnswer::All;
        }
        if (!Apply(entry, field, text, ui)) return result;
        result.changedRows.push_back(row);
    }
}

}  // namespace quillet::phonebook
