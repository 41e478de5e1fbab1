// Add Code and Internationalize: the two bulk rewrites of the numbers of a phone book window.
#include "phonebook/Internationalize.h"

#include <algorithm>
#include <iterator>

#include "phonebook/DialNumbers.h"
#include "phonebook/TextHelpers.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

constexpr std::size_t kMaxNumberLength = sizeof(PhoneBookEntry::number) - 1;

constexpr std::uint32_t kIntervalError = 57450;
constexpr std::uint32_t kCodeError = 57451;
constexpr std::uint32_t kAddCodeTooLong = 57452;
constexpr std::uint32_t kSettingsMissing = 57591;
constexpr std::uint32_t kInternationalTooLong = 57592;
constexpr std::uint32_t kOutOfRange = 57593;

// The stored number, even when a damaged entry lacks its terminator.
std::string_view NumberOf(const PhoneBookEntry& entry) {
    const char* end = std::find(std::begin(entry.number), std::end(entry.number), '\0');
    return {entry.number, static_cast<std::size_t>(end - entry.number)};
}

// Stores a dialling text, a leading '+' making the entry international.
void StoreDialText(PhoneBookEntry& entry, std::string_view text) {
    std::string number;
    std::uint8_t ton = 0;
    SplitInternational(text, number, ton, sizeof entry.number);
    CopyBounded(entry.number, sizeof entry.number, number);
    entry.ton = ton;
    entry.modified = 1;
}

// Stores digits that follow the country's '+'. They are copied first, since they may be a part of
// the entry's own number.
void StoreInternational(PhoneBookEntry& entry, std::string_view digits) {
    CopyBounded(entry.number, sizeof entry.number, std::string(digits));
    entry.ton = 1;
    entry.modified = 1;
}

void ShowText(card::UserInterface& ui, std::uint32_t id, card::MessageIcon icon) {
    ui.ShowMessage(resources::LoadString(id), icon);
}

bool StartsWithAny(std::string_view text, std::string_view characters) {
    return !text.empty() && characters.find(text.front()) != std::string_view::npos;
}

}  // namespace

void AddCodeForm::SetAddToEnd(bool on) {
    if (on == m_request.addToEnd) return;
    m_request.addToEnd = on;
    std::string& code = m_request.code;
    if (on) {
        m_savedForAllNumbers = m_request.forAllNumbers;
        m_request.forAllNumbers = true;
        m_plusRemoved = !code.empty() && code.front() == '+';
        if (m_plusRemoved) code.erase(0, 1);
    } else {
        m_request.forAllNumbers = m_savedForAllNumbers;
        if (m_plusRemoved && (code.empty() || code.front() != '+')) code.insert(0, 1, '+');
    }
}

RewriteOutcome AddCode(std::span<PhoneBookEntry> positions, const AddCodeRequest& request, card::UserInterface& ui) {
    RewriteOutcome outcome;
    const long count = static_cast<long>(positions.size());
    const auto [from, to] = request.range;
    if (from < 1 || from > count || to < 1 || to > count || to < from) {
        ShowText(ui, kIntervalError, card::MessageIcon::Error);
        return outcome;
    }
    const std::string_view code = request.code;
    if (code.empty() || !IsValidNumber(code) || (request.addToEnd && code.front() == '+')) {
        ShowText(ui, kCodeError, card::MessageIcon::Error);
        return outcome;
    }
    outcome.performed = true;

    // The range counts in card order.
    std::stable_sort(positions.begin(), positions.end(),
                     [](const PhoneBookEntry& a, const PhoneBookEntry& b) { return a.index < b.index; });

    const bool codeIsInternational = code.front() == '+';
    for (PhoneBookEntry& entry : positions.subspan(from - 1, to - from + 1)) {
        const std::string_view number = NumberOf(entry);
        // A name without a number keeps having none; a bare code would be no number to call.
        if (!entry.used || number.empty()) continue;
        std::string text = JoinInternational(number, entry.ton);
        const bool fits = number.size() + code.size() <= kMaxNumberLength;
        if (request.addToEnd) {
            if (!fits) {
                ++outcome.tooLong;
                continue;
            }
            text += code;
        } else {
            const bool textIsInternational = text.front() == '+';
            if (!request.forAllNumbers && StartsWithAny(text, "+0*#")) continue;
            if (textIsInternational && codeIsInternational) continue;
            if (!fits) {
                ++outcome.tooLong;
                continue;
            }
            text.insert(textIsInternational ? 1 : 0, code);
        }
        StoreDialText(entry, text);
        ++outcome.changed;
    }
    if (outcome.tooLong > 0) ShowText(ui, kAddCodeTooLong, card::MessageIcon::Information);
    return outcome;
}

RewriteOutcome Internationalize(std::span<PhoneBookEntry> positions, ItemRange range,
                                const InternationalSettings& settings, card::UserInterface& ui) {
    RewriteOutcome outcome;
    const long count = static_cast<long>(positions.size());
    if (range.from < 1 || range.to > count || range.to < range.from) {
        ShowText(ui, kOutOfRange, card::MessageIcon::Error);
        return outcome;
    }
    if (settings.intNumber.empty() || settings.intSelector.empty()) {
        const card::Answer answer =
            ui.AskQuestion(resources::LoadString(kSettingsMissing), card::QuestionButtons::YesNoCancel);
        if (answer != card::Answer::Yes) return outcome;
    }
    outcome.performed = true;

    // The country code is kept without '+'; one typed with it still means the same country.
    std::string_view country = settings.intNumber;
    if (!country.empty() && country.front() == '+') country.remove_prefix(1);
    const std::string_view selector = settings.intSelector;

    for (PhoneBookEntry& entry : positions.subspan(range.from - 1, range.to - range.from + 1)) {
        if (!entry.used || entry.ton == 1) continue;
        const std::string_view number = NumberOf(entry);
        // Abroad: the access prefix goes, the country code behind it stays. An empty prefix
        // recognises nothing, and a prefix alone is no number yet.
        if (!selector.empty() && number.size() > selector.size() && number.starts_with(selector)) {
            StoreInternational(entry, number.substr(selector.size()));
            ++outcome.changed;
            continue;
        }
        // At home: the trunk '0' is replaced by the own country code. A lone "0" has no national
        // digits to keep, and without a country code there is nothing to put in front.
        if (country.empty() || number.size() < 2 || number[0] != '0' || number[1] == '0') continue;
        std::string text(country);
        text += number.substr(1);
        if (text.size() > kMaxNumberLength) {
            ++outcome.tooLong;
            continue;
        }
        StoreInternational(entry, text);
        ++outcome.changed;
    }
    if (outcome.tooLong > 0) ShowText(ui, kInternationalTooLong, card::MessageIcon::Information);
    return outcome;
}

}  // namespace quillet::phonebook
