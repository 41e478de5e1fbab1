#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "card/DiallingDigits.h"

namespace quillet::card {

// Numbers as the user types them: dialling characters with an optional '+' in front for an
// international number, shared by the phone book and the message windows.

// At most 60 characters of dialling characters, with a '+' allowed only in front.
bool IsValidNumber(std::string_view text);

// A service-centre number as an SMS parameter record holds it: a number as above of at most 20
// characters after the '+'. An empty text passes (no centre).
bool IsValidCentreNumber(std::string_view text);
// A centre that can be written to the card: a valid centre with at least one digit.
bool IsWritableCentreNumber(std::string_view text);

// "+4930" gives number "4930" and ton 1; any other text is the number with ton 0. The number is
// cut to capacity - 1 characters.
void SplitInternational(std::string_view text, std::string& number, std::uint8_t& ton, std::size_t capacity = 61);
// The number with a leading '+' when ton is 1.
std::string JoinInternational(std::string_view number, std::uint8_t ton);

}  // namespace quillet::card
