// pin verify / change / enable / disable / unblock, and pin2 verify / change / unblock
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"

namespace quillet::cli {

int RunPin(const Options& options, const CommandLine& line, std::ostream&, std::ostream& err) {
    const unsigned chv = line.command->group == "pin2" ? 2 : 1;
    const std::string& action = line.command->action;
    const std::vector<std::string>& codes = line.arguments;  // checked with the command line
    CardCommand command(options, err);
    if (action == "verify") {
        if (!command.Start(chv == 1, chv == 2)) return command.FailureExit();
        return command.Finish(true);
    }
    if (!command.Start(false, false)) return command.FailureExit();
    card::CardSession& session = command.Session();
    if (action == "change") return command.Finish(session.ChangeOrToggleChv(codes[0], codes[1], chv, true));
    if (action == "unblock") return command.Finish(session.UnblockCardChv(codes[0], codes[1], chv));
    return command.Finish(session.ChangeOrToggleChv(codes[0], std::nullopt, 1, action == "enable"));
}

}  // namespace quillet::cli
