// backup FILE, restore FILE [--only PARTS]
#include <algorithm>
#include <memory>
#include <sstream>

#include "backup/BackupFlows.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/EntryFileWrite.h"
#include "phonebook/PhoneBookTransfer.h"
#include "sms/SmsTransfer.h"

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

// The card's used entries at positions the backup's part leaves empty, which a restore of that part
// clears.
template <typename Entry, std::size_t N>
std::size_t ClearedByPart(std::span<const Entry> onCard, const std::array<Entry, N>& part, std::uint32_t count) {
    const std::span<const Entry> restored = std::span(part).first(std::min<std::size_t>(count, N));
    return CountCleared(onCard, restored) +
           (onCard.size() > restored.size() ? CountUsed(onCard.subspan(restored.size())) : 0);
}

// Reads the parts of the card a restore would rewrite and counts the used entries it would clear;
// nothing when the card could not be read (the failure has been shown).
std::optional<std::size_t> CountRestoreClears(CardCommand& command, const backup::SimBackup& saved,
                                              const backup::RestoreChoice& choice) {
    const bool phoneBook = choice.phoneBook && saved.present.phoneBook;
    const bool fixedDialing = choice.fixedDialing && saved.present.fixedDialing;
    const bool messages = choice.messages && saved.present.messages;
    if (!phoneBook && !fixedDialing && !messages) return 0;
    if (!command.Start(true, false)) return std::nullopt;
    card::CardSession& session = command.Session();
    std::size_t cleared = 0;
    bool read = true;
    phonebook::PhoneBookInfo info;
    auto book = std::make_unique<std::array<phonebook::PhoneBookEntry, backup::kBackupPhoneBookPositions>>();
    for (const auto& [chosen, ef, part, count] :
         {std::tuple(phoneBook, phonebook::kAdnFile, &saved.phoneBook, saved.phoneBookCount),
          std::tuple(fixedDialing, phonebook::kFdnFile, &saved.fixedDialing, saved.fixedDialingCount)}) {
        if (!read || !chosen || count == 0) continue;
        read = phonebook::ReadPhoneBook(session, ef, *book, info);
        if (read)
            cleared +=
                ClearedByPart(std::span<const phonebook::PhoneBookEntry>(*book).first(info.entryCount), *part, count);
    }
    if (read && messages && saved.messageCount > 0) {
        auto onCard = std::make_unique<std::array<sms::SmsEntry, backup::kBackupSmsPositions>>();
        std::uint32_t count = 0;
        read = sms::ReadSmsFile(session, *onCard, count);
        if (read)
            cleared +=
                ClearedByPart(std::span<const sms::SmsEntry>(*onCard).first(count), saved.messages, saved.messageCount);
    }
    if (!read) {
        command.Finish(false);
        return std::nullopt;
    }
    command.End();
    return cleared;
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
    const backup::RestoreChoice choice = ChosenParts(line.Value("--only"));
    // A restore empties what the backup does not hold: used entries go only when agreed to.
    const std::optional<std::size_t> cleared = CountRestoreClears(command, *saved, choice);
    if (!cleared) return command.FailureExit();
    if (*cleared > 0 && !AgreeToClear(*cleared, options.yes, command.Ui(), err)) return kExitUsage;
    return backup::RestoreToCard(command.Session(), *saved, choice) ? kExitOk : command.FailureExit();
}

}  // namespace quillet::cli
