#include "backup/BackupFlows.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "backup/NetworkList.h"
#include "card/GsmFiles.h"
#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"
#include "sms/SmsParameters.h"
#include "sms/SmsTransfer.h"

namespace quillet::backup {

namespace {

namespace result = reader::result;

constexpr std::uint32_t kBackupTitle = 5108;
constexpr std::uint32_t kRestoreTitle = 5109;
constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kReadingPreferred = 5009;
constexpr std::uint32_t kReadingForbidden = 5019;
constexpr std::uint32_t kWritingPreferred = 5010;
constexpr std::uint32_t kWritingForbidden = 5020;
constexpr std::uint32_t kBackupIncomplete = 57421;
constexpr std::uint32_t kBackupDone = 57424;
constexpr std::uint32_t kRestoreIncomplete = 57429;
constexpr std::uint32_t kRestoreDone = 57430;
constexpr std::uint32_t kRestorePauseMs = 400;
constexpr std::uint16_t kTelecom = card::gsm_file::kTelecomDirectory;
constexpr std::uint16_t kSmsFile = card::gsm_file::kSms;

template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    const std::size_t count = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), count, field);
    field[count] = '\0';
}

void Show(card::UserInterface& ui, std::uint32_t id, card::MessageIcon icon) {
    ui.ShowMessage(resources::LoadString(id), icon);
}

// Ends the session and the progress window; shows the error when a step failed.
bool EndCardSteps(card::CardSession& session, bool succeeded) {
    const std::string error = session.FormatLastError();
    session.EndSession();
    session.EndProgress(true);
    if (!succeeded) session.Host().Ui().ShowMessage(error, card::MessageIcon::Error);
    return succeeded;
}

// Shows a step of the progress window; a press of its cancel button ends the run as cancelled.
bool Step(card::CardSession& session, std::uint32_t text, unsigned percent) {
    if (session.StepProgress(text, percent)) return true;
    session.SetLastResult(result::kCancelledByUser);
    return false;
}

// How many records a file of the card has; nothing when the card does not describe it.
std::optional<std::size_t> RecordsOf(card::CardSession& session, std::uint16_t ef) {
    card::EfInformation info;
    if (!session.FileHeader(kTelecom, ef, info) || info.RecordLength() == 0) return std::nullopt;
    return info.FileSize() / info.RecordLength();
}

}  // namespace

BackupOutcome BackupCard(card::CardSession& session, const std::string& path) {
    card::UserInterface& ui = session.Host().Ui();
    auto backup = std::make_unique<SimBackup>();
    session.BeginProgress(nullptr, kInitializing, kBackupTitle);
    bool read = session.BeginSession(true, false, true);
    phonebook::PhoneBookInfo info;
    if (read && session.HasService(2)) {
        read = phonebook::ReadPhoneBook(session, phonebook::kAdnFile, backup->phoneBook, info);
        backup->phoneBookCount = info.entryCount;
    }
    if (read && session.HasService(3)) {
        read = phonebook::ReadPhoneBook(session, phonebook::kFdnFile, backup->fixedDialing, info);
        backup->fixedDialingCount = info.entryCount;
    }
    if (read && session.HasService(4)) read = sms::ReadSmsFile(session, backup->messages, backup->messageCount);
    read = read && Step(session, kReadingPreferred, 70) && ReadNetworkList(session, backup->preferredNetworks, false);
    read = read && Step(session, kReadingForbidden, 70) && ReadNetworkList(session, backup->forbiddenNetworks, true);
    if (!EndCardSteps(session, read)) {
        Show(ui, kBackupIncomplete, card::MessageIcon::Exclamation);
        return BackupOutcome::CardFailed;
    }
    sms::SmsParameterTexts parameters;
    if (sms::ReadSmsParameters(session.Host(), parameters) != sms::kWorkerDone) {
        Show(ui, kBackupIncomplete, card::MessageIcon::Exclamation);
        return BackupOutcome::CardFailed;
    }
    CopyText(backup->smsParameters.centre, parameters.centre);
    CopyText(backup->smsParameters.validity, parameters.validity);
    std::uint32_t error = 0;
    if (!WriteSimBackupFile(path, *backup, error)) {
        Show(ui, error, card::MessageIcon::Exclamation);
        return BackupOutcome::FileFailed;
    }
    Show(ui, kBackupDone, card::MessageIcon::Information);
    return BackupOutcome::Done;
}

bool OpenBackup(const std::string& path, SimBackup& backup, card::UserInterface& ui) {
    std::uint32_t error = 0;
    if (ReadSimBackupFile(path, backup, error)) return true;
    Show(ui, error, card::MessageIcon::Exclamation);
    return false;
}

bool RestoreToCard(card::CardSession& session, SimBackup& backup, const RestoreChoice& choice) {
    card::UserInterface& ui = session.Host().Ui();
    const std::uint32_t phoneBookCount = std::min<std::uint32_t>(backup.phoneBookCount, kBackupPhoneBookPositions);
    const std::uint32_t fixedDialingCount =
        std::min<std::uint32_t>(backup.fixedDialingCount, kBackupPhoneBookPositions);
    const std::uint32_t messageCount = std::min<std::uint32_t>(backup.messageCount, kBackupSmsPositions);
    session.BeginProgress(nullptr, kInitializing, kRestoreTitle);
    bool written = session.BeginSession(true, false, true);

    // Every chosen part must fit the card's file before anything is written: a backup with more
    // records than the file is refused, and a card without the file fails the restore. PIN2 is
    // asked for only once the backup is known to fit.
    enum class Fit { Fits, TooMany, NoFile };
    const auto fit = [&](bool chosen, std::uint32_t count, std::uint16_t ef) {
        if (!chosen || count == 0) return Fit::Fits;
        const std::optional<std::size_t> records = RecordsOf(session, ef);
        if (!records) return Fit::NoFile;
        return count > *records ? Fit::TooMany : Fit::Fits;
    };
    if (written) {
        Fit worst = Fit::Fits;
        for (const Fit part : {fit(choice.phoneBook, phoneBookCount, phonebook::kAdnFile),
                               fit(choice.fixedDialing, fixedDialingCount, phonebook::kFdnFile),
                               fit(choice.messages, messageCount, kSmsFile)}) {
            if (part != Fit::Fits && worst == Fit::Fits) worst = part;
        }
        if (worst == Fit::TooMany) {
            session.EndSession();
            session.EndProgress(true);
            Show(ui, message::kStructureError, card::MessageIcon::Exclamation);
            return false;
        }
        if (worst == Fit::NoFile) {
            session.SetLastResult(result::kFileNotAccessible);
            written = false;
        }
    }
    if (written && choice.fixedDialing && fixedDialingCount > 0) written = session.BeginSession(true, true, true);
    phonebook::PhoneBookWriteReport phoneBookReport;
    if (written && choice.phoneBook && phoneBookCount > 0) {
        written = phonebook::WritePhoneBook(session, phonebook::kAdnFile,
                                            std::span(backup.phoneBook).first(phoneBookCount), phoneBookReport);
    }
    if (written && choice.fixedDialing && fixedDialingCount > 0) {
        written = phonebook::WritePhoneBook(session, phonebook::kFdnFile,
                                            std::span(backup.fixedDialing).first(fixedDialingCount), phoneBookReport);
    }
    if (written && choice.messages && messageCount > 0) {
        sms::SmsWriteReport smsReport;
        written = sms::WriteSms(session, std::span(backup.messages).first(messageCount), smsReport);
    }
    if (choice.networks) {
        written = written && Step(session, kWritingPreferred, 40) &&
                  WriteNetworkList(session, backup.preferredNetworks, false);
        written = written && Step(session, kWritingForbidden, 70) &&
                  WriteNetworkList(session, backup.forbiddenNetworks, true);
    }
    written = EndCardSteps(session, written);
    const std::string_view centre = backup.smsParameters.centre;
    const std::string_view validity = backup.smsParameters.validity;
    if (written && choice.smsParameters && (!centre.empty() || !validity.empty())) {
        written = sms::WriteSmsParameters(session.Host(), centre, validity) == sms::kWorkerDone;
    }
    session.Host().Pause(kRestorePauseMs);
    Show(ui, written ? kRestoreDone : kRestoreIncomplete,
         written ? card::MessageIcon::Information : card::MessageIcon::Exclamation);
    return written;
}

bool RestoreFromBackup(card::CardSession& session, const std::string& path, bool restore, bool open, SimBackup& backup,
                       const ChooseRestoreParts& chooseParts) {
    if (!restore && !open) return false;
    if (!OpenBackup(path, backup, session.Host().Ui())) return false;
    if (!restore) return true;
    const std::optional<RestoreChoice> choice = chooseParts();
    return choice && RestoreToCard(session, backup, *choice);
}

}  // namespace quillet::backup
