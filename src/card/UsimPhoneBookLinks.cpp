#include "card/UsimPhoneBookLinks.h"

#include <algorithm>
#include <optional>

#include "card/UiccCommands.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kPhoneBookDirectory = 0x5F3A;
constexpr std::uint16_t kChangeCounter = 0x4F23;
constexpr std::uint16_t kSwFileNotFound = 0x6A82;
constexpr std::uint8_t kUnused = 0xFF;
constexpr std::uint8_t kNoGroup = 0x00;

// The session's view of what went wrong: a transport failure as it is, a refusal as a bad status.
bool Fail(CardSession& session, const UiccAnswer& answer) {
    session.ForgetSelectedFile();
    session.SetLastResult(answer.transport != result::kOk ? answer.transport : result::kBadStatusWord);
    return false;
}

reader::CardReader* ReaderOf(CardSession& session) {
    reader::CardReader* reader = session.Host().CurrentReader();
    if (reader == nullptr) session.SetLastResult(result::kReaderInaccessible);
    return reader;
}

UiccAnswer SelectInBook(UiccChannel& channel, std::uint16_t file) {
    const std::uint16_t path[] = {kTelecom, kPhoneBookDirectory, file};
    return channel.SelectPath(path);
}

// Selects a record file of the global phone book; its shape, or nothing (the session failed).
std::optional<RecordShape> SelectRecordFile(CardSession& session, UiccChannel& channel, std::uint16_t file) {
    const UiccAnswer selected = SelectInBook(channel, file);
    const std::optional<RecordShape> shape = selected.Ok() ? RecordShapeOf(selected.data) : std::nullopt;
    if (!shape) Fail(session, selected);
    return shape;
}

// Whether a type 1 record holds anything, and the byte an empty one is made of.
bool Carries(std::uint8_t tag, std::span<const std::uint8_t> record) {
    switch (tag) {
        case kPbrAnr:
            // Byte 2 is the length of the number; the kind of number alone is no number.
            return record.size() > 1 && record[1] != kUnused && record[1] != 0;
        case kPbrGrp:
            return std::any_of(record.begin(), record.end(),
                               [](std::uint8_t byte) { return byte != kNoGroup && byte != kUnused; });
        default:
            return !record.empty() && record[0] != kUnused;
    }
}

std::uint8_t EmptyFill(std::uint8_t tag) { return tag == kPbrGrp ? kNoGroup : kUnused; }

bool IsTypeOneData(const PhoneBookFile& file) {
    return file.type == 1 &&
           (file.tag == kPbrAnr || file.tag == kPbrEmail || file.tag == kPbrSne || file.tag == kPbrGrp);
}

}  // namespace

bool FindLinkedData(CardSession& session, const PhoneBookSet& set, std::span<const std::uint8_t> numbers,
                    LinkedData& found) {
    found = LinkedData{};
    reader::CardReader* reader = ReaderOf(session);
    if (reader == nullptr) return false;
    UiccChannel channel(*reader);
    std::vector<LinkedRecord> typeTwo;
    std::vector<LinkedRecord> iap;
    std::vector<LinkedRecord> typeOne;

    const std::vector<PhoneBookFile> typeTwoFiles = set.TypeTwoFiles();
    if (const PhoneBookFile* iapFile = set.Find(kPbrIap); iapFile != nullptr && !typeTwoFiles.empty()) {
        const std::optional<RecordShape> shape = SelectRecordFile(session, channel, iapFile->id);
        if (!shape) return false;
        for (const std::uint8_t number : numbers) {
            if (number > shape->count) continue;
            const UiccAnswer record = channel.ReadRecord(number, shape->length);
            if (!record.Ok()) return Fail(session, record);
            bool links = false;
            for (std::size_t index = 0; index < typeTwoFiles.size() && index < record.data.size(); ++index) {
                const std::uint8_t target = record.data[index];
                if (target == kUnused || target == 0) continue;
                typeTwo.push_back({typeTwoFiles[index].id, target, kUnused});
                links = true;
            }
            if (!links) continue;
            iap.push_back({iapFile->id, number, kUnused});
            found.adnRecords.insert(number);
        }
    }
    for (const PhoneBookFile& file : set.files) {
        if (!IsTypeOneData(file)) continue;
        const std::optional<RecordShape> shape = SelectRecordFile(session, channel, file.id);
        if (!shape) return false;
        for (const std::uint8_t number : numbers) {
            if (number > shape->count) continue;
            const UiccAnswer record = channel.ReadRecord(number, shape->length);
            if (!record.Ok()) return Fail(session, record);
            if (!Carries(file.tag, record.data)) continue;
            typeOne.push_back({file.id, number, EmptyFill(file.tag)});
            found.adnRecords.insert(number);
        }
    }
    for (auto* part : {&typeTwo, &iap, &typeOne}) {
        found.records.insert(found.records.end(), part->begin(), part->end());
    }
    session.ForgetSelectedFile();
    session.SetLastResult(result::kOk);
    return true;
}

bool ClearLinkedData(CardSession& session, const LinkedData& data) {
    reader::CardReader* reader = ReaderOf(session);
    if (reader == nullptr) return false;
    UiccChannel channel(*reader);
    const bool verify = session.Host().VerifyWrites();
    std::uint16_t selectedFile = 0;
    std::uint8_t recordLength = 0;
    for (const LinkedRecord& linked : data.records) {
        if (linked.file != selectedFile) {
            const std::optional<RecordShape> shape = SelectRecordFile(session, channel, linked.file);
            if (!shape) return false;
            selectedFile = linked.file;
            recordLength = shape->length;
        }
        const std::vector<std::uint8_t> empty(recordLength, linked.fill);
        const UiccAnswer written = channel.UpdateRecord(linked.number, empty);
        if (!written.Ok()) return Fail(session, written);
        if (!verify) continue;
        const UiccAnswer readBack = channel.ReadRecord(linked.number, recordLength);
        if (!readBack.Ok()) return Fail(session, readBack);
        if (readBack.data != empty) {
            session.ForgetSelectedFile();
            session.SetLastResult(result::kWriteNotKept);
            return false;
        }
    }
    session.ForgetSelectedFile();
    session.SetLastResult(result::kOk);
    return true;
}

bool IncrementChangeCounter(CardSession& session) {
    reader::CardReader* reader = ReaderOf(session);
    if (reader == nullptr) return false;
    UiccChannel channel(*reader);
    const UiccAnswer selected = SelectInBook(channel, kChangeCounter);
    if (selected.sw == kSwFileNotFound) {
        session.ForgetSelectedFile();
        session.SetLastResult(result::kOk);
        return true;
    }
    if (!selected.Ok()) return Fail(session, selected);
    const UiccAnswer counter = channel.ReadBinary(0, 2);
    if (!counter.Ok() || counter.data.size() != 2) return Fail(session, counter);
    // The counter wraps round after FFFF.
    const unsigned next = ((counter.data[0] << 8 | counter.data[1]) + 1) & 0xFFFF;
    const std::uint8_t bytes[] = {static_cast<std::uint8_t>(next >> 8), static_cast<std::uint8_t>(next)};
    const UiccAnswer written = channel.UpdateBinary(0, bytes);
    if (!written.Ok()) return Fail(session, written);
    session.ForgetSelectedFile();
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace quillet::card
