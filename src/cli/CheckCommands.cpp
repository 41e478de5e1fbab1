// check [--repair]
#include <string>
#include <string_view>

#include "card/CardCheck.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "resources/StringTable.h"

namespace quillet::cli {

namespace {

constexpr std::uint32_t kDetailedReportTitle = 2311;
constexpr std::uint32_t kAllFiles = card::load_mask::kAdn | card::load_mask::kFdn | card::load_mask::kLnd |
                                    card::load_mask::kMsisdn | card::load_mask::kSms;

// The card's report lines end in CR LF; the terminal gets plain line feeds.
void PrintReport(std::ostream& out, const std::string& report) {
    for (const char character : report) {
        if (character != '\r') out << character;
    }
}

struct CheckOutcome {
    bool done = false;
    bool errorsFound = false;
    bool needsPin2 = false;
};

CheckOutcome Check(card::CardSession& session, std::ostream& out, bool repair) {
    std::string brief;
    std::string detailed = std::string(resources::LoadString(kDetailedReportTitle)) + "\r\n";
    CheckOutcome outcome;
    outcome.done = card::CheckCard(session, brief, detailed, outcome.errorsFound, outcome.needsPin2, repair);
    if (outcome.done) PrintReport(out, detailed);
    return outcome;
}

// Ends the command; a card that still has errors is a failure, said on the error stream as well.
int FinishChecked(CardCommand& command, bool errorsFound, std::string_view why, std::ostream& err) {
    const int code = command.Finish(true);
    if (code != kExitOk || !errorsFound) return code;
    Complain(err, why);
    return kExitCardFailure;
}

}  // namespace

// Prints the detailed report; with --repair and something to repair, repairs, checks the card again
// and prints the second report. Exit 0 when the card is (now) free of errors; otherwise exit 1 and a
// line on the error stream, so a script that only looks there learns it too.
int RunCheck(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    CardCommand command(options, err);
    card::CardSession& session = command.Session();
    if (!command.Start(true, false)) return command.FailureExit();
    if (!session.LoadCardFiles(kAllFiles, 0)) return command.Finish(false);
    const CheckOutcome first = Check(session, out, false);
    if (!first.done) return command.Finish(false);
    if (!first.errorsFound || !line.Has("--repair")) {
        return FinishChecked(command, first.errorsFound,
                             "the card has errors (see the report); check --repair repairs them", err);
    }
    // The fixed dialling numbers' repairs need PIN2.
    if (first.needsPin2 && !session.BeginSession(true, true, true)) return command.Finish(false);
    if (!Check(session, out, true).done) return command.Finish(false);
    out << '\n';
    // The second report reads the card afresh, not the caches the repair kept.
    session.ClearCache();
    if (!session.BeginSession(true, false, true) || !session.LoadCardFiles(kAllFiles, 0)) {
        return command.Finish(false);
    }
    const CheckOutcome second = Check(session, out, false);
    if (!second.done) return command.Finish(false);
    return FinishChecked(command, second.errorsFound, "errors remain after the repair (see the second report)", err);
}

}  // namespace quillet::cli
