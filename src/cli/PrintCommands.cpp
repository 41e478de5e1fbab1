// print --pdf FILE
#include <vector>

#include "cli/CardCommand.h"
#include "cli/CommandHandlers.h"
#include "cli/EntryFileWrite.h"
#include "cli/ReportPdfPort.h"
#include "files/SafeFileWriter.h"
#include "phonebook/PhoneBookTransfer.h"
#include "sms/SmsTransfer.h"

namespace quillet::cli {

namespace {

ReportPdfMaker g_maker = nullptr;

// The card file's positions as they are on the card; false when the card could not be read (the
// command's failure is said then).
bool ReadPositions(CardCommand& command, bool fixedDialing, bool messages, std::vector<phonebook::PhoneBookEntry>& book,
                   std::vector<sms::SmsEntry>& texts) {
    if (messages) {
        texts = EmptyPositions(kMaxCardRecords, &sms::MakeEmptySmsEntry);
        std::uint32_t count = 0;
        if (!sms::ReadSmsFile(command.Session(), texts, count)) return false;
        texts.resize(std::min<std::size_t>(count, texts.size()));
        return true;
    }
    book = EmptyPositions(kMaxCardRecords, &phonebook::EmptyPosition);
    phonebook::PhoneBookInfo info;
    if (!phonebook::ReadPhoneBook(command.Session(), fixedDialing ? phonebook::kFdnFile : phonebook::kAdnFile, book,
                                  info)) {
        return false;
    }
    book.resize(std::min<std::size_t>(info.entryCount, book.size()));
    return true;
}

}  // namespace

void SetReportPdfMaker(ReportPdfMaker maker) { g_maker = maker; }

int RunPrint(const Options& options, const CommandLine& line, std::ostream&, std::ostream& err) {
    if (g_maker == nullptr) {
        Complain(err, "this quillet-cli was built without the windowed program and cannot print");
        return kExitUsage;
    }
    const bool fixedDialing = line.Has("--fdn");
    const bool messages = line.Has("--sms");
    if (fixedDialing && messages) return UsageError(err, "print takes one of --fdn and --sms");
    const std::string path = line.Value("--pdf").value_or(std::string());
    // A file that cannot be written is found out before the card is read.
    files::SafeFileWriter file;
    if (!file.Open(path, files::SafeFileWriter::Mode::Replace)) {
        Complain(err, path + ": " + file.Reason());
        return kExitFileError;
    }

    std::vector<phonebook::PhoneBookEntry> book;
    std::vector<sms::SmsEntry> texts;
    CardCommand command(options, err);
    if (!command.Start(true, false)) return command.FailureExit();
    if (!ReadPositions(command, fixedDialing, messages, book, texts)) return command.Finish(false);
    const int finished = command.Finish(true);

    std::string pdf;
    std::string error;
    if (!g_maker(messages, book, texts, pdf, error)) {
        Complain(err, path + ": " + error);
        return kExitFileError;
    }
    if (!file.Write(pdf) || !file.Commit()) {
        Complain(err, path + ": " + file.Reason());
        return kExitFileError;
    }
    return finished;
}

}  // namespace quillet::cli
