#include "sms/SmsTransfer.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/RecordPlacement.h"
#include "card/WritePlanExecutor.h"
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
    if (!session.RequireService(SmsFile().service)) return FailAndClear(session, session.LastResult());
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
// message, whatever its `modified` mark says (its own record first, else any record not taken yet,
// so a moved message keeps its bytes), each record's bytes serving one message at most; positions
// beyond the editor keep their records.
struct SmsPlan {
    std::vector<std::vector<std::uint8_t>> records;
    std::size_t firstTooLong = 0;  // the first record whose message does not fit; 0: all fit
};

SmsPlan PlanSmsRecords(const card::FileImage& records, std::span<SmsEntry* const> target) {
    const std::size_t recordCount = records.Count();
    SmsPlan plan;
    plan.records.resize(recordCount + 1);
    std::vector<bool> decided(recordCount + 1, false);
    std::vector<SmsEntry> onCard(recordCount + 1);
    for (std::size_t number = 1; number <= recordCount; ++number) {
        onCard[number] = DecodeSmsRecord(records.Record(number), static_cast<std::uint16_t>(number - 1));
    }
    const auto take = [&](std::size_t number, std::size_t source) {
        const std::span<const std::uint8_t> original = records.Record(source);
        plan.records[number].assign(original.begin(), original.end());
        decided[number] = true;
    };
    card::PairPlacedEntries(
        target, [&](const SmsEntry& entry, std::size_t record) { return SameContent(onCard[record], entry); }, take);
    for (std::size_t number = 1; number <= recordCount; ++number) {
        const SmsEntry* entry = target[number];
        if (decided[number]) continue;
        std::vector<std::uint8_t>& bytes = plan.records[number];
        if (!entry->used) {
            // A record that holds no message already stays as it is.
            if (!IsSmsRecordInUse(records.Record(number))) {
                take(number, number);
            } else {
                bytes.assign(records.RecordLength(), 0xFF);
                bytes[0] = 0x00;
            }
            continue;
        }
        bytes.assign(records.RecordLength(), 0xFF);
        if (EncodeSmsRecord(*entry, bytes) != SmsEncodeResult::kOk && plan.firstTooLong == 0) {
            plan.firstTooLong = number;
        }
    }
    return plan;
}

// The writes of the records that change, in record order; a record the caches show empty is
// checked first, as a phone may have stored a message there since.
card::RecordWritePlan PlanSmsWrites(const card::FileImage& records, const SmsPlan& plan,
                                    std::vector<std::size_t>& settledAfter) {
    card::RecordWritePlan writes;
    writes.progressText = kWriteText;
    writes.itemCount = records.Count();
    settledAfter.assign(plan.records.size(), 0);
    for (std::size_t number = 1; number < plan.records.size(); ++number) {
        const std::span<const std::uint8_t> now = records.Record(number);
        const std::vector<std::uint8_t>& bytes = plan.records[number];
        if (std::equal(bytes.begin(), bytes.end(), now.begin(), now.end())) continue;
        if (!IsSmsRecordInUse(now)) writes.staleChecks.push_back({card::CachedFile::Sms, number});
        writes.writes.push_back({{card::CachedFile::Sms, number}, bytes, number});
        settledAfter[number] = writes.writes.size();
    }
    return writes;
}

// Marks what reached the card, so a write stopped half-way leaves the editor truthful: a message
// whose record was written (or needed no write) is the card's now; one whose card bytes were
// overwritten before it reached its own record keeps only its fields.
void SettleMessages(std::span<SmsEntry* const> target, const std::vector<std::size_t>& settledAfter,
                    std::size_t writesDone) {
    for (std::size_t number = 1; number < target.size(); ++number) {
        SmsEntry* entry = target[number];
        if (entry == nullptr) continue;
        if (settledAfter[number] <= writesDone) {
            entry->index = static_cast<std::uint16_t>(number - 1);
            entry->modified = 0;
        } else if (entry->used && !entry->modified && entry->index + 1u < settledAfter.size() &&
                   settledAfter[entry->index + 1u] != 0 && settledAfter[entry->index + 1u] <= writesDone) {
            entry->modified = 1;
        }
    }
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
    const SmsPlan plan = PlanSmsRecords(*records, *placed);
    if (plan.firstTooLong != 0) {
        report.firstTooLong = static_cast<std::uint32_t>(plan.firstTooLong);
        session.SetLastResult(result::kTextTooLong);
        return false;
    }
    std::vector<std::size_t> settledAfter;
    const card::RecordWritePlan writes = PlanSmsWrites(*records, plan, settledAfter);
    card::PlanExecution execution;
    const bool written = card::ExecuteWritePlan(session, writes, execution);
    for (std::size_t write = 0; write < execution.writesDone; ++write)
        report.recordsWritten += execution.changed[write];
    SettleMessages(*placed, settledAfter, execution.writesDone);
    return written;
}

}  // namespace quillet::sms
