#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillet::phonebook {

// One row of the country list: the English country name (at most 30 characters) and its dialling
// code, a '+' followed by 1 to 7 digits (some codes carry area digits, such as "+90392").
struct CountryDialingCode {
    std::string_view country;
    std::string_view code;
};

inline constexpr std::size_t kCountryDialingCodeCount = 229;

// The built-in country list in the order the "Country" column shows it: alphabetical by English
// name, with the names spelled exactly as the list has always shown them.
std::span<const CountryDialingCode> CountryDialingCodes();

// The code of the first row with exactly this country name.
std::optional<std::string_view> FindDialingCode(std::string_view country);
// The country of the first row with exactly this code ("+1" gives "Canada").
std::optional<std::string_view> FindCountry(std::string_view code);

// Row numbers of CountryDialingCodes() in the order the "Dialing number" column shows them: codes
// ascending as case-insensitive texts ("+1" < "+1242" < "+20"), put in place by a selection sort
// over the table order, so rows sharing a code come out in that sort's order.
std::array<std::uint16_t, kCountryDialingCodeCount> CountryRowsByCode();

// The text of a number field after a code was chosen from the list: the code in front of the
// field, taking the place of a '+' the field starts with ("+" becomes the code itself).
std::string InsertChosenCode(std::string_view code, std::string_view field);

}  // namespace quillet::phonebook
