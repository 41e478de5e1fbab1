// networks read / write
#include <cstdio>
#include <vector>

#include "backup/NetworkList.h"
#include "backup/OperatorTable.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/TerminalText.h"

namespace quillet::cli {

namespace {

// "1: 232-01 Mobilkom Austria AG - A" for each slot that holds a network.
void PrintNetworks(const std::vector<backup::PlmnEntry>& list, std::ostream& out) {
    for (std::size_t slot = 0; slot < list.size(); ++slot) {
        if (!list[slot].valid) continue;
        char code[24];
        std::snprintf(code, sizeof code, list[slot].HasThreeDigitMnc() ? "%03u-%03u" : "%03u-%02u", list[slot].mcc,
                      list[slot].mnc);
        std::string_view name;
        backup::LookupOperatorName(list[slot].mcc, list[slot].mnc, name);
        out << slot + 1 << ": " << code << ' ' << ToTerminal(name) << '\n';
    }
}

std::vector<backup::PlmnEntry> ListOf(const std::vector<std::string>& codes) {
    std::vector<backup::PlmnEntry> list;
    for (const std::string& text : codes) {
        const NetworkCode code = *ParseNetworkCode(text);  // checked with the command line
        backup::PlmnEntry entry{};
        entry.valid = 1;
        entry.mcc = code.mcc;
        entry.mnc = code.mnc;
        entry.threeDigitMnc = code.threeDigitMnc ? 1 : 0;
        list.push_back(entry);
    }
    return list;
}

}  // namespace

int RunNetworks(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    const bool forbidden = line.Has("--forbidden");
    const bool writing = line.command->action == "write";
    const std::vector<backup::PlmnEntry> wanted = ListOf(line.arguments);
    CardCommand command(options, err);
    if (!command.Start(true, false)) return command.FailureExit();
    // The list read is as long as the card's file has slots.
    std::vector<backup::PlmnEntry> list;
    if (!backup::ReadNetworkList(command.Session(), list, forbidden)) return command.Finish(false);
    if (!writing) {
        PrintNetworks(list, out);
        return command.Finish(true);
    }
    if (wanted.size() > list.size()) {
        command.End();
        Complain(err, std::to_string(wanted.size()) + " networks given, the card has " + std::to_string(list.size()) +
                          " slots; nothing was written");
        return kExitUsage;
    }
    return command.Finish(backup::WriteNetworkList(command.Session(), wanted, forbidden));
}

}  // namespace quillet::cli
