#include "backup/BackupFlows.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "backup/NetworkList.h"
#include "card/FinishCardCommand.h"
#include "card/GsmFiles.h"
#include "card/ProgressWindow.h"
#include "card/RecordPlacement.h"
#include "card/StatusWords.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"
#include "sms/SmsAdoption.h"
#include "sms/SmsParameters.h"
#include "sms/SmsTimeValue.h"
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
constexpr std::uint32_t kPhoneBookLeft = 58027;        // "%u phone book entries beyond record %u ..."
constexpr std::uint32_t kFixedDialingLeft = 58028;
constexpr std::uint32_t kMessagesLeft = 58029;
constexpr std::uint32_t kPhoneBookMoved = 58031;  // "%u phone book entries were written to free records ..."
constexpr std::uint32_t kFixedDialingMoved = 58032;
constexpr std::uint32_t kMessagesMoved = 58033;
constexpr std::uint32_t kPhoneBookKept = 58034;  // "Records %u to %u of the card's phone book were left ..."
constexpr std::uint32_t kFixedDialingKept = 58035;
constexpr std::uint32_t kMessagesKept = 58036;
constexpr std::uint32_t kBadSmsParameters = 58030;  // "The backup's SMS center number or validity ..."
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
    if (card::FinishCardCommand(session, succeeded, true)) return true;
    session.Host().Ui().ShowMessage(session.FormatLastError(), card::MessageIcon::Error);
    return false;
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

// Reads a whole record file with `read(whole, records)` into the backup's positions `part`; used
// entries of records beyond them, which the file cannot keep, add a line to `left`.
template <typename Entry, typename Read, std::size_t N>
bool ReadPart(Read read, std::array<Entry, N>& part, std::uint32_t& count, std::uint32_t leftText, std::string& left) {
    std::vector<Entry> whole(card::kMaxFileRecords);
    std::uint32_t records = 0;
    if (!read(std::span(whole), records)) return false;
    const std::size_t kept = std::min<std::size_t>(records, N);
    std::copy_n(whole.begin(), kept, part.begin());
    count = static_cast<std::uint32_t>(kept);
    const auto beyond = static_cast<std::size_t>(
        std::count_if(whole.begin() + static_cast<std::ptrdiff_t>(kept),
                      whole.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(records, whole.size())),
                      [](const Entry& entry) { return entry.used != 0; }));
    if (beyond > 0) left += '\n' + FormatCounts(leftText, beyond, N);
    return true;
}

// What a restore writes, decided before the first write; a part left out stays as the card has it.
struct RestorePlan {
    std::optional<std::vector<PhoneBookEntry>> phoneBook;
    std::optional<std::vector<PhoneBookEntry>> fixedDialing;
    std::optional<std::vector<SmsEntry>> messages;
    std::optional<std::vector<PlmnEntry>> preferred;
    std::optional<std::vector<PlmnEntry>> forbidden;
    std::string notes;  // lines the success message adds
};

// The texts of a record file's part: why it does not fit, and what the success message adds.
struct PartTexts {
    std::uint32_t room;        // "The backup holds %u ..., the card has room for %u."
    std::uint32_t moved;       // "%u ... were written to free records of the card."
    std::uint32_t keptBeyond;  // "Records %u to %u of the card's ... were left as they are."
};

// Plans one record file: the backup's positions and, up to the card's record count, empty ones, so
// that none of the card's old entries stays beside the backup's; used positions beyond the records
// go to free records when the writer places them. Records beyond `capacity`, the positions a backup
// can describe at all, are left as the card has them. A backup with more used entries than the card
// has records adds a line to `refusal`. False when the card does not describe the file.
template <typename Entry>
bool PlanRecords(card::CardSession& session, std::uint16_t ef, std::span<const Entry> part, std::size_t capacity,
                 const PartTexts& texts, std::optional<std::vector<Entry>>& planned, std::string& refusal,
                 std::string& notes) {
    if (part.empty()) return true;
    const std::optional<std::size_t> records = RecordsOf(session, ef);
    if (!records) {
        // A card without the file says so; any other failure keeps its own reason.
        const std::uint16_t sw = session.LastStatusWord();
        if (session.LastResult() == result::kOk || sw == card::kSwFileNotFound || sw == card::kSwFileIdNotFound) {
            session.SetLastResult(result::kFileNotAccessible);
        }
        return false;
    }
    const auto used = static_cast<std::size_t>(
        std::count_if(part.begin(), part.end(), [](const Entry& entry) { return entry.used != 0; }));
    if (used > *records) {
        refusal += FormatCounts(texts.room, used, *records) + '\n';
        return true;
    }
    // What the user would not see otherwise: entries the writer moves into free records, and records
    // no backup can describe, which keep what they hold.
    const auto moved =
        part.size() > *records
            ? static_cast<std::size_t>(std::count_if(part.begin() + static_cast<std::ptrdiff_t>(*records), part.end(),
                                                     [](const Entry& e) { return e.used != 0; }))
            : 0;
    if (moved > 0) notes += '\n' + FormatCounts(texts.moved, moved, 0);
    if (*records > capacity) notes += '\n' + FormatCounts(texts.keptBeyond, capacity + 1, *records);
    std::vector<Entry> positions(part.begin(), part.end());
    for (std::size_t position = positions.size(); position < std::min(*records, capacity); ++position) {
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

// The backup's part of each kind a restore writes: chosen, held by the file and with at least one
// position; an empty span leaves that part of the card as it is.
struct RestoreParts {
    std::span<const PhoneBookEntry> phoneBook;
    std::span<const PhoneBookEntry> fixedDialing;
    std::span<const SmsEntry> messages;
    std::span<const PlmnEntry> preferred;
    std::span<const PlmnEntry> forbidden;
};

RestoreParts SelectParts(const SimBackup& backup, const RestoreChoice& choice) {
    const BackupSections& present = backup.present;
    const auto part = [](auto& positions, bool chosen, std::uint32_t count) {
        return std::span(positions).first(chosen ? std::min<std::size_t>(count, positions.size()) : 0);
    };
    const auto list = [](const std::vector<PlmnEntry>& networks, bool chosen) {
        return chosen ? std::span<const PlmnEntry>(networks) : std::span<const PlmnEntry>();
    };
    return RestoreParts{
        part(backup.phoneBook, choice.phoneBook && present.phoneBook, backup.phoneBookCount),
        part(backup.fixedDialing, choice.fixedDialing && present.fixedDialing, backup.fixedDialingCount),
        part(backup.messages, choice.messages && present.messages, backup.messageCount),
        list(backup.preferredNetworks, choice.networks && present.preferredNetworks),
        list(backup.forbiddenNetworks, choice.networks && present.forbiddenNetworks),
    };
}

// SMS parameters the workers can write as they stand: a centre of dialling digits (at most 20, '+'
// in front when international) and a relative validity period, either of them may be empty.
bool WritableSmsParameters(std::string_view centre, std::string_view validity) {
    sms::SmsTimeValue value{};
    return phonebook::IsValidCentreNumber(centre) &&
           (validity.empty() || (sms::ParseDateOrValidity(validity, value) && !value.isDate));
}

// Plans every part; a part that does not fit adds its line to `refusal`. False when the card could
// not be asked.
bool PlanRestore(card::CardSession& session, const RestoreParts& parts, RestorePlan& plan, std::string& refusal) {
    return PlanRecords(session, phonebook::kAdnFile, parts.phoneBook, kBackupPhoneBookPositions,
                       {kPhoneBookRoom, kPhoneBookMoved, kPhoneBookKept}, plan.phoneBook, refusal, plan.notes) &&
           PlanRecords(session, phonebook::kFdnFile, parts.fixedDialing, kBackupPhoneBookPositions,
                       {kFixedDialingRoom, kFixedDialingMoved, kFixedDialingKept}, plan.fixedDialing, refusal,
                       plan.notes) &&
           PlanRecords(session, kSmsFile, parts.messages, kBackupSmsPositions,
                       {kMessagesRoom, kMessagesMoved, kMessagesKept}, plan.messages, refusal, plan.notes) &&
           PlanNetworks(session, parts.preferred, false, kPreferredRoom, plan.preferred, refusal) &&
           PlanNetworks(session, parts.forbidden, true, kForbiddenRoom, plan.forbidden, refusal);
}

// The card's used entries at positions the plan leaves empty.
template <typename Entry>
std::size_t Cleared(std::span<const Entry> onCard, const std::vector<Entry>& planned) {
    std::size_t cleared = 0;
    for (std::size_t position = 0; position < std::min(onCard.size(), planned.size()); ++position) {
        cleared += onCard[position].used != 0 && planned[position].used == 0 ? 1 : 0;
    }
    return cleared;
}

// How many used entries of the card the plan clears; nothing when the card could not be read.
std::optional<std::size_t> ClearedByPlan(card::CardSession& session, const RestorePlan& plan,
                                         std::span<const SmsEntry> messagesOnCard) {
    std::size_t cleared = plan.messages ? Cleared(messagesOnCard, *plan.messages) : 0;
    for (const auto& [ef, planned] :
         {std::pair(phonebook::kAdnFile, &plan.phoneBook), std::pair(phonebook::kFdnFile, &plan.fixedDialing)}) {
        if (!*planned) continue;
        std::vector<PhoneBookEntry> onCard((*planned)->size());
        phonebook::PhoneBookInfo info;
        if (!phonebook::ReadPhoneBook(session, ef, onCard, info)) return std::nullopt;
        cleared += Cleared(std::span<const PhoneBookEntry>(onCard), **planned);
    }
    return cleared;
}

// Writes the planned parts in their order, stopping at the first failure.
bool WritePlan(card::CardSession& session, RestorePlan& plan) {
    phonebook::PhoneBookWriteReport phoneBookReport;
    sms::SmsWriteReport smsReport;
    return (!plan.phoneBook ||
            phonebook::WritePhoneBook(session, phonebook::kAdnFile, *plan.phoneBook, phoneBookReport)) &&
           (!plan.fixedDialing ||
            phonebook::WritePhoneBook(session, phonebook::kFdnFile, *plan.fixedDialing, phoneBookReport)) &&
           (!plan.messages || sms::WriteSms(session, *plan.messages, smsReport)) &&
           (!plan.preferred ||
            (Step(session, kWritingPreferred, 40) && WriteNetworkList(session, *plan.preferred, false))) &&
           (!plan.forbidden ||
            (Step(session, kWritingForbidden, 70) && WriteNetworkList(session, *plan.forbidden, true)));
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

BackupOutcome BackupCard(card::CardSession& session, card::ProgressOwner owner, const AskBackupPath& askPath) {
    card::UserInterface& ui = session.Host().Ui();
    auto backup = std::make_unique<SimBackup>();
    session.BeginProgress(owner, kInitializing, kBackupTitle);
    bool read = session.BeginSession(true, false, true);
    std::string left;  // what the card holds beyond the positions of the file
    const auto readBook = [&](std::uint16_t ef, auto& part, std::uint32_t& count, std::uint32_t leftText) {
        return ReadPart<PhoneBookEntry>(
            [&](std::span<PhoneBookEntry> whole, std::uint32_t& records) {
                phonebook::PhoneBookInfo info;
                const bool done = phonebook::ReadPhoneBook(session, ef, whole, info);
                records = info.entryCount;
                return done;
            },
            part, count, leftText, left);
    };
    // A part the card does not offer is left out of the backup.
    const auto offers = [&](std::uint16_t ef) { return session.HasService(card::FindGsmFile(ef)->service); };
    if (read && offers(phonebook::kAdnFile))
        read = readBook(phonebook::kAdnFile, backup->phoneBook, backup->phoneBookCount, kPhoneBookLeft);
    if (read && offers(phonebook::kFdnFile)) {
        read = readBook(phonebook::kFdnFile, backup->fixedDialing, backup->fixedDialingCount, kFixedDialingLeft);
    }
    if (read && offers(card::gsm_file::kSms)) {
        read = ReadPart<SmsEntry>([&](std::span<SmsEntry> whole,
                                      std::uint32_t& records) { return sms::ReadSmsFile(session, whole, records); },
                                  backup->messages, backup->messageCount, kMessagesLeft, left);
    }
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
    // The path is asked only now, so no file is made for a card that could not be read.
    const std::optional<std::string> path = askPath();
    if (!path) return BackupOutcome::Cancelled;
    std::uint32_t error = 0;
    std::string reason;
    if (!WriteSimBackupFile(*path, *backup, error, &reason)) {
        ui.ShowMessage(std::string(resources::LoadString(error)) + "\n" + reason, card::MessageIcon::Exclamation);
        return BackupOutcome::FileFailed;
    }
    ui.ShowMessage(std::string(resources::LoadString(kBackupDone)) + left, card::MessageIcon::Information);
    return BackupOutcome::Done;
}

BackupOutcome BackupCard(card::CardSession& session, const std::string& path) {
    return BackupCard(session, nullptr, [&path] { return std::optional<std::string>(path); });
}

bool OpenBackup(const std::string& path, SimBackup& backup, card::UserInterface& ui) {
    std::uint32_t error = 0;
    if (ReadSimBackupFile(path, backup, error)) return true;
    Show(ui, error, card::MessageIcon::Exclamation);
    return false;
}

bool RestoreToCard(card::CardSession& session, SimBackup& backup, const RestoreChoice& choice,
                   const AgreeToClear& agreeToClear, card::ProgressOwner owner) {
    card::UserInterface& ui = session.Host().Ui();
    const RestoreParts parts = SelectParts(backup, choice);
    session.BeginProgress(owner, kInitializing, kRestoreTitle);
    bool written = session.BeginSession(true, false, true);

    // Every part must fit the card before anything is written; a card without a chosen file fails
    // the restore. PIN2 is asked for only once the backup is known to fit and agreed to.
    RestorePlan plan;
    std::string refusal;
    const std::string_view centre = sms::FieldText(backup.smsParameters.centre);
    const std::string_view validity = sms::FieldText(backup.smsParameters.validity);
    const bool parameters =
        choice.smsParameters && backup.present.smsParameters && (!centre.empty() || !validity.empty());
    if (parameters && !WritableSmsParameters(centre, validity)) {
        refusal += std::string(resources::LoadString(kBadSmsParameters)) + '\n';
    }
    written = written && PlanRestore(session, parts, plan, refusal);
    if (written && !refusal.empty()) {
        // The refusal rests on what the card said of its files: the next attempt asks it again.
        session.ClearCache();
        EndCardSteps(session, true);
        ui.ShowMessage(refusal + std::string(resources::LoadString(kRestoreNotCompleted)),
                       card::MessageIcon::Exclamation);
        return false;
    }
    std::size_t referencesLost = 0;
    std::optional<std::size_t> cleared = 0;
    if (written) {
        std::vector<SmsEntry> messagesOnCard;
        if (plan.messages) {
            messagesOnCard.resize(plan.messages->size());
            std::uint32_t count = 0;
            written = sms::ReadSmsFile(session, messagesOnCard, count);
        }
        if (written && agreeToClear) cleared = ClearedByPlan(session, plan, messagesOnCard);
        written = written && cleared;
        if (written && plan.messages) referencesLost = AdoptFromCard(*plan.messages, messagesOnCard);
    }
    if (written && *cleared > 0 && !agreeToClear(*cleared)) {
        EndCardSteps(session, true);
        return false;
    }
    if (written && !parts.fixedDialing.empty()) written = session.BeginSession(true, true, true);
    written = EndCardSteps(session, written && WritePlan(session, plan));
    if (written && parameters) written = sms::WriteSmsParameters(session.Host(), centre, validity) == sms::kWorkerDone;
    session.Host().Pause(kRestorePauseMs);
    if (!written) {
        session.ClearCache();  // what the card holds after a failed step is not known
        Show(ui, kRestoreIncomplete, card::MessageIcon::Exclamation);
        return false;
    }
    std::string done(resources::LoadString(kRestoreDone));
    done += plan.notes;
    if (referencesLost > 0) done += '\n' + FormatCounts(kReferencesLost, referencesLost, 0);
    ui.ShowMessage(done, card::MessageIcon::Information);
    return true;
}

bool RestoreFromBackup(card::CardSession& session, const std::string& path, bool restore, bool open, SimBackup& backup,
                       const ChooseRestoreParts& chooseParts, const AgreeToClear& agreeToClear,
                       card::ProgressOwner owner) {
    if (!restore && !open) return false;
    if (!OpenBackup(path, backup, session.Host().Ui())) return false;
    if (!restore) return true;
    const std::optional<RestoreChoice> choice = chooseParts();
    return choice && RestoreToCard(session, backup, *choice, agreeToClear, owner);
}

}  // namespace quillet::backup
