// smsp read / write
#include "card/DialNumbers.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/TerminalText.h"
#include "resources/StringTable.h"
#include "sms/SmsParameters.h"

namespace quillet::cli {

namespace {

constexpr std::uint32_t kNoParameters = 57345;  // "No SMS parameters in card"
constexpr std::uint32_t kBadCentre = 57347;     // "Badly-entered SMS center number"

int ReadParameters(const Options& options, std::ostream& out, std::ostream& err) {
    CardCommand command(options, err);
    if (!command.OpenReader()) return command.FailureExit();
    sms::SmsParameterTexts parameters;
    if (sms::ReadSmsParameters(command.Host(), parameters) != sms::kWorkerDone) return command.FailureExit();
    if (parameters.centre.empty() && parameters.validity.empty()) {
        command.Ui().ShowMessage(resources::LoadString(kNoParameters), card::MessageIcon::Error);
        return kExitCardFailure;
    }
    out << "centre: " << parameters.centre << "\nvalidity: " << ToTerminal(parameters.validity) << '\n';
    return kExitOk;
}

int WriteParameters(const Options& options, const CommandLine& line, std::ostream& err) {
    const std::string centre = *line.Value("--centre");
    if (!card::IsWritableCentreNumber(centre)) {
        return UsageError(err, ToTerminal(resources::LoadString(kBadCentre)) + " \"" + centre +
                                   "\": at most 20 dialling digits (0-9 * # p), + in front if international");
    }
    CardCommand command(options, err);
    if (!command.OpenReader()) return command.FailureExit();
    const bool written = sms::WriteSmsParameters(command.Host(), centre, *line.Value("--validity")) == sms::kWorkerDone;
    if (!written) command.ReportUnsavedCard();
    return written ? kExitOk : command.FailureExit();
}

}  // namespace

int RunSmsParameters(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.command->action == "read") return ReadParameters(options, out, err);
    return WriteParameters(options, line, err);
}

}  // namespace quillet::cli
