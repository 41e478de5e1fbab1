#pragma once

#include "card/SecretString.h"
#include "card/UserInterface.h"
#include "reader/CardReader.h"

namespace quillet::card {

// What the card session needs from the application that owns it: the current reader (asked
// for before every operation, since the user may change it), the PINs remembered for this run,
// the cache setting, the person at the screen, and the process priority.
class SessionHost {
public:
    virtual ~SessionHost() = default;

    virtual reader::CardReader* CurrentReader() = 0;
    // The remembered code of CHV1 or CHV2; empty when none.
    virtual SecretString& RememberedPin(unsigned chv) = 0;
    virtual bool CacheEnabled() const = 0;
    // Whether every record written is read back and compared (slow readers may switch it off).
    virtual bool VerifyWrites() const { return true; }
    virtual UserInterface& Ui() = 0;
    virtual void RaisePriority() = 0;
    virtual void LowerPriority() = 0;
    // Waits a moment while cached records replay, so their progress can be seen.
    virtual void Pause(std::uint32_t /*ms*/) {}
};

}  // namespace quillet::card
