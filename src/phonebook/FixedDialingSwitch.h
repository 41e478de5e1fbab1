#pragma once

#include "card/CardSession.h"
#include "card/UserInterface.h"

namespace quillet::phonebook {

// "Activate FDN": fixed dialling is on while EF ADN is invalidated. Asks whether to switch it the
// other way, verifies PIN2, and invalidates EF ADN, or rehabilitates EF ADN, EF IMSI and EF LOCI
// in that order, stopping at the first failure. Every failure is shown; true when the card was
// switched.
bool ToggleFixedDialing(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner);

}  // namespace quillet::phonebook
