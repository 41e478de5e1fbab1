#pragma once

#include <string>
#include <string_view>

#include "card/SessionHost.h"

namespace quillet::sms {

// The default SMS centre and validity period as the card's EF_SMSP holds them, in the texts the
// program shows: the centre with a leading '+' when international, the validity in the
// date-or-validity language.
struct SmsParameterTexts {
    std::string centre;
    std::string validity;
};

inline constexpr int kWorkerDone = 1;
inline constexpr int kWorkerFailed = 2;

// Reads the first record of EF_SMSP that carries a centre or a validity. Talks to the reader
// directly (activation, CHV1 with the remembered PIN or the PIN dialog, select, read) and shows
// its own messages; both texts are empty when the card holds no parameters. A non-empty
// `progressTitle` titles the progress window while the worker runs.
int ReadSmsParameters(card::SessionHost& host, SmsParameterTexts& parameters, std::string_view progressTitle = {});

// Writes the centre and the relative validity into record 1 of EF_SMSP, keeping its other bytes.
int WriteSmsParameters(card::SessionHost& host, std::string_view centre, std::string_view validity,
                       std::string_view progressTitle = {});

}  // namespace quillet::sms
