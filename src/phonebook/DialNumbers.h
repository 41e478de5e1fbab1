#pragma once

#include "card/DialNumbers.h"

namespace quillet::phonebook {

using card::BcdNibbleToChar;
using card::CharToBcdNibble;
using card::IsDialChar;
using card::IsValidCentreNumber;
using card::IsValidNumber;
using card::JoinInternational;
using card::SplitInternational;

}  // namespace quillet::phonebook
