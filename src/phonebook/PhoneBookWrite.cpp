// Writing a phone book to ADN or FDN without losing what the user did not change.
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
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

// The card's present records of the file and of its extension file.
struct CardRecords {
    FileImage records;
    FileImage extensions;
};

// What becomes of one record of the file.
struct RecordPlan {
    enum class Action { KeepOwn, Original, Encode, Empty } action = Action::KeepOwn;
    std::size_t source = 0;  // Original: the record whose bytes move here
    std::vector<std::uint8_t> bytes;
    std::size_t extensionsNeeded = 0;  // Encode: the length of its new chain
    std::vector<std::uint8_t> chainNumbers;
    std::vector<std::vector<std::uint8_t>> chain;
    bool done = false;
};

// What becomes of the whole file; every vector is indexed by record number (1-based).
struct FilePlan {
    std::vector<RecordPlan> records;
    std::vector<std::vector<std::uint8_t>> oldChain;  // the chain each record links to on the card now
    std::map<std::uint8_t, std::size_t> oldOwner;     // the first record linking to an extension record now
    std::set<std::uint8_t> kept;                      // extension records that must stay as they are
    std::set<std::uint8_t> allocated;                 // extension records the new chains use

    std::size_t Count() const { return records.size() - 1; }
};

// The plan needs the present records of this file and of every file sharing its extension file:
// from the caches, or read now.
std::optional<CardRecords> LoadCardRecords(card::CardSession& session, const FileKind& kind,
                                           const std::vector<const FileKind*>& sharing) {
    std::uint32_t mask = kind.file.loadBit;
    for (const FileKind* other : sharing) mask |= other->file.loadBit;
    if (!session.LoadCardFiles(mask, 0)) return std::nullopt;
    const std::optional<FileImage> records = session.Cache().Image(*kind.file.image);
    const std::optional<FileImage> extensions = session.Cache().Image(*kind.extension.image);
    if (!records || !extensions || (extensions->Count() > 0 && extensions->RecordLength() < kExtensionRecordLength)) {
        FailAndClear(session, result::kNonSpecific);
        return std::nullopt;
    }
    return CardRecords{*records, *extensions};
}

// The plan before any record is decided: the chains on the card, and the extension records of the
// other files sharing the extension file, which must stay as they are.
FilePlan StartPlan(const card::CardSession& session, const std::vector<const FileKind*>& sharing,
                   const CardRecords& onCard) {
    const std::size_t count = onCard.records.Count();
    FilePlan plan;
    plan.records.resize(count + 1);
    for (const FileKind* other : sharing) {
        const std::optional<FileImage> otherRecords = session.Cache().Image(*other->file.image);
        if (!otherRecords) continue;
        for (std::size_t number = 1; number <= otherRecords->Count(); ++number) {
            for (std::uint8_t e : ChainOf(otherRecords->Record(number), onCard.extensions)) plan.kept.insert(e);
        }
    }
    plan.oldChain.resize(count + 1);
    for (std::size_t number = 1; number <= count; ++number) {
        plan.oldChain[number] = ChainOf(onCard.records.Record(number), onCard.extensions);
        for (std::uint8_t e : plan.oldChain[number]) plan.oldOwner.emplace(e, number);
    }
    return plan;
}

// Decides each record. An entry keeps the card's bytes when they still decode to it, whatever its
// `modified` mark says, and each record's bytes serve one entry at most. Records whose bytes stay or
// move unchanged keep their chains too.
void PlanRecords(const std::vector<PhoneBookEntry*>& target, const CardRecords& onCard, FilePlan& plan) {
    std::vector<bool> sourceTaken(plan.Count() + 1, false);
    for (std::size_t number = 1; number <= plan.Count(); ++number) {
        const PhoneBookEntry* entry = target[number];
        RecordPlan& planned = plan.records[number];
        if (entry == nullptr) {
            planned.action = RecordPlan::Action::KeepOwn;
            planned.source = number;
        } else if (entry->used && entry->index < plan.Count() && !sourceTaken[entry->index + 1u]) {
            PhoneBookEntry original;
            DecodeDiallingRecord(onCard.records.Record(entry->index + 1u), onCard.extensions, entry->index, original);
            if (SameContent(original, *entry)) {
                planned.action = RecordPlan::Action::Original;
                planned.source = entry->index + 1u;
                sourceTaken[planned.source] = true;
            } else {
                planned.action = RecordPlan::Action::Encode;
            }
        } else if (!entry->used && !IsDiallingRecordInUse(onCard.records.Record(number))) {
            // A record that holds no entry already stays as it is, whatever its other bytes.
            planned.action = RecordPlan::Action::KeepOwn;
            planned.source = number;
        } else {
            planned.action = entry->used ? RecordPlan::Action::Encode : RecordPlan::Action::Empty;
        }
        if (planned.action == RecordPlan::Action::KeepOwn || planned.action == RecordPlan::Action::Original) {
            const std::span<const std::uint8_t> source = onCard.records.Record(planned.source);
            planned.bytes.assign(source.begin(), source.end());
            for (std::uint8_t e : plan.oldChain[planned.source]) plan.kept.insert(e);
        } else if (planned.action == RecordPlan::Action::Empty) {
            planned.bytes.assign(onCard.records.RecordLength(), 0xFF);
        }
    }
}

// A record to encode first reuses what it can of its own old chain. Returns every extension record
// so reserved.
std::set<std::uint8_t> ReserveOwnChains(const std::vector<PhoneBookEntry*>& target, FilePlan& plan) {
    std::set<std::uint8_t> reserved;
    for (std::size_t number = 1; number <= plan.Count(); ++number) {
        RecordPlan& planned = plan.records[number];
        if (planned.action != RecordPlan::Action::Encode) continue;
        planned.extensionsNeeded = ExtensionRecordsNeeded(*target[number]);
        for (std::uint8_t e : plan.oldChain[number]) {
            if (planned.chainNumbers.size() == planned.extensionsNeeded) break;
            if (!plan.kept.contains(e) && e <= kHighestLinkableExtension) {
                planned.chainNumbers.push_back(e);
                reserved.insert(e);
            }
        }
    }
    return reserved;
}

// The extension records new chains may take, in the order they are taken: free records, then
// records in use that nothing links to, then what other records release (lower records first: they
// are rewritten earlier).
std::vector<std::uint8_t> FreeExtensionPool(const card::CardSession& session, const FileKind& kind,
                                            const FileImage& extensions, const FilePlan& plan,
                                            const std::set<std::uint8_t>& reserved) {
    std::vector<std::uint8_t> pool;
    const std::size_t linkable = std::min<std::size_t>(extensions.Count(), kHighestLinkableExtension);
    for (std::size_t e = 1; e <= linkable; ++e) {
        if (extensions.Record(e)[0] == 0xFF && !plan.kept.contains(static_cast<std::uint8_t>(e))) {
            pool.push_back(static_cast<std::uint8_t>(e));
        }
    }
    for (std::size_t e = 1; e <= linkable; ++e) {
        const auto record = static_cast<std::uint8_t>(e);
        if (extensions.Record(e)[0] != 0xFF && !plan.oldOwner.contains(record) && !plan.kept.contains(record) &&
            (session.Cache().RecordUse(*kind.extension.useMap, e) & ~card::extension_use::kInUse) == 0) {
            pool.push_back(record);
        }
    }
    for (std::size_t number = 1; number <= plan.Count(); ++number) {
        for (std::uint8_t e : plan.oldChain[number]) {
            if (!plan.kept.contains(e) && !reserved.contains(e) && e <= kHighestLinkableExtension &&
                std::find(pool.begin(), pool.end(), e) == pool.end()) {
                pool.push_back(e);
            }
        }
    }
    return pool;
}

// Completes each chain from the pool and encodes the record and its chain. False when the pool
// runs dry.
bool AllocateChains(const std::vector<PhoneBookEntry*>& target, std::size_t recordLength,
                    const std::vector<std::uint8_t>& pool, FilePlan& plan) {
    std::size_t nextInPool = 0;
    for (std::size_t number = 1; number <= plan.Count(); ++number) {
        RecordPlan& planned = plan.records[number];
        if (planned.action != RecordPlan::Action::Encode) continue;
        while (planned.chainNumbers.size() < planned.extensionsNeeded && nextInPool < pool.size()) {
            planned.chainNumbers.push_back(pool[nextInPool++]);
        }
        if (planned.chainNumbers.size() < planned.extensionsNeeded) return false;
        plan.allocated.insert(planned.chainNumbers.begin(), planned.chainNumbers.end());
        const std::vector<std::uint8_t> nibbles = NumberNibbles(*target[number]);
        const std::span<const std::uint8_t> beyond = nibbles.size() > kDigitsPerRecord
                                                         ? std::span(nibbles).subspan(kDigitsPerRecord)
                                                         : std::span<const std::uint8_t>();
        planned.chain = EncodeExtensionChain(beyond, planned.chainNumbers);
        planned.bytes = EncodeDiallingRecord(*target[number], recordLength,
                                             planned.chainNumbers.empty() ? 0xFF : planned.chainNumbers.front());
    }
    return true;
}

// Carries a finished plan to the card. Each record's extension records go first, then the record; a
// record that takes extension records another record still points to waits until that record is
// rewritten.
class PlanWriter {
public:
    PlanWriter(card::CardSession& session, const FileKind& kind, const FileImage& extensions,
               const std::vector<PhoneBookEntry*>& target, FilePlan& plan, PhoneBookWriteReport& report)
        : m_session(session),
          m_kind(kind),
          m_extensions(extensions),
          m_target(target),
          m_plan(plan),
          m_report(report) {}

    bool Write() {
        if (!WriteInOrder() || !FreeReleasedExtensions()) return false;
        // The images now equal the card; the session dropped the record-use maps the writes made stale.
        SettleEntries();
        m_session.SetLastResult(result::kOk);
        return true;
    }

private:
    bool WriteRecord(card::CachedFile file, std::size_t number, const std::vector<std::uint8_t>& bytes,
                     std::uint32_t& counter) {
        const card::CardSession::RecordWrite written = m_session.WriteCachedRecord(file, number, bytes);
        if (written == card::CardSession::RecordWrite::Written) ++counter;
        return written != card::CardSession::RecordWrite::Failed;
    }

    bool Ready(std::size_t number) const {
        for (std::uint8_t e : m_plan.records[number].chainNumbers) {
            const auto owner = m_plan.oldOwner.find(e);
            if (owner != m_plan.oldOwner.end() && owner->second != number && !m_plan.records[owner->second].done) {
                return false;
            }
        }
        return true;
    }

    bool WriteInOrder() {
        std::size_t finished = 0;
        bool progressMade = true;
        bool forceOrder = false;
        while (finished < m_plan.Count()) {
            if (!progressMade) forceOrder = true;  // extension records passed round in a circle
            progressMade = false;
            for (std::size_t number = 1; number <= m_plan.Count(); ++number) {
                if (m_plan.records[number].done || (!forceOrder && !Ready(number))) continue;
                if (!WritePlannedRecord(number, finished + 1)) return false;
                ++finished;
                progressMade = true;
            }
        }
        return true;
    }

    // Writes one record and its chain as the `position`th of the file.
    bool WritePlannedRecord(std::size_t number, std::size_t position) {
        RecordPlan& planned = m_plan.records[number];
        const std::size_t count = m_plan.Count();
        const std::string text = card::FormatItemText(resources::LoadString(m_kind.writeText),
                                                      static_cast<unsigned>(position), static_cast<unsigned>(count));
        if (!m_session.StepProgress(text, static_cast<unsigned>(100 * position / count))) {
            return Stop(result::kCancelledByUser);
        }
        for (std::size_t link = 0; link < planned.chain.size(); ++link) {
            std::vector<std::uint8_t> extension = planned.chain[link];
            extension.resize(m_extensions.RecordLength(), 0xFF);
            if (!WriteRecord(*m_kind.extension.image, planned.chainNumbers[link], extension,
                             m_report.extensionRecordsWritten)) {
                return Stop(m_session.LastResult());
            }
        }
        const std::uint32_t before = m_report.recordsWritten;
        if (!WriteRecord(*m_kind.file.image, number, planned.bytes, m_report.recordsWritten)) {
            return Stop(m_session.LastResult());
        }
        if (m_report.recordsWritten != before) m_rewrittenRecords.insert(number);
        planned.done = true;
        return true;
    }

    // Released extension records that no record links to any more are freed last.
    bool FreeReleasedExtensions() {
        for (const auto& [e, owner] : m_plan.oldOwner) {
            if (m_plan.kept.contains(e) || m_plan.allocated.contains(e)) continue;
            if (!WriteRecord(*m_kind.extension.image, e, std::vector<std::uint8_t>(m_extensions.RecordLength(), 0xFF),
                             m_report.extensionRecordsWritten)) {
                return Stop(m_session.LastResult());
            }
        }
        return true;
    }

    // Marks what reached the card, so a write stopped half-way leaves the editor truthful.
    void SettleEntries() {
        for (std::size_t number = 1; number <= m_plan.Count(); ++number) {
            PhoneBookEntry* entry = m_target[number];
            if (entry == nullptr) continue;
            const RecordPlan& planned = m_plan.records[number];
            if (planned.done) {
                entry->index = static_cast<std::uint16_t>(number - 1);
                entry->modified = 0;
            } else if (planned.action == RecordPlan::Action::Original && m_rewrittenRecords.contains(planned.source)) {
                entry->modified = 1;  // its card bytes are gone: the fields are all that is left
            }
        }
    }

    bool Stop(reader::ReaderResult code) {
        SettleEntries();
        m_session.SetLastResult(code);
        return false;
    }

    card::CardSession& m_session;
    const FileKind& m_kind;
    const FileImage& m_extensions;
    const std::vector<PhoneBookEntry*>& m_target;
    FilePlan& m_plan;
    PhoneBookWriteReport& m_report;
    std::set<std::size_t> m_rewrittenRecords;
};

}  // namespace

bool WritePhoneBook(card::CardSession& session, std::uint16_t ef, std::span<PhoneBookEntry> entries,
                    PhoneBookWriteReport& report) {
    report = PhoneBookWriteReport{};
    const FileKind* kind = detail::FindKind(ef);
    if (kind == nullptr || kind->writeText == 0) return FailAndClear(session, result::kNonSpecific);
    card::EfInformation header;
    if (!detail::SelectPhoneBookFile(session, *kind, header)) return false;

    const std::vector<const FileKind*> sharing = detail::FilesSharingExtensions(*kind);
    const std::optional<CardRecords> onCard = LoadCardRecords(session, *kind, sharing);
    if (!onCard) return false;
    const std::optional<std::vector<PhoneBookEntry*>> placed = card::PlaceEntries(entries, onCard->records.Count());
    if (!placed) return FailAndClear(session, result::kPositionOverflow);
    const std::vector<PhoneBookEntry*>& target = *placed;

    FilePlan plan = StartPlan(session, sharing, *onCard);
    PlanRecords(target, *onCard, plan);
    const std::set<std::uint8_t> reserved = ReserveOwnChains(target, plan);
    const std::vector<std::uint8_t> pool = FreeExtensionPool(session, *kind, onCard->extensions, plan, reserved);
    if (!AllocateChains(target, onCard->records.RecordLength(), pool, plan)) {
        return FailAndClear(session, result::kExtensionOverflow);
    }
    return PlanWriter(session, *kind, onCard->extensions, target, plan, report).Write();
}

}  // namespace quillet::phonebook
