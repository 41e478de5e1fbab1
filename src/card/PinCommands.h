#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "card/CardSession.h"

namespace quillet::card {

// The PIN menu's commands. Each is one card session in the progress window, owned by `owner`,
// with the questions, dialogs and messages of the session host's user interface; every failure
// is shown as the session's error text. Dialogs the user closes and questions answered No send
// nothing that changes the card.

// Enter PIN (chv 1) and Enter PIN2 (chv 2): the remembered code is forgotten and the card asks
// for the code again when it needs one.
void EnterPin(CardSession& session, ProgressOwner owner, unsigned chv);
// Change PIN / Change PIN2, through the change dialog. True when the card took the new code.
bool ChangePin(CardSession& session, ProgressOwner owner, unsigned chv);
// Switches CHV1 off or on, after asking, with the code entered in the PIN dialog.
void EnableDisablePin(CardSession& session, ProgressOwner owner);
// Unblocks CHV1 and then CHV2 when the card says they have no attempts left.
void UnblockCard(CardSession& session, ProgressOwner owner);

// The checks of the code dialogs on OK; the string id of the message to show, nothing when the
// codes may go to the card. Change: the new code entered twice alike (5600), old and new codes of
// at least 4 characters (5601). Unblock: the new code entered twice alike and at least 4 long
// (59025); the unblocking code is the card's to judge.
std::optional<std::uint32_t> CheckChangedCodes(std::string_view oldCode, std::string_view newCode,
                                               std::string_view again);
std::optional<std::uint32_t> CheckUnblockCodes(std::string_view newCode, std::string_view again);

}  // namespace quillet::card
