#pragma once

#include <span>
#include <string>

#include "card/CardCheckPlan.h"
#include "card/CardSession.h"

namespace quillet::card {

// Checks the dialling, extension and message files the session holds (loading them first when the
// caches do not) and appends the report to both texts: the brief one counts the problems of each
// part, the detailed one names each record. With `repair` the planned corrections are written
// through the verified record writes; a card that no longer holds what was read stops the repair
// before its first write. False on a cancel or a failed command; the last result says why.
bool CheckCard(CardSession& session, std::string& briefReport, std::string& detailedReport, bool& errorsFound,
               bool& needsPin2, bool repair);

// The report texts of a plan's findings, lines ended by CR LF, appended to the texts.
void AppendCheckReports(const CardCheckPlan& plan, std::span<const std::uint8_t> iccid, std::string& briefReport,
                        std::string& detailedReport);

}  // namespace quillet::card
