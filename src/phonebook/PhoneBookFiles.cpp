#include "phonebook/PhoneBookFiles.h"

#include <algorithm>

#include "card/GsmFiles.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookTransfer.h"

namespace quillet::phonebook::detail {

namespace {

namespace result = reader::result;
using card::FindGsmFile;

FileKind Kind(std::uint16_t ef, std::uint32_t readText, std::uint32_t writeText) {
    const card::GsmFile& file = *FindGsmFile(ef);
    return {file, *FindGsmFile(file.extension), readText, writeText};
}

const FileKind kKinds[] = {
    Kind(kAdnFile, 5001, 5003),
    Kind(kFdnFile, 5004, 5005),
    Kind(kMsisdnFile, 5013, 0),
    Kind(kLndFile, 5012, 0),
};

}  // namespace

const FileKind* FindKind(std::uint16_t ef) {
    for (const FileKind& kind : kKinds) {
        if (kind.file.id == ef) return &kind;
    }
    return nullptr;
}

std::vector<const FileKind*> FilesSharingExtensions(const FileKind& kind) {
    std::vector<const FileKind*> others;
    for (const FileKind& other : kKinds) {
        if (other.file.id != kind.file.id && other.extension.id == kind.extension.id) others.push_back(&other);
    }
    return others;
}

bool FailAndClear(card::CardSession& session, reader::ReaderResult code) {
    session.SetLastResult(code);
    session.ClearCache();
    return false;
}

bool LoadWithSharingFiles(card::CardSession& session, const FileKind& kind, std::uint32_t textId) {
    std::uint32_t sharingMask = 0;
    for (const FileKind* other : FilesSharingExtensions(kind)) sharingMask |= other->file.loadBit;
    return session.LoadCardFiles(kind.file.loadBit, textId) &&
           (sharingMask == 0 || session.LoadCardFiles(kind.file.loadBit | sharingMask, 0));
}

bool SelectPhoneBookFile(card::CardSession& session, const FileKind& kind, card::EfInformation& info) {
    if (session.Host().CurrentReader() == nullptr) return FailAndClear(session, result::kReaderInaccessible);
    if (!session.RequireService(kind.file.service)) return FailAndClear(session, session.LastResult());
    if (!session.FileHeader(kind.file.parent, kind.file.id, info)) {
        session.ClearCache();
        return false;
    }
    if (!info.IsValid()) return FailAndClear(session, result::kInaccessibleRecord);
    if (info.RecordLength() < kDiallingFixedPart) return FailAndClear(session, result::kNonSpecific);
    return true;
}

std::vector<std::uint8_t> ChainOf(std::span<const std::uint8_t> record, const card::FileImage& extensions) {
    std::vector<std::uint8_t> chain;
    if (record.size() < kDiallingFixedPart || record[record.size() - kDiallingFixedPart] == 0xFF) return chain;
    std::size_t next = record.back();
    while (next != 0 && next != 0xFF && next <= extensions.Count()) {
        const std::span<const std::uint8_t> extension = extensions.Record(next);
        if (extension.size() < kExtensionRecordLength || extension[0] == 0xFF ||
            std::find(chain.begin(), chain.end(), next) != chain.end()) {
            break;
        }
        chain.push_back(static_cast<std::uint8_t>(next));
        next = extension[kExtensionRecordLength - 1];
    }
    return chain;
}

}  // namespace quillet::phonebook::detail
