#pragma once

#include <chrono>
#include <thread>

#include "card/SessionHost.h"
#include "reader/ScLinkReader.h"
#include "support/ScriptedUserInterface.h"

namespace quillet::testing {

// A card session's host around a PC/SC reader, with a scripted user.
class PcscHost final : public card::SessionHost {
public:
    reader::CardReader* CurrentReader() override { return &reader; }
    card::SecretString& RememberedPin(unsigned chv) override { return chv == 2 ? pin2 : pin1; }
    bool CacheEnabled() const override { return true; }
    card::UserInterface& Ui() override { return ui; }
    void RaisePriority() override {}
    void LowerPriority() override {}

    reader::ScLinkReader reader;
    ScriptedUserInterface ui;
    card::SecretString pin1;
    card::SecretString pin2;
};

// Waits up to ten seconds until pcscd reports the reader's card present (or absent).
inline bool WaitForCard(reader::ScLinkReader& reader, bool present) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint16_t status = 0;
        if (reader.GetReaderStatus(status) == reader::result::kOk && ((status & 0x40) != 0) == present) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace quillet::testing
