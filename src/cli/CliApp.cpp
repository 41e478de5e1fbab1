#include "cli/CliApp.h"

#include <cstdlib>
#include <map>

#include "cli/CliOptions.h"
#include "cli/CommandHandlers.h"
#include "cli/DeviceNames.h"
#include "cli/HelpOutputs.h"

namespace quillet::cli {

namespace {

int Readers(const Options&, const CommandLine&, std::ostream& out, std::ostream&) { return ListReaders(out); }

// The handler of each command group of the command table.
const std::map<std::string, CommandHandler>& Handlers() {
    static const std::map<std::string, CommandHandler> handlers = {
        {"readers", Readers},      {"phonebook", RunPhoneBook}, {"sms", RunSms},         {"smsp", RunSmsParameters},
        {"networks", RunNetworks}, {"backup", RunBackup},       {"restore", RunRestore}, {"pin", RunPin},
        {"pin2", RunPin},          {"info", RunInfo},           {"check", RunCheck},     {"print", RunPrint}};
    return handlers;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, OutputKind outputKind) {
    Options options;
    options.terminalOutput = outputKind == OutputKind::Terminal;
    const char* device = std::getenv("QUILLET_DEVICE");
    options.device = device != nullptr && *device != '\0' ? device : "VIRTUAL";
    std::string reason;
    if (!ParseGlobalOptions(arguments, options, reason)) return UsageError(err, reason);
    switch (options.request) {
        case Request::Help:
            out << FormatHelp();
            return kExitOk;
        case Request::ManPage:
            out << FormatManPage();
            return kExitOk;
        case Request::BashCompletion:
            out << FormatBashCompletion();
            return kExitOk;
        case Request::Run:
            break;
    }
    CommandLine line;
    if (!ParseCommandLine(options.words, line, reason)) return UsageError(err, reason);
    const auto handler = Handlers().find(line.command->group);
    if (handler == Handlers().end()) return UsageError(err, "\"" + line.command->group + "\" cannot be run");
    const int exit = handler->second(options, line, out, err);
    // A script must not take a cut-off file for a whole one.
    if (!out.flush()) {
        Complain(err, "cannot write to standard output");
        return exit == kExitOk ? kExitFileError : exit;
    }
    return exit;
}

}  // namespace quillet::cli
