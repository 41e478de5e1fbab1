#include "sms/SmsTimeValue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "sms/ValidityWords.h"

namespace quillet::sms {

namespace {

constexpr std::size_t kMaxParsedLength = 63;
constexpr std::size_t kMaxNumberDigits = 4;

// Windows-1250 letters to plain ASCII, the same table the phone book applies to imported names.
// The table is scanned in order; a replacement that is itself 0x80 or above is looked up again
// further down, and whatever is still 0x80 or above in the end becomes '.'.
constexpr unsigned char kTransliterateFrom[] = {
    0xC1, 0xE1, 0xC2, 0xE2, 0xC3, 0xE3, 0xC4, 0xE4, 0xCC, 0xEC, 0xCB, 0xEB, 0x8A, 0x9A, 0xC8, 0xE8, 0xC6,
    0xE6, 0xD8, 0xF8, 0xC0, 0xE0, 0x8E, 0x9E, 0xDD, 0xFD, 0xCD, 0xED, 0xCE, 0xEE, 0xC9, 0xE9, 0xD9, 0xF9,
    0xDA, 0xFA, 0xDB, 0xFB, 0xDC, 0xFC, 0xD2, 0xF2, 0xD1, 0xF1, 0x8D, 0x9D, 0xD3, 0xF3, 0xD4, 0xF4, 0xD5,
    0xF5, 0xD6, 0xF6, 0xCF, 0xEF, 0xBC, 0xBE, 0xC5, 0xE5, 0x91, 0x92, 0x22, 0x22, 0x84, 0x82};
constexpr unsigned char kTransliterateTo[] =
    "AaAaAaAaEeEeSsCcCcRrRrZzYyIiIiEeUuUuUuUuNnNnTtOoOoOoOoDdLlLl\x92\x92\x22\x22\x22\x2C";
static_assert(sizeof(kTransliterateFrom) == 66 && sizeof(kTransliterateTo) == 66 + 1);

char Transliterate(char input) {
    auto c = static_cast<unsigned char>(input);
    if (c < 0x80) return input;
    for (std::size_t i = 0; i < sizeof(kTransliterateFrom); ++i) {
        if (kTransliterateFrom[i] != c) continue;
        c = kTransliterateTo[i];
        if (c < 0x80) return static_cast<char>(c);
    }
    return '.';
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Reads 1 to 4 decimal digits at pos.
bool ReadNumber(std::string_view text, std::size_t& pos, unsigned& number) {
    std::size_t digits = 0;
    number = 0;
    while (pos < text.size() && digits < kMaxNumberDigits && text[pos] >= '0' && text[pos] <= '9') {
        number = number * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

void SkipSpaces(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

// "d.m.y h:mm" after the day has been read; pos stands on the first '.'.
bool ParseDate(std::string_view text, std::size_t pos, unsigned day, SmsTimeValue& value) {
    unsigned month = 0, year = 0, hour = 0, minute = 0;
    if (day < 1 || day > 31 || !Expect(text, pos, '.')) return false;
    if (!ReadNumber(text, pos, month) || month < 1 || month > 12 || !Expect(text, pos, '.')) return false;
    if (!ReadNumber(text, pos, year)) return false;
    if (year > 99 && (year < 1991 || year > 2099)) return false;
    if (!Expect(text, pos, ' ')) return false;
    SkipSpaces(text, pos);
    if (!ReadNumber(text, pos, hour) || hour > 23 || !Expect(text, pos, ':')) return false;
    if (!ReadNumber(text, pos, minute) || minute > 59) return false;
    SkipSpaces(text, pos);
    if (pos != text.size()) return false;
    value = SmsTimeValue{};
    value.isDate = 1;
    value.day = static_cast<std::uint8_t>(day);
    value.month = static_cast<std::uint8_t>(month);
    value.year = static_cast<std::uint8_t>(year % 100);
    value.hour = static_cast<std::uint8_t>(hour);
    value.minute = static_cast<std::uint8_t>(minute);
    return true;
}

enum class Period { kMinutes, kHours, kDays };

// The unit of a validity text: the first unit word, in the parser's order, found anywhere in it.
bool FindUnit(std::string_view rest, Period& period) {
    const ValidityWords& words = ValidityWords::Get();
    for (int unit = 0; unit < ValidityWords::kUnitCount; ++unit) {
        std::string word(words.UnitWord(static_cast<ValidityWords::Unit>(unit)));
        // An empty word from a translated table would match every text.
        if (word.empty()) continue;
        for (char& c : word) c = UpperAscii(c);
        if (rest.find(word) == std::string_view::npos) continue;
        switch (unit) {
            case ValidityWords::kMinutes:
                period = Period::kMinutes;
                break;
            case ValidityWords::kHour:
            case ValidityWords::kHours:
                period = Period::kHours;
                break;
            default:
                period = Period::kDays;
                break;
        }
        return true;
    }
    return false;
}

// "<n> <unit>" after the number has been read; pos stands on the space. Encodes the relative
// TP-VP byte: 0..143 in 5-minute steps, 144..167 in half hours from 12 hours, 168..196 days,
// 197..255 weeks.
bool ParseValidity(std::string_view text, std::size_t pos, unsigned number, SmsTimeValue& value) {
    if (number < 1) return false;
    std::string rest(text.substr(pos));
    for (char& c : rest) c = UpperAscii(c);
    Period period{};
    if (!FindUnit(rest, period)) return false;
    unsigned validity = 0;
    switch (period) {
        case Period::kMinutes:
            if (number > 720) return false;
            validity = number / 5 == 0 ? 0 : number / 5 - 1;
            break;
        case Period::kHours:
            if (number >= 48) return false;
            validity = number < 12 ? 12 * number - 1 : number < 24 ? 2 * number + 119 : 167;
            break;
        case Period::kDays:
            if (number >= 442) return false;
            validity = number <= 30 ? number + 166 : number / 7 + 192;
            break;
    }
    value = SmsTimeValue{};
    value.validity = static_cast<std::uint8_t>(validity);
    return true;
}

std::size_t CopyCut(std::string_view text, std::span<char> destination) {
    if (destination.empty()) return 0;
    const std::size_t length = std::min(text.size(), destination.size() - 1);
    std::memcpy(destination.data(), text.data(), length);
    destination[length] = '\0';
    return length;
}

std::string FormatDate(unsigned day, unsigned month, unsigned year, unsigned hour, unsigned minute) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%02u.%02u.%02u %02u:%02u", day % 100, month % 100, year % 100, hour % 100,
                  minute % 100);
    return buffer;
}

std::string FormatValidity(unsigned validity) {
    using W = ValidityWords;
    unsigned number = 0;
    W::Unit unit = W::kHours;
    if (validity <= 143) {
        const unsigned minutes = (validity + 1) * 5;
        if (minutes < 240) {
            number = minutes;
            unit = W::kMinutes;
        } else {
            number = minutes / 60;
        }
    } else if (validity <= 167) {
        number = (validity - 119) * 30 / 60;
    } else if (validity <= 196) {
        number = validity - 166;
        unit = number <= 4 ? W::kDaysFew : W::kDaysMany;
    } else {
        number = 7 * (validity - 192);
        unit = W::kDaysMany;
    }
    // The singular words; none of the ranges above gives exactly one hour or one day.
    if (number == 1 && unit == W::kHours) unit = W::kHour;
    if (number == 1 && (unit == W::kDaysFew || unit == W::kDaysMany)) unit = W::kDay;
    return std::to_string(number) + ' ' + std::string(W::Get().DisplayWord(unit));
}

}  // namespace

bool ParseDateOrValidity(std::string_view text, SmsTimeValue& value) {
    text = text.substr(0, std::min(text.find('\0'), kMaxParsedLength));
    std::string work;
    work.reserve(text.size());
    for (char c : text) work.push_back(Transliterate(c));
    std::size_t pos = 0;
    SkipSpaces(work, pos);
    unsigned number = 0;
    if (!ReadNumber(work, pos, number) || pos >= work.size()) return false;
    if (work[pos] == '.') return ParseDate(work, pos, number, value);
    if (work[pos] == ' ') return ParseValidity(work, pos, number, value);
    return false;
}

std::size_t FormatDateOrValidity(const SmsTimeValue& value, std::span<char> destination) {
    if (value.isDate != 0) {
        return CopyCut(FormatDate(value.day, value.month, value.year, value.hour, value.minute), destination);
    }
    return CopyCut(FormatValidity(value.validity), destination);
}

void NormalizeDateText(std::span<char> text, const std::tm& now) {
    if (text.empty()) return;
    if (std::memchr(text.data(), 0, text.size()) == nullptr) text.back() = '\0';
    SmsTimeValue parsed{};
    if (ParseDateOrValidity(std::string_view(text.data()), parsed)) return;
    std::memset(text.data(), 0, text.size());
    CopyCut(FormatDate(static_cast<unsigned>(now.tm_mday), static_cast<unsigned>(now.tm_mon + 1),
                       static_cast<unsigned>((now.tm_year + 1900) % 100), static_cast<unsigned>(now.tm_hour),
                       static_cast<unsigned>(now.tm_min)),
            text);
}

void NormalizeDateText(std::span<char> text) {
    const std::time_t seconds = std::time(nullptr);
    std::tm now{};
    localtime_r(&seconds, &now);
    NormalizeDateText(text, now);
}

int ValidityChoiceOf(std::string_view text, bool exact) {
    SmsTimeValue value{};
    if (!ParseDateOrValidity(text, value) || value.isDate != 0) return -1;
    using W = ValidityWords;
    const W::Standard standards[] = {W::kOneHour, W::kOneDayWritten, W::kOneWeek, W::kMaximum};
    int below = 0;
    for (int choice = 0; choice < 4; ++choice) {
        SmsTimeValue standard{};
        if (!ParseDateOrValidity(W::Get().StandardText(standards[choice]), standard) || standard.isDate != 0) {
            continue;
        }
        if (exact && standard.validity == value.validity) return choice;
        if (!exact && choice < 3 && standard.validity < value.validity) ++below;
    }
    return exact ? -1 : below;
}

std::string_view ValidityChoiceText(int choice) {
    using W = ValidityWords;
    switch (choice) {
        case 0:
            return W::Get().StandardText(W::kOneHour);
        case 1:
            return W::Get().StandardText(W::kOneDayOffered);
        case 2:
            return W::Get().StandardText(W::kOneWeek);
        case 3:
            return W::Get().StandardText(W::kMaximum);
        default:
            return {};
    }
}

}  // namespace quillet::sms
