#pragma once

#include <functional>
#include <string>

#include "card/CardSession.h"

namespace quillet::card {

// What the check found, as the report dialog shows it.
struct CheckReports {
    std::string brief;
    std::string detailed;
    bool errorsFound = false;
};

// Shows the reports; true when the user asked for the repair.
using ShowCheckReport = std::function<bool(const CheckReports& reports)>;

// Check and Repair SIM: the caches are emptied so the check sees the card as it is now, the files
// are loaded and checked in the progress window of `owner`, the report is shown, and on request the
// errors are repaired (with PIN2 when the fixed dialling numbers need it). Failures are shown as the
// session's error text; a repair that went well says nothing more. False when a step failed.
bool CheckAndRepairCard(CardSession& session, ProgressOwner owner, const ShowCheckReport& showReport);

}  // namespace quillet::card
