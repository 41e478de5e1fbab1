#include "sms/SmsTransfer.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/RecordPlacement.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsRecordCodec.h"

namespace quillet::sms {

namespace {

namespace result = reader::result;

constexpr std::uint16_t kTelecom = card::gsm_file::kTelecomDirectory;
constexpr std::uint16_t kSmsFile = card::gsm_file::kSms;
constexpr unsigned kSmsService = 4;
constexpr std::uint32_t kReadText = 5017;
constexpr std::uint32_t kWriteText = 5018;

bool FailAndClear(card::CardSession& session, reader::ReaderResult code) {
    session.SetLastResult(code);
    session.ClearCache();
    return false;
}

bool PrepareSmsFile(card::CardSession& session, card::EfInformation& header) {
    if (session.Host().CurrentReader() == nullptr) return FailAndClear(session, result::kReaderInaccessible);
    if (!session.HasService(kSmsService)) return FailAndClear(session, result::kFileNotAccessible);
    if (!session.FileHeader(kTelecom, kSmsFile, header)) {
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
    const auto& image = session.Caches().Image(card::CachedFile::Sms);
    if (!image) return FailAndClear(session, result::kNonSpecific);
    count = static_cast<std::uint32_t>(DecodeSmsFileImage(*image, entries));
    session.SetLastResult(result::kOk);
    return true;
}

bool WriteSms(card::CardSession& session, std::span<SmsEntry> entries, SmsWriteReport& report) {
    report = SmsWriteReport{};
    card::EfInformation header;
    if (!PrepareSmsFile(session, header)) return false;
    // The plan compares with the card's records: the cached ones, or read now.
    if (!session.Caches().Image(card::CachedFile::Sms) && !session.LoadSmsFile(kReadText)) {
        session.ClearCache();
        return false;
    }
    auto& imageBytes = session.Caches().Image(card::CachedFile::Sms);
    if (!imageBytes) return FailAndClear(session, result::kNonSpecific);
    const card::FileImage records(*imageBytes);
    const std::size_t recordCount = records.Count();
    const std::size_t recordLength = records.RecordLength();

    // Which message goes to which record.
    const std::optional<std::vector<SmsEntry*>> placed = card::PlaceEntries(entries, recordCount);
    if (!placed) return FailAndClear(session, result::kPositionOverflow);
    const std::vector<SmsEntry*>& target = *placed;

    // Plan every record before the first command: the card's own bytes for unchanged messages.
    // A message keeps the card's bytes when they still decode to it, whatever its `modified` mark
    // says, and each record's bytes serve one message at most; positions beyond the editor keep
    // their records.
    std::vector<std::vector<std::uint8_t>> plan(recordCount + 1);
    std::vector<bool> sourceTaken(recordCount + 1, false);
    for (std::size_t number = 1; number <= recordCount; ++number) {
        const SmsEntry* entry = target[number];
        std::vector<std::uint8_t>& bytes = plan[number];
        if (entry == nullptr) {
            const std::span<std::uint8_t> own = records.Record(number);
            bytes.assign(own.begin(), own.end());
            continue;
        }
        if (entry->used && entry->index < recordCount && !sourceTaken[entry->index + 1u]) {
            const std::span<std::uint8_t> original = records.Record(entry->index + 1u);
            if (SameContent(DecodeSmsRecord(original, entry->index), *entry)) {
                sourceTaken[entry->index + 1u] = true;
                bytes.assign(original.begin(), original.end());
                continue;
            }
        }
        if (!entry->used) {
            // A record that holds no message already stays as it is.
            if (!IsSmsRecordInUse(records.Record(number))) {
                const std::span<std::uint8_t> original = records.Record(number);
                bytes.assign(original.begin(), original.end());
                continue;
            }
            bytes.assign(recordLength, 0xFF);
            bytes[0] = 0x00;
            continue;
        }
        bytes.assign(recordLength, 0xFF);
        if (EncodeSmsRecord(*entry, bytes) == SmsEncodeResult::kRecordTooShort) {
            return FailAndClear(session, result::kNonSpecific);
        }
    }

    std::size_t written = 0;
    std::set<std::size_t> changedRecords;
    // Marks what reached the card, so a write stopped half-way leaves the editor truthful.
    const auto settle = [&](std::size_t upTo) {
        for (std::size_t number = 1; number <= upTo; ++number) {
            if (target[number] != nullptr) {
                target[number]->index = static_cast<std::uint16_t>(number - 1);
                target[number]->modified = 0;
            }
        }
        for (std::size_t number = upTo + 1; number <= recordCount; ++number) {
            SmsEntry* entry = target[number];
            // Its card bytes are gone: the fields are all that is left of it.
            if (entry != nullptr && entry->used && !entry->modified && changedRecords.contains(entry->index + 1u)) {
                entry->modified = 1;
            }
        }
    };
    for (std::size_t number = 1; number <= recordCount; ++number) {
        if (!session.StepProgress(card::FormatItemText(resources::LoadString(kWriteText), static_cast<unsigned>(number),
                                                       static_cast<unsigned>(recordCount)),
                                  static_cast<unsigned>(100 * number / recordCount))) {
            settle(written);
            session.SetLastResult(result::kCancelledByUser);
            return false;
        }
        const std::span<std::uint8_t> cached = records.Record(number);
        const std::vector<std::uint8_t>& bytes = plan[number];
        if (std::equal(bytes.begin(), bytes.end(), cached.begin(), cached.end())) {
            written = number;
            continue;
        }
        std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
        if (!session.WriteFileRecord(kTelecom, kSmsFile, bytes, length, static_cast<std::uint8_t>(number), 4)) {
            // What the card holds now is not known for sure: read it afresh next time.
            const reader::ReaderResult code = session.LastResult();
            settle(written);
            session.ClearCache();
            session.SetLastResult(code);
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), cached.begin());
        ++report.recordsWritten;
        changedRecords.insert(number);
        written = number;
    }
    settle(recordCount);
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace quillet::sms
