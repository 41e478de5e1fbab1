#include "sms/SmsTransfer.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/ProgressWindow.h"
#include "card/RecordPlacement.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsRecordCodec.h"

namespace quillet::sms {

namespace {

namespace result = reader::result;

constexpr std::uint32_t kReadText = 5017;
constexpr std::uint32_t kWriteText = 5018;

const card::GsmFile& SmsFile() { return card::GsmFileOf(card::CachedFile::Sms); }

bool FailAndClear(card::CardSession& session, reader::ReaderResult code) {
    session.SetLastResult(code);
    session.ClearCache();
    return false;
}

bool PrepareSmsFile(card::CardSession& session, card::EfInformation& header) {
    if (session.Host().CurrentReader() == nullptr) return FailAndClear(session, result::kReaderInaccessible);
    if (!session.HasService(SmsFile().service)) return FailAndClear(session, result::kFileNotAccessible);
    if (!session.FileHeader(SmsFile().parent, SmsFile().id, header)) {
        session.ClearCache();
        return false;
    }
    if (header.RecordLength() == 0) return FailAndClear(session, result::kNonSpecific);
    return true;
}

// The fields a message shows; what else the record holds is kept only through its own bytes.
bool SameContent(const SmsEntry& a, const SmsEntry& b) {
    return (a.used != 0) == (b.used != 0) && SameMessageBody(a, b) &&
           FieldText(a.serviceCentre) == FieldText(b.serviceCentre) && FieldText(a.address) == FieldText(b.address) &&
           a.addressTon == b.addressTon && a.addressNpi == b.addressNpi && a.centreTon == b.centreTon &&
           a.centreNpi == b.centreNpi && FieldText(a.dateOrValidity) == FieldText(b.dateOrValidity) &&
           a.status == b.status && a.messageRef == b.messageRef;
}

// The bytes each record of the file gets (index 0 unused): the card's own bytes for an unchanged
// message, whatever its `modified` mark says, each record's bytes serving one message at most;
// positions beyond the editor keep their records. Nothing when a message does not fit a record.
std::optional<std::vector<std::vector<std::uint8_t>>> PlanSmsRecords(const card::FileImage& records,
                                                                     std::span<SmsEntry* const> target) {
    const std::size_t recordCount = records.Count();
    std::vector<std::vector<std::uint8_t>> plan(recordCount + 1);
    std::vector<bool> sourceTaken(recordCount + 1, false);
    const auto keep = [](std::vector<std::uint8_t>& bytes, std::span<const std::uint8_t> original) {
        bytes.assign(original.begin(), original.end());
    };
    for (std::size_t number = 1; number <= recordCount; ++number) {
        const SmsEntry* entry = target[number];
        std::vector<std::uint8_t>& bytes = plan[number];
        if (entry == nullptr) {
            keep(bytes, records.Record(number));
            continue;
        }
        if (entry->used && entry->index < recordCount && !sourceTaken[entry->index + 1u]) {
            const std::span<const std::uint8_t> original = records.Record(entry->index + 1u);
            if (SameContent(DecodeSmsRecord(original, entry->index), *entry)) {
                sourceTaken[entry->index + 1u] = true;
                keep(bytes, original);
                continue;
            }
        }
        bytes.assign(records.RecordLength(), 0xFF);
        if (!entry->used) {
            // A record that holds no message already stays as it is.
            if (!IsSmsRecordInUse(records.Record(number))) {
                keep(bytes, records.Record(number));
            } else {
                bytes[0] = 0x00;
            }
            continue;
        }
        if (EncodeSmsRecord(*entry, bytes) == SmsEncodeResult::kRecordTooShort) return std::nullopt;
    }
    return plan;
}

// Marks what reached the card, so a write stopped half-way leaves the editor truthful: the messages
// of records 1..upTo are the card's now; a later one whose card bytes were overwritten keeps only
// its fields.
void SettleMessages(std::span<SmsEntry* const> target, std::size_t upTo, const std::set<std::size_t>& changedRecords) {
    for (std::size_t number = 1; number < target.size(); ++number) {
        SmsEntry* entry = target[number];
        if (entry == nullptr) continue;
        if (number <= upTo) {
            entry->index = static_cast<std::uint16_t>(number - 1);
            entry->modified = 0;
        } else if (entry->used && !entry->modified && changedRecords.contains(entry->index + 1u)) {
            entry->modified = 1;
        }
    }
}

// Writes the planned records that differ from the card's, in record order with progress.
bool WritePlannedRecords(card::CardSession& session, std::span<SmsEntry* const> target,
                         std::span<const std::vector<std::uint8_t>> plan, SmsWriteReport& report) {
    const std::size_t recordCount = plan.size() - 1;
    std::set<std::size_t> changedRecords;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        const std::string text = card::FormatItemText(resources::LoadString(kWriteText), static_cast<unsigned>(number),
                                                      static_cast<unsigned>(recordCount));
        if (!session.StepProgress(text, static_cast<unsigned>(100 * number / recordCount))) {
            SettleMessages(target, number - 1, changedRecords);
            session.SetLastResult(result::kCancelledByUser);
            return false;
        }
        const card::CardSession::RecordWrite written =
            session.WriteCachedRecord(card::CachedFile::Sms, number, plan[number]);
        if (written == card::CardSession::RecordWrite::Failed) {
            SettleMessages(target, number - 1, changedRecords);
            return false;
        }
        if (written == card::CardSession::RecordWrite::Written) {
            ++report.recordsWritten;
            changedRecords.insert(number);
        }
    }
    SettleMessages(target, recordCount, changedRecords);
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace

bool ReadSmsFile(card::CardSession& session, std::span<SmsEntry> entries, std::uint32_t& count) {
    count = 0;
    card::EfInformation header;
    if (!PrepareSmsFile(session, header)) return false;
    for (std::size_t position = 0; position < entries.size(); ++position) {
        entries[position] = MakeEmptySmsEntry(static_cast<std::uint16_t>(position));
    }
    if (!session.LoadCardFiles(card::load_mask::kSms, kReadText)) {
        session.ClearCache();
        return false;
    }
    const std::optional<card::FileImage> image = session.Cache().Image(card::CachedFile::Sms);
    if (!image) return FailAndClear(session, result::kNonSpecific);
    count = static_cast<std::uint32_t>(DecodeSmsFileImage(image->Bytes(), entries));
    session.SetLastResult(result::kOk);
    return true;
}

bool WriteSms(card::CardSession& session, std::span<SmsEntry> entries, SmsWriteReport& report) {
    report = SmsWriteReport{};
    card::EfInformation header;
    if (!PrepareSmsFile(session, header)) return false;
    // The plan compares with the card's records: the cached ones, or read now.
    if (!session.Cache().Image(card::CachedFile::Sms) && !session.LoadSmsFile(kReadText)) {
        session.ClearCache();
        return false;
    }
    const std::optional<card::FileImage> records = session.Cache().Image(card::CachedFile::Sms);
    if (!records) return FailAndClear(session, result::kNonSpecific);

    // Which message goes to which record, and with which bytes, all before the first command.
    const std::optional<std::vector<SmsEntry*>> placed = card::PlaceEntries(entries, records->Count());
    if (!placed) return FailAndClear(session, result::kPositionOverflow);
    const auto plan = PlanSmsRecords(*records, *placed);
    if (!plan) return FailAndClear(session, result::kNonSpecific);
    return WritePlannedRecords(session, *placed, *plan, report);
}

}  // namespace quillet::sms
