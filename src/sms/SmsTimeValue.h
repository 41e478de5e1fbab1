#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string_view>

namespace quillet::sms {

// The parsed form of a date-or-validity text: either a service-centre time stamp or absolute
// validity (isDate = 1), or a relative validity period byte (isDate = 0).
struct SmsTimeValue {
    std::uint32_t isDate;
    std::uint8_t day;       // 1..31
    std::uint8_t month;     // 1..12
    std::uint8_t year;      // 0..99
    std::uint8_t hour;      // 0..23
    std::uint8_t minute;    // 0..59
    std::uint8_t second;    // 0 when parsed from text
    std::uint8_t zone;      // time zone byte as decoded from the card, never shown
    std::uint8_t validity;  // TP-VP in relative format (3GPP TS 23.040 9.2.3.12.1), when isDate = 0
};

// Reads "d.m.y h:mm" (year 0..99 or 1991..2099) or "<number> <unit>" (minutes, hours or days
// through the unit words of the string table). At most 63 characters are looked at, each first
// transliterated to plain ASCII. Leaves `value` untouched on failure.
bool ParseDateOrValidity(std::string_view text, SmsTimeValue& value);

// Writes "dd.mm.yy hh:mm" for a date, or the period of the validity byte with its unit word
// ("5 min", "24 hours", "30 days"); cut to destination.size() − 1 characters and terminated.
// Returns the number of characters written before the terminator.
std::size_t FormatDateOrValidity(const SmsTimeValue& value, std::span<char> destination);

// Leaves a zero-terminated text that ParseDateOrValidity accepts as it is; otherwise overwrites it
// with the given (or the current) local date and time as "dd.mm.yy hh:mm".
void NormalizeDateText(std::span<char> text, const std::tm& now);
void NormalizeDateText(std::span<char> text);

// The standard validity choice of a text: 0 = 1 hour, 1 = 1 day, 2 = 1 week, 3 = maximum.
// Dates and texts that do not parse give −1. Exact mode answers only for the period of a standard
// text; nearest mode picks the choice the period falls under.
int ValidityChoiceOf(std::string_view text, bool exact);
// The text offered for a choice ("60 mins", "1 day", "7 days", "364 days"), empty otherwise.
std::string_view ValidityChoiceText(int choice);

}  // namespace quillet::sms
