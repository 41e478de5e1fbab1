#include "backup/BackupFlows.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "backup/NetworkList.h"
#include "card/GsmFiles.h"
#include "card/RecordPlacement.h"
#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"
#include "sms/SmsAdoption.h"
#include "sms/SmsParameters.h"
#include "sms/SmsTransfer.h"

namespace quillet::backup {

namespace {

namespace result = reader::result;
using phonebook::PhoneBookEntry;
using sms::SmsEntry;

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
constexpr std::uint32_t kPhoneBookRoom = 58020;  // "The backup holds %u phone book entries, ..."
constexpr std::uint32_t kFixedDialingRoom = 58021;
constexpr std::uint32_t kMessagesRoom = 58022;
constexpr std::uint32_t kPreferredRoom = 58023;
constexpr std::uint32_t kForbiddenRoom = 58024;
constexpr std::uint32_t kRestoreNotCompleted = 58025;  // "Restore not completed!"
constexpr std::uint32_t kReferencesLost = 58026;       // "%u messages to send got message reference 0."
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

// A text of the string table with its %u filled in turn.
std::string FormatCounts(std::uint32_t id, std::size_t first, std::size_t second) {
    return card::FormatItemText(resources::LoadString(id), static_cast<unsigned>(first), static_cast<unsigned>(second));
}

// What a restore writes, decided before the first write; a part left out stays as the card has it.
struct RestorePlan {
    std::optional<std::vector<PhoneBookEntry>> phoneBook;
    std::optional<std::vector<PhoneBookEntry>> fixedDialing;
    std::optional<std::vector<SmsEntry>> messages;
    std::optional<std::vector<PlmnEntry>> preferred;
    std::optional<std::vector<PlmnEntry>> forbidden;
};

// Plans one record file: the backup's positions and, up to the card's record count, empty ones, so
// that none of the card's old entries stays beside the backup's; used positions beyond the records
// go to free records when the writer places them. A backup with more used entries than the card
// has records adds a line to `refusal`. False when the card does not describe the file.
template <typename Entry>
bool PlanRecords(card::CardSession& session, std::uint16_t ef, std::span<const Entry> part, std::uint32_t roomText,
                 std::optional<std::vector<Entry>>& planned, std::string& refusal) {
    if (part.empty()) return true;
    const std::optional<std::size_t> records = RecordsOf(session, ef);
    if (!records) {
        session.SetLastResult(result::kFileNotAccessible);
        return false;
    }
    const auto used = static_cast<std::size_t>(
        std::count_if(part.begin(), part.end(), [](const Entry& entry) { return entry.used != 0; }));
    if (used > *records) {
        refusal += FormatCounts(roomText, used, *records) + '\n';
        return true;
    }
    std::vector<Entry> positions(part.begin(), part.end());
    for (std::size_t position = positions.size(); position < *records; ++position) {
        const auto index = static_cast<std::uint16_t>(position);
        if constexpr (std::is_same_v<Entry, PhoneBookEntry>) {
            positions.push_back(phonebook::EmptyPosition(index));
        } else {
            positions.push_back(sms::MakeEmptySmsEntry(index));
        }
    }
    planned = std::move(positions);
    return true;
}

// Plans one network list: its valid slots in their order, the rest of the card's slots empty.
bool PlanNetworks(card::CardSession& session, std::span<const PlmnEntry> list, bool forbidden, std::uint32_t roomText,
                  std::optional<std::vector<PlmnEntry>>& planned, std::string& refusal) {
    if (list.empty()) return true;
    std::size_t slots = 0;
    if (!NetworkListSlots(session, forbidden, slots)) return false;
    planned = FitNetworkList(list, slots);
    if (!planned) refusal += FormatCounts(roomText, ValidNetworkCount(list), slots) + '\n';
    if (planned && planned->empty()) planned.reset();  // a file of no slots: nothing to write
    return true;
}

// Messages the card holds unchanged take the card's entries, with what the file cannot carry (the
// message reference above all); the others are new to the card. Returns how many messages to send
// are new and so go to the card with message reference 0.
std::size_t AdoptFromCard(std::span<SmsEntry> messages, std::span<const SmsEntry> onCard) {
    for (SmsEntry& entry : messages) entry.modified = entry.used != 0 ? 1 : 0;
    sms::AdoptUnchangedMessages(messages, onCard, sms::MessageSource::Backup);
    return static_cast<std::size_t>(std::count_if(messages.begin(), messages.end(), [](const SmsEntry& entry) {
        return entry.used != 0 && entry.status == sms::kStatusToSend && entry.modified != 0;
    }));
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
    const BackupSections& present = backup.present;
    // A part is restored when it is chosen and the file held it with at least one position;
    // anything else leaves that part of the card as it is.
    const auto part = [](auto& positions, bool chosen, std::uint32_t count) {
        return std::span(positions).first(chosen ? std::min<std::size_t>(count, positions.size()) : 0);
    };
    const std::span<const PhoneBookEntry> phoneBook =
        part(backup.phoneBook, choice.phoneBook && present.phoneBook, backup.phoneBookCount);
    const std::span<const PhoneBookEntry> fixedDialing =
        part(backup.fixedDialing, choice.fixedDialing && present.fixedDialing, backup.fixedDialingCount);
    const std::span<const SmsEntry> messages =
        part(backup.messages, choice.messages && present.messages, backup.messageCount);
    const std::span<const PlmnEntry> preferred =
        choice.networks && present.preferredNetworks ? backup.preferredNetworks : std::span<const PlmnEntry>();
    const std::span<const PlmnEntry> forbidden =
        choice.networks && present.forbiddenNetworks ? backup.forbiddenNetworks : std::span<const PlmnEntry>();

    session.BeginProgress(nullptr, kInitializing, kRestoreTitle);
    bool written = session.BeginSession(true, false, true);

    // Every part must fit the card before anything is written; a card without a chosen file fails
    // the restore. PIN2 is asked for only once the backup is known to fit.
    RestorePlan plan;
    std::string refusal;
    written = written &&
              PlanRecords(session, phonebook::kAdnFile, phoneBook, kPhoneBookRoom, plan.phoneBook, refusal) &&
              PlanRecords(session, phonebook::kFdnFile, fixedDialing, kFixedDialingRoom, plan.fixedDialing, refusal) &&
              PlanRecords(session, kSmsFile, messages, kMessagesRoom, plan.messages, refusal) &&
              PlanNetworks(session, preferred, false, kPreferredRoom, plan.preferred, refusal) &&
              PlanNetworks(session, forbidden, true, kForbiddenRoom, plan.forbidden, refusal);
    if (written && !refusal.empty()) {
        session.EndSession();
        session.EndProgress(true);
        ui.ShowMessage(refusal + std::string(resources::LoadString(kRestoreNotCompleted)),
                       card::MessageIcon::Exclamation);
        return false;
    }
    std::size_t referencesLost = 0;
    if (written && plan.messages) {
        std::vector<SmsEntry> onCard(plan.messages->size());
        std::uint32_t count = 0;
        written = sms::ReadSmsFile(session, onCard, count);
        if (written) referencesLost = AdoptFromCard(*plan.messages, onCard);
    }
    if (written && !fixedDialing.empty()) written = session.BeginSession(true, true, true);
    phonebook::PhoneBookWriteReport phoneBookReport;
    if (written && plan.phoneBook) {
        written = phonebook::WritePhoneBook(session, phonebook::kAdnFile, *plan.phoneBook, phoneBookReport);
    }
    if (written && plan.fixedDialing) {
        written = phonebook::WritePhoneBook(session, phonebook::kFdnFile, *plan.fixedDialing, phoneBookReport);
    }
    if (written && plan.messages) {
        sms::SmsWriteReport smsReport;
        written = sms::WriteSms(session, *plan.messages, smsReport);
    }
    if (written && plan.preferred) {
        written = Step(session, kWritingPreferred, 40) && WriteNetworkList(session, *plan.preferred, false);
    }
    if (written && plan.forbidden) {
        written = Step(session, kWritingForbidden, 70) && WriteNetworkList(session, *plan.forbidden, true);
    }
    written = EndCardSteps(session, written);
    const std::string_view centre = sms::FieldText(backup.smsParameters.centre);
    const std::string_view validity = sms::FieldText(backup.smsParameters.validity);
    if (written && choice.smsParameters && present.smsParameters && (!centre.empty() || !validity.empty())) {
        written = sms::WriteSmsParameters(session.Host(), centre, validity) == sms::kWorkerDone;
    }
    session.Host().Pause(kRestorePauseMs);
    if (!written) {
        Show(ui, kRestoreIncomplete, card::MessageIcon::Exclamation);
        return false;
    }
    std::string done(resources::LoadString(kRestoreDone));
    if (referencesLost > 0) {
        done += '\n';
        done += FormatCounts(kReferencesLost, referencesLost, 0);
    }
    ui.ShowMessage(done, card::MessageIcon::Information);
    return true;
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
