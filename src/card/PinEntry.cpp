#include "card/PinEntry.h"

#include <optional>

#include "card/ChvCommands.h"

namespace quillet::card {

namespace result = reader::result;

PinPrompt PinPromptFor(unsigned chv) {
    if (chv == 2) return PinPrompt{172, "Quillet! - Enter PIN2", "Please enter PIN2:", 8};
    return PinPrompt{109, "Quillet! - Enter PIN", "Please enter PIN:", 8};
}

PinCheck VerifyWithRememberedPin(SessionHost& host, reader::CardReader* reader, unsigned chv, RefusedMemory onRefusal) {
    SecretString& remembered = host.RememberedPin(chv);
    for (;;) {
        const bool fromMemory = !remembered.Empty();
        SecretString pin = remembered;
        if (!fromMemory) {
            std::optional<SecretString> entered = host.Ui().AskPin(PinPromptFor(chv));
            if (!entered) return {result::kPinEntryCancelled, true};
            pin = *entered;
        }
        const reader::ReaderResult code =
            reader != nullptr ? VerifyChv(*reader, pin.View(), chv) : result::kReaderInaccessible;
        if (code == result::kOk) {
            remembered = pin;
            return {code, false};
        }
        remembered.Clear();
        const bool askUser = onRefusal == RefusedMemory::AskUser && fromMemory && code == result::kNoValidPin;
        if (!askUser) return {code, false};
    }
}

}  // namespace quillet::card
