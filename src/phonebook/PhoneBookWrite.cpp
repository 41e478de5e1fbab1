// Writing a phone book to ADN or FDN without losing what the user did not change.
#include <algorithm>
#include <optional>
#include <string>

#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/RecordPlacement.h"
#include "card/UsimPhoneBookLinks.h"
#include "card/WritePlanExecutor.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookFiles.h"
#include "phonebook/PhoneBookTransfer.h"
#include "phonebook/PhoneBookWritePlan.h"

namespace quillet::phonebook {

namespace {

namespace result = reader::result;
using card::FileImage;
using detail::FailAndClear;
using detail::FileKind;

// The plan needs the present records of this file and of every file sharing its extension file:
// from the caches, or read now.
std::optional<PhoneBookOnCard> LoadCardRecords(card::CardSession& session, const FileKind& kind) {
    if (!detail::LoadWithSharingFiles(session, kind, 0)) return std::nullopt;
    const std::optional<FileImage> records = session.Cache().Image(*kind.file.image);
    const std::optional<FileImage> extensions = session.Cache().Image(*kind.extension.image);
    if (!records || !extensions || (extensions->Count() > 0 && extensions->RecordLength() < kExtensionRecordLength)) {
        FailAndClear(session, result::kNonSpecific);
        return std::nullopt;
    }
    PhoneBookOnCard onCard{*kind.file.image, *kind.extension.image, *records, *extensions, {}};
    onCard.takesUnnamedRecords =
        !(*kind.extension.image == card::CachedFile::Ext1 && card::Ext1HasUsersBeyondGsmView(session.Platform()));
    for (const FileKind* other : detail::FilesSharingExtensions(kind)) {
        if (const std::optional<FileImage> image = session.Cache().Image(*other->file.image)) {
            onCard.sharing.push_back(*image);
        }
    }
    return onCard;
}

void Count(const PhoneBookOnCard& onCard, const PhoneBookPlan& plan, const card::PlanExecution& execution,
           PhoneBookWriteReport& report) {
    for (std::size_t write = 0; write < execution.writesDone; ++write) {
        if (!execution.changed[write]) continue;
        ++(plan.plan.writes[write].record.file == onCard.file ? report.recordsWritten : report.extensionRecordsWritten);
    }
}

// Marks what reached the card, so a write stopped half-way leaves the editor truthful: an entry
// on the card is the card's now (a cut name included); one whose card bytes were overwritten
// before it reached its new record keeps only its fields.
void SettleEntries(std::span<PhoneBookEntry* const> target, const PhoneBookPlan& plan, std::size_t writesDone) {
    const auto reached = [&](std::size_t number) { return plan.records[number].settledAfter <= writesDone; };
    for (std::size_t number = 1; number < target.size(); ++number) {
        PhoneBookEntry* entry = target[number];
        if (entry == nullptr) continue;
        const RecordOutcome& outcome = plan.records[number];
        if (reached(number)) {
            if (outcome.nameCut) {
                PhoneBookEntry written;
                DecodeDiallingRecord(plan.plan.writes[outcome.settledAfter - 1].bytes,
                                     FileImage(std::span<const std::uint8_t>()), entry->index, written);
                SetNameBytes(*entry, NameBytes(written));
            }
            entry->index = static_cast<std::uint16_t>(number - 1);
            entry->modified = 0;
        } else if (outcome.source != 0 && plan.records[outcome.source].settledAfter != 0 && reached(outcome.source)) {
            entry->modified = 1;
        }
    }
}

// The ADN records in use that the plan gives other bytes: entries replaced or deleted.
std::vector<std::uint8_t> RecordsReplaced(const PhoneBookOnCard& onCard, const PhoneBookPlan& plan) {
    std::vector<std::uint8_t> numbers;
    for (const card::PlannedWrite& write : plan.plan.writes) {
        if (write.record.file != onCard.file) continue;
        const std::span<const std::uint8_t> now = onCard.records.Record(write.record.number);
        if (!IsDiallingRecordInUse(now) || std::equal(now.begin(), now.end(), write.bytes.begin(), write.bytes.end())) {
            continue;
        }
        numbers.push_back(static_cast<std::uint8_t>(write.record.number));
    }
    return numbers;
}

// On a UICC the GSM phone book is the first set of the USIM phone book, and the card keeps more for
// an entry than its ADN record: e-mails, second numbers, nicknames, groups. Before an entry is
// replaced or deleted, that data must go too, or phones show it with the entry that takes the
// record. Finds it and asks; false (with nothing written) when the user declines.
bool PrepareUsimLinks(card::CardSession& session, const PhoneBookOnCard& onCard, const PhoneBookPlan& plan,
                      card::LinkedData& linked) {
    const card::CardPlatformInfo& platform = session.Platform();
    if (platform.platform != card::CardPlatform::UiccWithGsm || !platform.globalBook ||
        platform.globalBook->sets.empty()) {
        return true;
    }
    const std::vector<std::uint8_t> replaced = RecordsReplaced(onCard, plan);
    if (replaced.empty()) return true;
    if (!card::FindLinkedData(session, platform.globalBook->sets.front(), replaced, linked)) {
        return FailAndClear(session, session.LastResult());
    }
    if (linked.Empty()) return true;
    const std::size_t count = linked.adnRecords.size();
    const std::string question =
        std::to_string(count) + (count == 1 ? " entry" : " entries") + " that this write replaces or deletes " +
        (count == 1 ? "has" : "have") +
        " e-mail addresses, second numbers or other data that the card keeps beside the phone book. Writing "
        "deletes that data as well, so that no phone shows it with another entry. Write the phone book?";
    if (session.Host().Ui().AskQuestion(question, card::QuestionButtons::YesNo) != card::Answer::Yes) {
        session.SetLastResult(result::kCancelledByUser);
        return false;
    }
    return true;
}

}  // namespace

bool WritePhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                    PhoneBookWriteReport& report) {
    report = PhoneBookWriteReport{};
    const FileKind* kind = detail::FindKind(ef);
    if (kind == nullptr || kind->writeText == 0) return FailAndClear(session, result::kNonSpecific);
    card::EfInformation header;
    if (!detail::SelectPhoneBookFile(session, *kind, header)) return false;

    const std::optional<PhoneBookOnCard> onCard = LoadCardRecords(session, *kind);
    if (!onCard) return false;
    const std::optional<std::vector<PhoneBookEntry*>> placed = card::PlaceEntries(entries, onCard->records.Count());
    if (!placed) return FailAndClear(session, result::kPositionOverflow);
    const std::vector<const PhoneBookEntry*> target(placed->begin(), placed->end());
    std::optional<PhoneBookPlan> plan = PlanPhoneBookWrite(*onCard, target);
    if (!plan) return FailAndClear(session, result::kExtensionOverflow);
    plan->plan.progressText = kind->writeText;
    report.namesShortened = static_cast<std::uint32_t>(plan->namesShortened);

    card::LinkedData linked;
    if (ef == kAdnFile && !PrepareUsimLinks(session, *onCard, *plan, linked)) return false;

    // The linked data goes first and the ADN records last, then the change counter tells phones.
    card::PlanExecution execution;
    bool written = card::ExecuteWritePlan(session, plan->plan, execution,
                                          [&]() { return linked.Empty() || card::ClearLinkedData(session, linked); });
    if (written && !linked.Empty()) written = card::IncrementChangeCounter(session);
    Count(*onCard, *plan, execution, report);
    SettleEntries(*placed, *plan, execution.writesDone);
    return written;
}

}  // namespace quillet::phonebook
