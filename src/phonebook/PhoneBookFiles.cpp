#include "phonebook/PhoneBookFiles.h"

#include <algorithm>

#include "card/GsmFiles.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookTransfer.h"

namespace quillet::phonebook::detail {

namespace {

namespace result = reader::result;
using card::CachedFile;
using card::UseMap;

constexpr FileKind kKinds[] = {
    {kAdnFile, 2, card::load_mask::kAdn, 5001, 5003, CachedFile::Adn, CachedFile::Ext1, UseMap::Ext1, UseMap::Adn,
     card::gsm_file::kExt1},
    {kFdnFile, 3, card::load_mask::kFdn, 5004, 5005, CachedFile::Fdn, CachedFile::Ext2, UseMap::Ext2, UseMap::Fdn,
     card::gsm_file::kExt2},
    {kMsisdnFile, 9, card::load_mask::kMsisdn, 5013, 0, CachedFile::Msisdn, CachedFile::Ext1, UseMap::Ext1,
     UseMap::Msisdn, card::gsm_file::kExt1},
    {kLndFile, 13, card::load_mask::kLnd, 5012, 0, CachedFile::Lnd, CachedFile::Ext1, UseMap::Ext1, UseMap::Lnd,
     card::gsm_file::kExt1},
};

}  // namespace

const FileKind* FindKind(std::uint16_t ef) {
    for (const FileKind& kind : kKinds) {
        if (kind.ef == ef) return &kind;
    }
    return nullptr;
}

std::vector<const FileKind*> FilesSharingExtensions(const FileKind& kind) {
    std::vector<const FileKind*> others;
    for (const FileKind& other : kKinds) {
        if (other.ef != kind.ef && other.extensionImage == kind.extensionImage) others.push_back(&other);
    }
    return others;
}

bool FailAndClear(card::CardSession& session, reader::ReaderResult code) {
    session.SetLastResult(code);
    session.ClearCache();
    return false;
}

bool SelectPhoneBookFile(card::CardSession& session, const FileKind& kind, card::EfInformation& info) {
    if (session.Host().CurrentReader() == nullptr) return FailAndClear(session, result::kReaderInaccessible);
    if (!session.HasService(kind.service)) return FailAndClear(session, result::kFileNotAccessible);
    if (!session.FileHeader(card::gsm_file::kTelecomDirectory, kind.ef, info)) {
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
        const std::span<std::uint8_t> extension = extensions.Record(next);
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
