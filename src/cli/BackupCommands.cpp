// backup FILE, restore FILE [--only PARTS]
#include <algorithm>
#include <memory>
#include <sstream>

#include "backup/BackupFlows.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/EntryFileWrite.h"

namespace quillet::cli {

namespace {

// The parts of a comma list such as "phonebook,sms" (checked with the command line); every part
// without a list.
backup::RestoreChoice ChosenParts(const std::optional<std::string>& list) {
    if (!list) return backup::RestoreChoice{};
    // In the order of RestorePartNames().
    bool backup::RestoreChoice::*const members[] = {
        &backup::RestoreChoice::phoneBook, &backup::RestoreChoice::fixedDialing, &backup::RestoreChoice::messages,
        &backup::RestoreChoice::smsParameters, &backup::RestoreChoice::networks};
    const std::vector<std::string>& names = RestorePartNames();
    backup::RestoreChoice choice{false, false, false, false, false};
    std::stringstream parts(*list);
    std::string part;
    while (std::getline(parts, part, ',')) {
        const auto found = std::find(names.begin(), names.end(), part);
        const auto index = static_cast<std::size_t>(found - names.begin());
        if (index < std::size(members)) choice.*members[index] = true;
    }
    return choice;
}

}  // namespace

int RunBackup(const Options& options, const CommandLine& line, std::ostream&, std::ostream& err) {
    CardCommand command(options, err);
    if (!command.OpenReader()) return command.FailureExit();
    switch (backup::BackupCard(command.Session(), line.arguments[0])) {
        case backup::BackupOutcome::Done:
            return kExitOk;
        case backup::BackupOutcome::FileFailed:
            return kExitFileError;
        case backup::BackupOutcome::Cancelled:  // a path given beforehand is never cancelled
        case backup::BackupOutcome::CardFailed:
            break;
    }
    return command.FailureExit();
}

int RunRestore(const Options& options, const CommandLine& line, std::ostream&, std::ostream& err) {
    const std::string& path = line.arguments[0];
    if (const std::optional<std::string> why = WhyUnreadable(path)) return UnreadableFile(err, path, *why);
    CardCommand command(options, err);
    auto saved = std::make_unique<backup::SimBackup>();
    if (!backup::OpenBackup(path, *saved, command.Ui())) return kExitFileError;
    if (!command.OpenReader()) return command.FailureExit();
    // A restore empties what the backup does not hold: used entries go only when agreed to.
    bool declined = false;
    const auto agree = [&](std::size_t cleared) {
        declined = !AgreeToClear(cleared, options.yes, command.Ui(), err);
        return !declined;
    };
    if (backup::RestoreToCard(command.Session(), *saved, ChosenParts(line.Value("--only")), agree)) return kExitOk;
    if (declined) return kExitUsage;
    command.ReportUnsavedCard();
    return command.FailureExit();
}

}  // namespace quillet::cli
