#include "card/CheckRepairCommand.h"

#include "card/CardCheck.h"
#include "card/FinishCardCommand.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kCheckingTitle = 5107;
constexpr std::uint32_t kRepairingTitle = 5110;
constexpr std::uint32_t kReportTitle = 2310;
constexpr std::uint32_t kDetailedReportTitle = 2311;
constexpr std::uint32_t kAllFiles =
    load_mask::kAdn | load_mask::kFdn | load_mask::kLnd | load_mask::kMsisdn | load_mask::kSms;

// Session and progress window closed; a failure is told with the text of the step that failed.
bool EndCommand(CardSession& session, bool succeeded) {
    if (FinishCardCommand(session, succeeded, false)) return true;
    session.Host().Ui().ShowMessage(session.FormatLastError(), MessageIcon::Error);
    return false;
}

}  // namespace

bool CheckAndRepairCard(CardSession& session, ProgressOwner owner, const ShowCheckReport& showReport) {
    session.ClearCache();
    session.BeginProgress(owner, kInitializing, kCheckingTitle);
    CheckReports reports;
    reports.brief = std::string(resources::LoadString(kReportTitle)) + "\r\n";
    reports.detailed = std::string(resources::LoadString(kDetailedReportTitle)) + "\r\n";
    bool needsPin2 = false;
    const bool checked = session.BeginSession(true, false, true) && session.LoadCardFiles(kAllFiles, 0) &&
                         CheckCard(session, reports.brief, reports.detailed, reports.errorsFound, needsPin2, false);
    if (!EndCommand(session, checked)) return false;

    if (!showReport(reports) || !reports.errorsFound) return true;
    session.BeginProgress(owner, kInitializing, kRepairingTitle);
    std::string brief;
    std::string detailed;
    bool errorsFound = false;
    const bool repaired = session.BeginSession(true, needsPin2, true) &&
                          CheckCard(session, brief, detailed, errorsFound, needsPin2, true);
    return EndCommand(session, repaired);
}

}  // namespace quillet::card
