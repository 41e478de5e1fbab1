// Writing a phone book to ADN or FDN without losing what the user did not change.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/ProgressWindow.h"
#include "card/RecordPlacement.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookFiles.h"
#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

namespace result = reader::result;
using card::FileImage;
using detail::ChainOf;
using detail::FailAndClear;
using detail::FileKind;

// Extension identifiers are one byte and 0xFF means none, so record 255 can never be linked.
constexpr std::size_t kHighestLinkableExtension = 254;

bool SameContent(const PhoneBookEntry& a, const PhoneBookEntry& b) {
    return (a.used != 0) == (b.used != 0) && NameBytes(a) == NameBytes(b) &&
           std::strncmp(a.number, b.number, sizeof a.number) == 0 && a.ton == b.ton && a.npi == b.npi &&
           a.capabilityId == b.capabilityId;
}

// What becomes of one record of the file.
struct RecordPlan {
    enum class Action { KeepOwn, Original, Encode, Empty } action = Action::KeepOwn;
    std::size_t source = 0;  // Original: the record whose bytes move here
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> chainNumbers;
    std::vector<std::vector<std::uint8_t>> chain;
    bool done = false;
};

}  // namespace

bool WritePhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                    PhoneBookWriteReport& report) {
    report = PhoneBookWriteReport{};
    const FileKind* kind = detail::FindKind(ef);
    if (kind == nullptr || kind->writeText == 0) return FailAndClear(session, result::kNonSpecific);
    card::EfInformation header;
    if (!detail::SelectPhoneBookFile(session, *kind, header)) return false;

    // The plan needs the present records of this file and of every file sharing its extension
    // file: from the caches, or read now.
    std::uint32_t mask = kind->file.loadBit;
    const std::vector<const FileKind*> sharing = detail::FilesSharingExtensions(*kind);
    for (const FileKind* other : sharing) mask |= other->file.loadBit;
    if (!session.LoadCardFiles(mask, 0)) return false;
    const std::optional<FileImage> cachedRecords = session.Cache().Image(*kind->file.image);
    const std::optional<FileImage> cachedExtensions = session.Cache().Image(*kind->extension.image);
    if (!cachedRecords || !cachedExtensions) return FailAndClear(session, result::kNonSpecific);
    const FileImage records = *cachedRecords;
    const FileImage extensions = *cachedExtensions;
    if (extensions.Count() > 0 && extensions.RecordLength() < kExtensionRecordLength) {
        return FailAndClear(session, result::kNonSpecific);
    }
    const std::size_t recordCount = records.Count();
    const std::size_t recordLength = records.RecordLength();

    const std::optional<std::vector<PhoneBookEntry*>> placed = card::PlaceEntries(entries, recordCount);
    if (!placed) return FailAndClear(session, result::kPositionOverflow);
    const std::vector<PhoneBookEntry*>& target = *placed;

    // Extension records that must stay as they are: those of the other files, and the chains of
    // records whose bytes stay or move unchanged.
    std::set<std::uint8_t> kept;
    for (const FileKind* other : sharing) {
        const std::optional<FileImage> otherRecords = session.Cache().Image(*other->file.image);
        if (!otherRecords) continue;
        for (std::size_t number = 1; number <= otherRecords->Count(); ++number) {
            for (std::uint8_t e : ChainOf(otherRecords->Record(number), extensions)) kept.insert(e);
        }
    }
    std::vector<std::vector<std::uint8_t>> oldChain(recordCount + 1);
    std::map<std::uint8_t, std::size_t> oldOwner;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        oldChain[number] = ChainOf(records.Record(number), extensions);
        for (std::uint8_t e : oldChain[number]) oldOwner.emplace(e, number);
    }

    // Decide each record. An entry keeps the card's bytes when they still decode to it, whatever
    // its `modified` mark says, and each record's bytes serve one entry at most.
    std::vector<RecordPlan> plan(recordCount + 1);
    std::vector<bool> sourceTaken(recordCount + 1, false);
    for (std::size_t number = 1; number <= recordCount; ++number) {
        const PhoneBookEntry* entry = target[number];
        RecordPlan& planned = plan[number];
        if (entry == nullptr) {
            planned.action = RecordPlan::Action::KeepOwn;
            planned.source = number;
        } else if (entry->used && entry->index < recordCount && !sourceTaken[entry->index + 1u]) {
            PhoneBookEntry original;
            DecodeDiallingRecord(records.Record(entry->index + 1u), extensions, entry->index, original);
            if (SameContent(original, *entry)) {
                planned.action = RecordPlan::Action::Original;
                planned.source = entry->index + 1u;
                sourceTaken[planned.source] = true;
            } else {
                planned.action = RecordPlan::Action::Encode;
            }
        } else if (!entry->used && !IsDiallingRecordInUse(records.Record(number))) {
            // A record that holds no entry already stays as it is, whatever its other bytes.
            planned.action = RecordPlan::Action::KeepOwn;
            planned.source = number;
        } else {
            planned.action = entry->used ? RecordPlan::Action::Encode : RecordPlan::Action::Empty;
        }
        if (planned.action == RecordPlan::Action::KeepOwn || planned.action == RecordPlan::Action::Original) {
            const std::span<const std::uint8_t> source = records.Record(planned.source);
            planned.bytes.assign(source.begin(), source.end());
            for (std::uint8_t e : oldChain[planned.source]) kept.insert(e);
        }
    }

    // Extension space: a record first reuses its own old chain, then free records, then records
    // in use that nothing links to, then what other records release (lower records first: they
    // are rewritten earlier).
    std::vector<std::size_t> needed(recordCount + 1, 0);
    std::map<std::size_t, std::vector<std::uint8_t>> reserved;
    std::set<std::uint8_t> reservedAll;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        if (plan[number].action != RecordPlan::Action::Encode) continue;
        needed[number] = ExtensionRecordsNeeded(*target[number]);
        for (std::uint8_t e : oldChain[number]) {
            if (reserved[number].size() == needed[number]) break;
            if (!kept.contains(e) && e <= kHighestLinkableExtension) {
                reserved[number].push_back(e);
                reservedAll.insert(e);
            }
        }
    }
    std::vector<std::uint8_t> pool;
    const std::size_t linkable = std::min<std::size_t>(extensions.Count(), kHighestLinkableExtension);
    for (std::size_t e = 1; e <= linkable; ++e) {
        if (extensions.Record(e)[0] == 0xFF && !kept.contains(static_cast<std::uint8_t>(e))) {
            pool.push_back(static_cast<std::uint8_t>(e));
        }
    }
    for (std::size_t e = 1; e <= linkable; ++e) {
        const auto record = static_cast<std::uint8_t>(e);
        if (extensions.Record(e)[0] != 0xFF && !oldOwner.contains(record) && !kept.contains(record) &&
            (session.Cache().RecordUse(*kind->extension.useMap, e) & ~card::extension_use::kInUse) == 0) {
            pool.push_back(record);
        }
    }
    for (std::size_t number = 1; number <= recordCount; ++number) {
        for (std::uint8_t e : oldChain[number]) {
            if (!kept.contains(e) && !reservedAll.contains(e) && e <= kHighestLinkableExtension &&
                std::find(pool.begin(), pool.end(), e) == pool.end()) {
                pool.push_back(e);
            }
        }
    }
    std::size_t nextInPool = 0;
    std::set<std::uint8_t> allocated;
    for (std::size_t number = 1; number <= recordCount; ++number) {
        RecordPlan& planned = plan[number];
        if (planned.action == RecordPlan::Action::Empty) planned.bytes.assign(recordLength, 0xFF);
        if (planned.action != RecordPlan::Action::Encode) continue;
        planned.chainNumbers = reserved[number];
        while (planned.chainNumbers.size() < needed[number] && nextInPool < pool.size()) {
            planned.chainNumbers.push_back(pool[nextInPool++]);
        }
        if (planned.chainNumbers.size() < needed[number]) return FailAndClear(session, result::kExtensionOverflow);
        allocated.insert(planned.chainNumbers.begin(), planned.chainNumbers.end());
        const std::vector<std::uint8_t> nibbles = NumberNibbles(*target[number]);
        const std::span<const std::uint8_t> beyond = nibbles.size() > kDigitsPerRecord
                                                         ? std::span(nibbles).subspan(kDigitsPerRecord)
                                                         : std::span<const std::uint8_t>();
        planned.chain = EncodeExtensionChain(beyond, planned.chainNumbers);
        planned.bytes = EncodeDiallingRecord(*target[number], recordLength,
                                             planned.chainNumbers.empty() ? 0xFF : planned.chainNumbers.front());
    }

    // Write. Each record's extension records go first, then the record; a record that takes
    // extension records another record still points to waits until that record is rewritten.
    std::set<std::size_t> rewrittenRecords;
    const auto writeRecord = [&](card::CachedFile file, std::size_t number, const std::vector<std::uint8_t>& bytes,
                                 std::uint32_t& counter) {
        const card::CardSession::RecordWrite written = session.WriteCachedRecord(file, number, bytes);
        if (written == card::CardSession::RecordWrite::Written) ++counter;
        return written != card::CardSession::RecordWrite::Failed;
    };
    const auto ready = [&](std::size_t number) {
        for (std::uint8_t e : plan[number].chainNumbers) {
            const auto owner = oldOwner.find(e);
            if (owner != oldOwner.end() && owner->second != number && !plan[owner->second].done) return false;
        }
        return true;
    };
    // Marks what reached the card, so a write stopped half-way leaves the editor truthful.
    const auto settleEntries = [&]() {
        for (std::size_t number = 1; number <= recordCount; ++number) {
            PhoneBookEntry* entry = target[number];
            if (entry == nullptr) continue;
            if (plan[number].done) {
                entry->index = static_cast<std::uint16_t>(number - 1);
                entry->modified = 0;
            } else if (plan[number].action == RecordPlan::Action::Original &&
                       rewrittenRecords.contains(plan[number].source)) {
                entry->modified = 1;  // its card bytes are gone: the fields are all that is left
            }
        }
    };
    const auto stop = [&](reader::ReaderResult code) {
        settleEntries();
        session.SetLastResult(code);
        return false;
    };

    std::size_t finished = 0;
    bool progressMade = true;
    bool forceOrder = false;
    while (finished < recordCount) {
        if (!progressMade) forceOrder = true;  // extension records passed round in a circle
        progressMade = false;
        for (std::size_t number = 1; number <= recordCount; ++number) {
            RecordPlan& planned = plan[number];
            if (planned.done || (!forceOrder && !ready(number))) continue;
            const std::string text =
                card::FormatItemText(resources::LoadString(kind->writeText), static_cast<unsigned>(finished + 1),
                                     static_cast<unsigned>(recordCount));
            if (!session.StepProgress(text, static_cast<unsigned>(100 * (finished + 1) / recordCount))) {
                return stop(result::kCancelledByUser);
            }
            for (std::size_t link = 0; link < planned.chain.size(); ++link) {
                std::vector<std::uint8_t> extension = planned.chain[link];
                extension.resize(extensions.RecordLength(), 0xFF);
                if (!writeRecord(*kind->extension.image, planned.chainNumbers[link], extension,
                                 report.extensionRecordsWritten)) {
                    return stop(session.LastResult());
                }
            }
            const std::uint32_t before = report.recordsWritten;
            if (!writeRecord(*kind->file.image, number, planned.bytes, report.recordsWritten)) {
                return stop(session.LastResult());
            }
            if (report.recordsWritten != before) rewrittenRecords.insert(number);
            planned.done = true;
            ++finished;
            progressMade = true;
        }
    }
    // Released extension records that no record links to any more are freed last.
    for (const auto& [e, owner] : oldOwner) {
        if (kept.contains(e) || allocated.contains(e)) continue;
        if (!writeRecord(*kind->extension.image, e, std::vector<std::uint8_t>(extensions.RecordLength(), 0xFF),
                         report.extensionRecordsWritten)) {
            return stop(session.LastResult());
        }
    }
    // The images now equal the card; the session dropped the record-use maps the writes made stale.
    settleEntries();
    session.SetLastResult(result::kOk);
    return true;
}

}  // namespace quillet::phonebook
