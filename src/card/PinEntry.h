#pragma once

#include "card/SessionHost.h"
#include "card/UserInterface.h"
#include "reader/CardReader.h"
#include "reader/ReaderResult.h"

namespace quillet::card {

// The dialog that asks for CHV1 (chv 1) or CHV2 (chv 2).
PinPrompt PinPromptFor(unsigned chv);

// What to do when the card refuses a remembered code as wrong: stop, or forget it and ask the user.
enum class RefusedMemory { Stop, AskUser };

struct PinCheck {
    reader::ReaderResult code = reader::result::kOk;
    bool cancelled = false;  // the user closed the dialog; nothing was sent
};

// Verifies CHV `chv` with the code the host remembers, or else with one the user enters. An accepted
// code is remembered; a refused one is forgotten, so it never costs a second attempt. A null reader
// gives kReaderInaccessible.
PinCheck VerifyWithRememberedPin(SessionHost& host, reader::CardReader* reader, unsigned chv, RefusedMemory onRefusal);

}  // namespace quillet::card
