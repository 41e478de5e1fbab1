#pragma once

#include <array>
#include <string_view>

namespace quillet::sms {

// The words of the date-or-validity texts, taken once from the string table so that a translated
// table changes both what is shown and what is accepted. Each word sits in a 10-character buffer
// (at most 9 characters survive); the unit words also keep a lower-case copy for display.
class ValidityWords {
public:
    using Word = std::array<char, 10>;

    // Unit words in the order the parser tries them.
    enum Unit { kMinutes, kHour, kDay, kDaysInput, kDaysMany, kDaysFew, kHours, kUnitCount };
    // Standard validity texts: 60 mins, 1 day, 24 hours, 7 days, 364 days.
    enum Standard { kOneHour, kOneDayOffered, kOneDayWritten, kOneWeek, kMaximum, kStandardCount };

    // The words, loaded on first use.
    static const ValidityWords& Get();

    std::string_view UnitWord(Unit unit) const { return View(m_units[unit]); }
    std::string_view DisplayWord(Unit unit) const { return View(m_display[unit]); }
    std::string_view StandardText(Standard which) const { return View(m_standard[which]); }

private:
    ValidityWords();
    static std::string_view View(const Word& word) { return std::string_view(word.data()); }

    std::array<Word, kUnitCount> m_units{};
    std::array<Word, kUnitCount> m_display{};
    std::array<Word, kStandardCount> m_standard{};
};

}  // namespace quillet::sms
