#pragma once

#include "sim/SimProfile.h"

namespace quillet::sim {

// The demonstration SIM of the virtual card: a GSM phase 2 subscription of a Czech network with a
// well-filled phone book (names in the default alphabet and in UCS2, numbers continued in EXT1),
// fixed dialling numbers, short messages of every status, SMS parameters, own and last dialled
// numbers, preferred and forbidden networks and advice-of-charge values. CHV1 1234, UNBLOCK CHV1
// 12345678, CHV2 5678, UNBLOCK CHV2 87654321.
SimProfile BuildDemoSimProfile();

// A UICC with the USIM and GSM applications. Its global phone book has two sets: the first is the
// GSM demo's phone book (EF_ADN and EF_EXT1 of DF_TELECOM are its second names) with e-mails in a
// type 2 file reached through EF_IAP and second numbers and a nickname in type 1 files; the second
// has its e-mails in a type 1 file. Codes as the GSM demo.
SimProfile BuildDemoDualModeProfile();

// A UICC with the USIM application only: it refuses the GSM class. A global phone book in
// DF_TELECOM and a local one in the USIM application, one set each. Codes as the GSM demo.
SimProfile BuildDemoUsimOnlyProfile();

// A Czech prepaid telephone chip card of 30 units, 12 of them used.
SimProfile BuildDemoTelephoneCard();

}  // namespace quillet::sim
