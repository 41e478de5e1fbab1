// phonebook read / write
#include <algorithm>
#include <string>
#include <vector>

#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/EntryFileWrite.h"
#include "cli/TerminalText.h"
#include "phonebook/DiaFile.h"
#include "phonebook/PhoneBookAdoption.h"
#include "phonebook/PhoneBookTransfer.h"

namespace quillet::cli {

namespace {

using phonebook::PhoneBookEntry;

// The positions a file holds, or (with kMaxCardRecords) the records a card's file can have.
std::vector<PhoneBookEntry> EmptyPositions(std::size_t count = phonebook::kDiaPositions) {
    return cli::EmptyPositions(count, &phonebook::EmptyPosition);
}

// The card file a read names; more than one is a usage error.
std::optional<std::uint16_t> ChosenFile(const CommandLine& line) {
    const std::pair<const char*, std::uint16_t> choices[] = {
        {"--fdn", phonebook::kFdnFile}, {"--own", phonebook::kMsisdnFile}, {"--last", phonebook::kLndFile}};
    std::optional<std::uint16_t> chosen;
    for (const auto& [flag, file] : choices) {
        if (!line.Has(flag)) continue;
        if (chosen) return std::nullopt;
        chosen = file;
    }
    return chosen.value_or(phonebook::kAdnFile);
}

int ReadBook(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    const std::optional<std::uint16_t> ef = ChosenFile(line);
    if (!ef) return UsageError(err, "phonebook read takes one of --fdn, --own and --last");
    std::vector<PhoneBookEntry> entries = EmptyPositions(kMaxCardRecords);
    CardCommand command(options, err);
    if (!command.Start(true, false)) return command.FailureExit();
    phonebook::PhoneBookInfo info;
    if (!phonebook::ReadPhoneBook(command.Session(), *ef, entries, info)) return command.Finish(false);
    const std::string leftOut = *ef == phonebook::kAdnFile ? card::GsmViewNote(command.Session().Platform()) : "";
    const int finished = command.Finish(true);
    if (!leftOut.empty()) Complain(err, leftOut);
    ReportLeftOut(std::span<const PhoneBookEntry>(entries).first(info.entryCount), phonebook::kDiaPositions, "entries",
                  err);
    entries.resize(phonebook::kDiaPositions);
    // An empty book still makes a (empty) file.
    const unsigned last = std::clamp<unsigned>(info.entryCount, 1, phonebook::kDiaPositions);
    if (const std::optional<std::string> output = line.Value("-o")) {
        return phonebook::WriteDiaFile(*output, entries, 1, last, command.Ui()) ? finished : kExitFileError;
    }
    WriteEntryText(out, options.terminalOutput,
                   [&](card::TextForm form) { return phonebook::FormatDiaFile(entries, 1, last, form); });
    return finished;
}

int WriteBook(const Options& options, const CommandLine& line, std::ostream& err) {
    const std::string& path = line.arguments[0];
    if (const std::optional<std::string> why = WhyUnreadable(path)) return UnreadableFile(err, path, *why);
    const std::uint16_t ef = line.Has("--fdn") ? phonebook::kFdnFile : phonebook::kAdnFile;
    std::vector<PhoneBookEntry> fromFile = EmptyPositions();
    std::vector<PhoneBookEntry> onCard = EmptyPositions(kMaxCardRecords);  // the whole card file
    CardCommand command(options, err);
    unsigned count = 0;
    phonebook::DiaReadOptions read;
    read.confirm = false;
    const phonebook::DiaReadResult result = phonebook::ReadDiaFile(path, read, fromFile, count, command.Ui());
    if (result.outcome != phonebook::DiaReadOutcome::Complete) {
        const std::string where = result.line > 0 ? ", line " + std::to_string(result.line) : std::string();
        Complain(err, path + where + ": nothing was written to the card");
        return kExitFileError;
    }
    for (PhoneBookEntry& entry : fromFile) entry.modified = entry.used ? 1 : entry.modified;
    const EntryFileWords words{path, "entries", "Entry",
                               ef == phonebook::kFdnFile ? "fixed dialling numbers" : "phone book"};
    return WriteEntriesFromFile(
        command, words, options.yes, ef == phonebook::kFdnFile, std::span(fromFile), std::span(onCard),
        [&](std::span<PhoneBookEntry> card, std::size_t& records) {
            phonebook::PhoneBookInfo info;
            if (!phonebook::ReadPhoneBook(command.Session(), ef, card, info)) return false;
            records = info.entryCount;
            // What the file says as the card does keeps the card's bytes (NPI, UCS2 names, extensions).
            phonebook::AdoptUnchangedEntries(fromFile, card);
            return true;
        },
        [&](std::span<PhoneBookEntry> entries) {
            phonebook::PhoneBookWriteReport report;
            const bool written = phonebook::WritePhoneBook(command.Session(), ef, entries, report);
            if (report.namesShortened > 0) {
                Complain(err, std::to_string(report.namesShortened) +
                                  (report.namesShortened == 1 ? " name was" : " names were") +
                                  " shortened to fit the card's name field");
            }
            return written;
        });
}

}  // namespace

int RunPhoneBook(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.command->action == "read") return ReadBook(options, line, out, err);
    return WriteBook(options, line, err);
}

}  // namespace quillet::cli
