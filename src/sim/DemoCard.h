#pragma once

#include "sim/SimProfile.h"

namespace quillet::sim {

// The demonstration SIM of the virtual card: a GSM phase 2 subscription of a Czech network with a
// well-filled phone book (names in the default alphabet and in UCS2, numbers continued in EXT1),
// fixed dialling numbers, short messages of every status, SMS parameters, own and last dialled
// numbers, preferred and forbidden networks and advice-of-charge values. CHV1 1234, UNBLOCK CHV1
// 12345678, CHV2 5678, UNBLOCK CHV2 87654321.
SimProfile BuildDemoSimProfile();

// A Czech prepaid telephone chip card of 30 units, 12 of them used.
SimProfile BuildDemoTelephoneCard();

}  // namespace quillet::sim
