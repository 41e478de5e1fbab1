#include "phonebook/PhoneBookTransfer.h"

#include <algorithm>
#include <set>
#include <string>

#include "card/FileImage.h"
#include "card/RecordPlacement.h"
#include "phonebook/DiallingRecord.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

namespace result = reader::result;
using card::CachedFile;
using card::FileImage;
using card::UseMap;

constexpr std::uint16_t kTelecom = 0x7F10;

struct FileKind {
    std::uint16_t ef;
    unsigned service;
    std::uint32_t loadMask;
    std::uint32_t readText;
    std::uint32_t writeText;
    CachedFile image;
    CachedFile extensionImage;
    UseMap extensionMap;
    std::uint16_t extensionEf;
    std::uint8_t otherKinds;  // extension references from other files, which a write must keep
};

constexpr FileKind kKinds[] = {
    {kAdnFile, 2, card::load_mask::kAdn, 5001, 5003, CachedFile::Adn, CachedFile::Ext1, UseMap::Ext1, 0x6F4A, 0xC0},
    {kFdnFile, 3, card::load_mask::kFdn, 5004, 5005, CachedFile::Fdn, CachedFile::Ext2, UseMap::Ext2, 0x6F4B, 0x00},
    {kMsisdnFile, 9, card::load_mask::kMsisdn, 5013, 0, CachedFile::Msisdn, CachedFile::Ext1, UseMap::Ext1, 0x6F4A,
     0xA0},
    {kLndFile, 13, card::load_mask::kLnd, 5012, 0, CachedFile::Lnd, CachedFile::Ext1, UseMap::Ext1, 0x6F4A, 0x60},
};

const FileKind* FindKind(std::uint16_t ef) {
    for (const FileKind& kind : kKinds) {
        if (kind.ef == ef) return &kind;
    }
    return nullptr;
}

bool FailAndClear(card::CardSession& session, reader::ReaderResult code) {
    session.SetLastResult(code);
    session.ClearCache();
    return false;
}

// Selects the file, refusing an invalidated one; gives its record layout.
bool SelectPhoneBookFile(card::CardSession& session, const FileKind& kind, card::EfInformation& info) {
    if (session.Host().CurrentReader() == nullptr) return FailAndClear(session, result::kReaderInaccessible);
    if (!session.HasService(kind.service)) return FailAndClear(session, result::kFileNotAccessible);
    if (!session.FileHeader(kTelecom, kind.ef, info)) {
        session.ClearCache();
        return false;
    }
    if (!info.IsValid()) return FailAndClear(session, result::kInaccessibleRecord);
    if (info.RecordLength() < kDiallingFixedPart) return FailAndClear(session, result::kNonSpecific);
    return true;
}

// The extension records a record's chain runs through, as far as they are valid and in use.
std::vector<std::uint8_t> ChainOf(std::span<const std::uint8_t> record, const FileImage& extensions,
                                  const std::vector<std::uint8_t>& extensionUse) {
    std::vector<std::uint8_t> chain;
    if (record.empty() || record[record.size() - kDiallingFixedPart] == 0xFF) return chain;
    std::size_t next = record.back();
    while (next != 0 && next != 0xFF && next <= extensions.Count() && (extensionUse[next] & 0x01) &&
           std::find(chain.begin(), chain.end(), next) == chain.end()) {
        chain.push_back(static_cast<std::uint8_t>(next));
        next = extensions.Record(next)[kExtensionRecordLength - 1];
    }
    return chain;
}

}  // namespace

bool ReadPhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                   PhoneBookInfo& info) {
    const FileKind* kind = FindKind(ef);
    if (kind == nullptr) return FailAndClear(session, result::kNonSpecific);
    card::EfInformation header;
    if (!SelectPhoneBookFile(session, *kind, header)) return false;

    const std::size_t recordLength = header.RecordLength();
    const std::size_t count = std::min<std::size_t>(header.FileSize() / recordLength, entries.size());
    info.entryCount = static_cast<std::uint32_t>(count);
    info.alphaLength = static_cast<std::uint32_t>(recordLength - kDiallingFixedPart);
    for (std::size_t position = 0; position < entries.size(); ++position) {
        entries[position] = PhoneBookEntry{};
        entries[position].index = static_cast<std::uint16_t>(position);
    }

    if (!session.LoadCardFiles(kind->loadMask, kind->readText)) {
        session.ClearCache();
        return false;
    }
    auto& image = session.Caches().Image(kind->image);
    auto& extensionImage = session.Caches().Image(kind->extensionImage);
    if (!image || !extensionImage) return FailAndClear(session, result::kNonSpecific);
    const FileImage records(*image);
    const FileImage extensions(*extensionImage);
    for (std::size_t position = 0; position < count; ++position) {
        DecodeDiallingRecord(records.Record(position + 1), extensions, static_cast<std::uint16_t>(position),
                             entries[position]);
    }
    session.SetLastResult(result::kOk);
    return true;
}

bool WritePhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                    PhoneBookWriteReport& report) {
    report = PhoneBookWriteReport{};
    const FileKind* kind = FindKind(ef);
    if (kind == nullptr || kind->writeText == 0) return FailAndClear(session, result::kNonSpecific);
    card::EfInformation header;
    if (!SelectPhoneBookFile(session, *kind, header)) return false;
    // The plan needs the card's present records and the use of every extension record, also by
    // the other files that share the extension file: from the caches, or read now.
    const std::uint32_t sharingMask =
        kind->ef == kAdnFile ? card::load_mask::kAdn | card::load_mask::kLnd | card::load_mask::kMsisdn : kind->loadMask;
    if (!session.LoadCardFiles(sharingMask, 0)) return false;
    auto& imageBytes = session.Caches().Image(kind->image);
    auto& extensionBytes = session.Caches().Image(kind->extensionImage);
    auto& extensionUseBytes = session.Caches().Map(kind->extensionMap);
    if (!imageBytes || !extensionBytes || !extensionUseBytes) return FailAndClear(session, result::kNonSpecific);
    const FileImage records(*imageBytes);
    const FileImage extensions(*extensionBytes);
    const std::vector<std::uint8_t> extensionUse = *extensionUseBytes;
    const std::size_t recordCount = records.Count();
    const std::size_t recordLength = records.RecordLength();

    // Which entry goes to which record.
    const std::optional<std::vector<PhoneBookEntry*>> placed = card::PlaceEntries(entries, recordCount);
    if (!placed) return FailAndClear(session, result::kPositionOverflow);
    const std::vector<PhoneBookEntry*>& target = *placed;

    // An unchanged entry keeps the card's own bytes and its extension chain.
    const auto keepsOriginal = [&](const PhoneBookEntry* entry) {
        return entry != nullptr && entry->used && !entry->modified && entry->index < recordCount;
    };
    std::set<std::uint8_t> kept;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        if (keepsOriginal(target[number])) {
            for (std::uint8_t e : ChainOf(records.Record(target[number]->index + 1u), extensions, extensionUse)) {
                kept.insert(e);
            }
        }
    }
    // Extension records used by other files are never touched.
    for (std::size_t e = 1; e <= extensions.Count(); ++e) {
        if (extensionUse[e] & kind->otherKinds) kept.insert(static_cast<std::uint8_t>(e));
    }
    // Free records first; then the old chains of the records this write replaces.
    std::vector<std::uint8_t> available;
    for (std::size_t e = 1; e <= extensions.Count(); ++e) {
        if ((extensionUse[e] & 0x01) == 0) available.push_back(static_cast<std::uint8_t>(e));
    }
    std::vector<std::uint8_t> released;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        for (std::uint8_t e : ChainOf(records.Record(number), extensions, extensionUse)) {
            if (!kept.contains(e) && std::find(released.begin(), released.end(), e) == released.end()) {
                released.push_back(e);
            }
        }
    }
    available.insert(available.end(), released.begin(), released.end());

    // Plan every record before the first command.
    struct Planned {
        std::vector<std::uint8_t> record;
        std::vector<std::uint8_t> chainNumbers;
        std::vector<std::vector<std::uint8_t>> chain;
    };
    std::vector<Planned> plan(recordCount + 1);
    std::size_t nextAvailable = 0;
    std::set<std::uint8_t> used;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        const PhoneBookEntry* entry = target[number];
        Planned& planned = plan[number];
        if (keepsOriginal(entry)) {
            const std::span<std::uint8_t> original = records.Record(entry->index + 1u);
            planned.record.assign(original.begin(), original.end());
            continue;
        }
        if (entry == nullptr || !entry->used) {
            planned.record.assign(recordLength, 0xFF);
            continue;
        }
        const std::size_t needed = ExtensionRecordsNeeded(*entry);
        if (available.size() - nextAvailable < needed) return FailAndClear(session, result::kExtensionOverflow);
        planned.chainNumbers.assign(available.begin() + static_cast<std::ptrdiff_t>(nextAvailable),
                                    available.begin() + static_cast<std::ptrdiff_t>(nextAvailable + needed));
        nextAvailable += needed;
        used.insert(planned.chainNumbers.begin(), planned.chainNumbers.end());
        const std::vector<std::uint8_t> nibbles = NumberNibbles(*entry);
        const std::span<const std::uint8_t> beyond =
            nibbles.size() > kDigitsPerRecord ? std::span(nibbles).subspan(kDigitsPerRecord) : std::span<const std::uint8_t>();
        planned.chain = EncodeExtensionChain(beyond, planned.chainNumbers);
        planned.record = EncodeDiallingRecord(*entry, recordLength,
                                              planned.chainNumbers.empty() ? 0xFF : planned.chainNumbers.front());
    }

    // Write: each record's extension records first, then the record; the released extension
    // records no record points to any more are freed last.
    const auto writeRecord = [&](std::uint16_t fileId, const FileImage& image, std::size_t number,
                                 const std::vector<std::uint8_t>& bytes) {
        const std::span<std::uint8_t> cached = image.Record(number);
        if (std::equal(bytes.begin(), bytes.end(), cached.begin(), cached.end())) return true;
        std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
        if (!session.WriteFileRecord(kTelecom, fileId, bytes, length, static_cast<std::uint8_t>(number), 4)) {
            // What the card holds now is not known for sure: read it afresh next time.
            const reader::ReaderResult code = session.LastResult();
            session.ClearCache();
            session.SetLastResult(code);
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), cached.begin());
        return true;
    };
    for (std::size_t number = 1; number <= recordCount; ++number) {
        if (!session.StepProgress(card::FormatItemText(resources::LoadString(kind->writeText),
                                                        static_cast<unsigned>(number),
                                                        static_cast<unsigned>(recordCount)),
                                  static_cast<unsigned>(100 * number / recordCount))) {
            session.SetLastResult(result::kCancelledByUser);
            session.LoadCardFiles(sharingMask, 0);
            session.SetLastResult(result::kCancelledByUser);
            return false;
        }
        const Planned& planned = plan[number];
        for (std::size_t link = 0; link < planned.chain.size(); ++link) {
            std::vector<std::uint8_t> extension = planned.chain[link];
            extension.resize(extensions.RecordLength(), 0xFF);
            if (!writeRecord(kind->extensionEf, extensions, planned.chainNumbers[link], extension)) return false;
            ++report.extensionRecordsWritten;
        }
        const bool changed = !std::equal(planned.record.begin(), planned.record.end(), records.Record(number).begin(),
                                         records.Record(number).end());
        if (!writeRecord(kind->ef, records, number, planned.record)) return false;
        if (changed) ++report.recordsWritten;
    }
    for (std::uint8_t e : released) {
        if (used.contains(e)) continue;
        if (!writeRecord(kind->extensionEf, extensions, e, std::vector<std::uint8_t>(extensions.RecordLength(), 0xFF))) {
            return false;
        }
        ++report.extensionRecordsWritten;
    }

    for (std::size_t number = 1; number <= recordCount; ++number) {
        if (target[number] != nullptr) {
            target[number]->index = static_cast<std::uint16_t>(number - 1);
            target[number]->modified = 0;
        }
    }
    // Rebuild the record-use maps from the updated images; no command goes to the card.
    if (!session.LoadCardFiles(sharingMask, 0)) return false;
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace quillet::phonebook
