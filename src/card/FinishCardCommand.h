#pragma once

#include "card/CardSession.h"

namespace quillet::card {

// Ends a command of the card: the session, then the progress window. Work that went well is not
// done until the card is released (a virtual card saves its file then), so a failed release fails
// it. False when the command failed; the last result then says why, as the failing step left it.
bool FinishCardCommand(CardSession& session, bool succeeded, bool forceProgressEnd);

}  // namespace quillet::card
