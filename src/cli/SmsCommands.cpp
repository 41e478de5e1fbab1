// sms read / write
#include <algorithm>
#include <vector>

#include "card/ProgressWindow.h"
#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/EntryFileWrite.h"
#include "cli/TerminalText.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "sms/SmsAdoption.h"
#include "sms/SmsFile.h"
#include "sms/SmsTransfer.h"

namespace quillet::cli {

namespace {

using sms::SmsEntry;

// The positions a file holds, or (with kMaxCardRecords) the records a card's file can have.
std::vector<SmsEntry> EmptyPositions(std::size_t count = sms::kMaxSmsFilePosition) {
    return cli::EmptyPositions(count, &sms::MakeEmptySmsEntry);
}

int ReadMessages(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    std::vector<SmsEntry> entries = EmptyPositions(kMaxCardRecords);
    CardCommand command(options, err);
    if (!command.Start(true, false)) return command.FailureExit();
    std::uint32_t count = 0;
    if (!sms::ReadSmsFile(command.Session(), entries, count)) return command.Finish(false);
    const int finished = command.Finish(true);
    ReportLeftOut(std::span<const SmsEntry>(entries).first(count), sms::kMaxSmsFilePosition, "messages", err);
    entries.resize(sms::kMaxSmsFilePosition);
    count = std::min<std::uint32_t>(count, sms::kMaxSmsFilePosition);
    if (const std::optional<std::string> output = line.Value("-o")) {
        return sms::SaveSmsFile(*output, entries, count, command.Ui()) ? finished : kExitFileError;
    }
    WriteEntryText(out, options.terminalOutput,
                   [&](card::TextForm form) { return sms::FormatSmsFile(entries, count, nullptr, form); });
    return finished;
}

int WriteMessages(const Options& options, const CommandLine& line, std::ostream& err) {
    const std::string& path = line.arguments[0];
    if (const std::optional<std::string> why = WhyUnreadable(path)) return UnreadableFile(err, path, *why);
    std::vector<SmsEntry> fromFile = EmptyPositions();
    std::vector<SmsEntry> onCard = EmptyPositions(kMaxCardRecords);  // the whole card file
    CardCommand command(options, err);
    std::uint32_t count = 0;
    if (!sms::OpenSmsFile(path, fromFile, count, command.Ui())) {
        Complain(err, path + ": nothing was written to the card");
        return kExitFileError;
    }
    for (SmsEntry& entry : fromFile) entry.modified = entry.used ? 1 : entry.modified;
    const EntryFileWords words{path, "messages", "Message", "message store"};
    return WriteEntriesFromFile(
        command, words, options.yes, false, std::span(fromFile), std::span(onCard),
        [&](std::span<SmsEntry> card, std::size_t& records) {
            std::uint32_t read = 0;
            if (!sms::ReadSmsFile(command.Session(), card, read)) return false;
            records = read;
            // What the file says as the card does keeps the card's bytes (reference, header, NPI).
            sms::AdoptUnchangedMessages(fromFile, card, sms::MessageSource::TextFile);
            return true;
        },
        [&](std::span<SmsEntry> entries) {
            sms::SmsWriteReport report;
            const bool written = sms::WriteSms(command.Session(), entries, report);
            if (!written && report.firstTooLong != 0) {
                Complain(err, card::FormatItemText(resources::LoadString(resources::string_id::kMessageTextTooLong),
                                                   report.firstTooLong, 0));
            }
            return written;
        });
}

}  // namespace

int RunSms(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err) {
    if (line.command->action == "read") return ReadMessages(options, line, out, err);
    return WriteMessages(options, line, err);
}

}  // namespace quillet::cli
