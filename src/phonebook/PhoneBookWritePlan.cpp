#include "phonebook/PhoneBookWritePlan.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "card/RecordPlacement.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/PhoneBookFiles.h"

namespace quillet::phonebook {

namespace {

using card::FileImage;
using Bytes = std::vector<std::uint8_t>;

// Extension identifiers are one byte and 0xFF means none, so record 255 can never be linked.
constexpr std::size_t kHighestLinkableExtension = 254;

bool SameContent(const PhoneBookEntry& a, const PhoneBookEntry& b) {
    return (a.used != 0) == (b.used != 0) && NameBytes(a) == NameBytes(b) &&
           std::strncmp(a.number, b.number, sizeof a.number) == 0 && a.ton == b.ton && a.npi == b.npi &&
           a.capabilityId == b.capabilityId;
}

bool IsFreeExtension(std::span<const std::uint8_t> extension) { return extension.empty() || extension[0] == 0xFF; }

// Walks the links from `next` on: every extension record reached is named, a free one or one
// already named ends the walk. Broken and circular chains end where they break.
void AddNamedFrom(std::size_t next, const FileImage& extensions, std::set<std::uint8_t>& named) {
    while (next != 0 && next != 0xFF && next <= extensions.Count() &&
           !named.contains(static_cast<std::uint8_t>(next))) {
        named.insert(static_cast<std::uint8_t>(next));
        const std::span<const std::uint8_t> extension = extensions.Record(next);
        if (IsFreeExtension(extension) || extension.size() < kExtensionRecordLength) return;
        next = extension[kExtensionRecordLength - 1];
    }
}

// The extension records a dialling record names, in use or not: a link a phone left to a free
// record still names it.
void AddNamedBy(std::span<const std::uint8_t> record, const FileImage& extensions, std::set<std::uint8_t>& named) {
    if (record.size() >= kDiallingFixedPart) AddNamedFrom(record.back(), extensions, named);
}

std::set<std::uint8_t> NamedBy(std::span<const std::uint8_t> record, const FileImage& extensions) {
    std::set<std::uint8_t> named;
    AddNamedBy(record, extensions, named);
    return named;
}

class Planner {
public:
    Planner(const PhoneBookOnCard& onCard, std::span<const PhoneBookEntry* const> target)
        : m_onCard(onCard), m_target(target), m_count(onCard.records.Count()) {
        m_result.records.resize(m_count + 1);
        m_final.resize(m_count + 1);
        m_encode.assign(m_count + 1, false);
    }

    std::optional<PhoneBookPlan> Plan() {
        DecideRecords();
        OrderWrites();
        FindNamedExtensions();
        if (!AllocateAndWrite()) return std::nullopt;
        FreeReleased();
        m_result.plan.itemCount = m_count;
        return std::move(m_result);
    }

private:
    std::span<const std::uint8_t> OldRecord(std::size_t number) const { return m_onCard.records.Record(number); }

    // Each record keeps its bytes, takes another record's or is to be encoded.
    void DecideRecords() {
        std::vector<PhoneBookEntry> decoded(m_count + 1);
        for (std::size_t number = 1; number <= m_count; ++number) {
            DecodeDiallingRecord(OldRecord(number), m_onCard.extensions, static_cast<std::uint16_t>(number - 1),
                                 decoded[number]);
        }
        const auto take = [&](std::size_t number, std::size_t source) {
            m_result.records[number].source = source;
            const std::span<const std::uint8_t> bytes = OldRecord(source);
            m_final[number].assign(bytes.begin(), bytes.end());
        };
        // A record serves one entry, never two, or they would share its chain.
        card::PairPlacedEntries(
            m_target,
            [&](const PhoneBookEntry& entry, std::size_t record) { return SameContent(decoded[record], entry); }, take);
        for (std::size_t number = 1; number <= m_count; ++number) {
            const PhoneBookEntry* entry = m_target[number];
            if (entry == nullptr || m_result.records[number].source != 0) continue;
            if (!entry->used) {
                if (IsDiallingRecordInUse(OldRecord(number))) {
                    m_final[number].assign(OldRecord(number).size(), 0xFF);
                } else {
                    take(number, number);  // a record that holds no entry stays as it is, whatever its other bytes
                }
                continue;
            }
            m_encode[number] = true;
        }
    }

    bool Rewritten(std::size_t number) const {
        return !std::equal(m_final[number].begin(), m_final[number].end(), OldRecord(number).begin(),
                           OldRecord(number).end()) ||
               m_encode[number];
    }

    // Records in ascending order, except that a record taking a moved entry's bytes goes before the
    // record the entry leaves, so a stop in between leaves the entry on the card twice, never nowhere.
    // Entries moved round in a circle cannot all be kept so: one of them is on the card twice for a
    // while, another not at all.
    void OrderWrites() {
        std::vector<std::size_t> movedTo(m_count + 1, 0);
        for (std::size_t number = 1; number <= m_count; ++number) {
            const std::size_t source = m_result.records[number].source;
            if (source != 0 && source != number) movedTo[source] = number;
        }
        m_position.assign(m_count + 1, 0);
        std::vector<bool> visiting(m_count + 1, false);
        const auto emit = [&](auto& self, std::size_t number) -> void {
            if (m_position[number] != 0 || visiting[number] || !Rewritten(number)) return;
            visiting[number] = true;
            if (movedTo[number] != 0) self(self, movedTo[number]);
            m_order.push_back(number);
            m_position[number] = m_order.size();
        };
        for (std::size_t number = 1; number <= m_count; ++number) emit(emit, number);
    }

    // A moved entry with a chain gets a copy of it in fresh records while there are enough, so the
    // record it leaves and its new record never share one; without them the two share it until the
    // old record is rewritten.
    void CopyMovedChains() {
        for (std::size_t number = 1; number <= m_count; ++number) {
            const std::size_t source = m_result.records[number].source;
            if (source == 0 || source == number || !Rewritten(source)) continue;
            const std::vector<std::uint8_t> chain = detail::ChainOf(OldRecord(source), m_onCard.extensions);
            if (chain.empty() || m_fresh.size() - m_nextFresh < chain.size()) continue;
            std::vector<std::uint8_t> copies(m_fresh.begin() + static_cast<std::ptrdiff_t>(m_nextFresh),
                                             m_fresh.begin() + static_cast<std::ptrdiff_t>(m_nextFresh + chain.size()));
            m_nextFresh += chain.size();
            CopiedChain& copied = m_copies[number];
            for (std::size_t link = 0; link < chain.size(); ++link) {
                const std::span<const std::uint8_t> original = m_onCard.extensions.Record(chain[link]);
                Bytes record(original.begin(), original.end());
                record[kExtensionRecordLength - 1] = link + 1 < chain.size() ? copies[link + 1] : 0xFF;
                copied.push_back({copies[link], std::move(record)});
                m_allocated.insert(copies[link]);
                m_result.plan.staleChecks.push_back({m_onCard.extensionFile, chain[link]});
            }
            m_final[number].back() = copies.front();
        }
    }

    // What stays named after the write, what is free to take, and what rewritten records release.
    void FindNamedExtensions() {
        const FileImage& extensions = m_onCard.extensions;
        std::set<std::uint8_t> namedNow;
        for (const FileImage& other : m_onCard.sharing) {
            for (std::size_t number = 1; number <= other.Count(); ++number) {
                AddNamedBy(other.Record(number), extensions, m_keptNamed);
            }
        }
        namedNow = m_keptNamed;
        for (std::size_t number = 1; number <= m_count; ++number) AddNamedBy(OldRecord(number), extensions, namedNow);
        // Records in use that nothing names keep what they name: a chain may continue from them.
        for (std::size_t e = 1; e <= extensions.Count(); ++e) {
            const std::span<const std::uint8_t> extension = extensions.Record(e);
            if (IsFreeExtension(extension) || namedNow.contains(static_cast<std::uint8_t>(e)) ||
                extension.size() < kExtensionRecordLength) {
                continue;
            }
            const std::uint8_t next = extension[kExtensionRecordLength - 1];
            AddNamedFrom(next, extensions, m_keptNamed);
            AddNamedFrom(next, extensions, namedNow);
        }
        const std::size_t linkable = std::min<std::size_t>(extensions.Count(), kHighestLinkableExtension);
        for (const bool inUse : {false, true}) {
            if (inUse && !m_onCard.takesUnnamedRecords) break;
            for (std::size_t e = 1; e <= linkable; ++e) {
                if (!namedNow.contains(static_cast<std::uint8_t>(e)) &&
                    IsFreeExtension(extensions.Record(e)) != inUse) {
                    m_fresh.push_back(static_cast<std::uint8_t>(e));
                }
            }
        }
        CopyMovedChains();
        for (std::size_t number = 1; number <= m_count; ++number) {
            if (!m_encode[number]) AddNamedBy(m_final[number], extensions, m_keptNamed);
        }
        for (const std::size_t number : m_order) {
            for (std::uint8_t e : NamedBy(OldRecord(number), extensions)) {
                if (!m_keptNamed.contains(e)) m_releasedAfter[e] = m_position[number];  // the last namer wins
            }
        }
    }

    // The next extension record record `number` may take; 0 when none is left.
    std::uint8_t TakeExtension(std::size_t number) {
        if (m_nextFresh < m_fresh.size()) return m_fresh[m_nextFresh++];
        for (const auto& [e, lastNamer] : m_releasedAfter) {
            if (lastNamer < m_position[number] && e <= kHighestLinkableExtension && !m_allocated.contains(e)) return e;
        }
        return 0;
    }

    void AddWrite(card::CachedFile file, std::size_t number, Bytes bytes, std::size_t item) {
        m_result.plan.writes.push_back({{file, number}, std::move(bytes), item});
    }

    // Chains and records in their order, each record after its new chain.
    bool AllocateAndWrite() {
        for (const std::size_t number : m_order) {
            RecordOutcome& outcome = m_result.records[number];
            if (m_encode[number] && !Encode(number)) return false;
            for (auto& [extension, bytes] : m_copies[number]) {
                m_result.plan.staleChecks.push_back({m_onCard.extensionFile, extension});
                AddWrite(m_onCard.extensionFile, extension, std::move(bytes), 0);
            }
            // A record the caches show empty may have been filled by a phone since, and a moved
            // entry's bytes must still be what the card holds.
            if (!IsDiallingRecordInUse(OldRecord(number)) && IsDiallingRecordInUse(m_final[number])) {
                m_result.plan.staleChecks.push_back({m_onCard.file, number});
            }
            if (outcome.source != 0 && outcome.source != number) {
                m_result.plan.staleChecks.push_back({m_onCard.file, outcome.source});
            }
            AddWrite(m_onCard.file, number, m_final[number], number);
            outcome.settledAfter = m_result.plan.writes.size();
        }
        return true;
    }

    bool Encode(std::size_t number) {
        const PhoneBookEntry& entry = *m_target[number];
        std::vector<std::uint8_t> chainNumbers;
        for (std::size_t needed = ExtensionRecordsNeeded(entry); chainNumbers.size() < needed;) {
            const std::uint8_t e = TakeExtension(number);
            if (e == 0) return false;
            m_allocated.insert(e);
            chainNumbers.push_back(e);
        }
        const std::vector<std::uint8_t> nibbles = NumberNibbles(entry);
        const std::span<const std::uint8_t> beyond = nibbles.size() > kDigitsPerRecord
                                                         ? std::span(nibbles).subspan(kDigitsPerRecord)
                                                         : std::span<const std::uint8_t>();
        const std::vector<Bytes> chain = EncodeExtensionChain(beyond, chainNumbers);
        for (std::size_t link = 0; link < chain.size(); ++link) {
            Bytes extension = chain[link];
            extension.resize(m_onCard.extensions.RecordLength(), 0xFF);
            m_result.plan.staleChecks.push_back({m_onCard.extensionFile, chainNumbers[link]});
            AddWrite(m_onCard.extensionFile, chainNumbers[link], std::move(extension), 0);
        }
        m_final[number] =
            EncodeDiallingRecord(entry, OldRecord(number).size(), chainNumbers.empty() ? 0xFF : chainNumbers.front());
        PhoneBookEntry written;
        DecodeDiallingRecord(m_final[number], FileImage(std::span<const std::uint8_t>()), entry.index, written);
        if (NameBytes(written) != NameBytes(entry)) {
            m_result.records[number].nameCut = true;
            ++m_result.namesShortened;
        }
        return true;
    }

    // Released extension records nothing names any more are freed once every record is written.
    void FreeReleased() {
        for (const auto& [e, lastNamer] : m_releasedAfter) {
            const std::span<const std::uint8_t> extension = m_onCard.extensions.Record(e);
            if (m_allocated.contains(e) || IsFreeExtension(extension)) continue;
            AddWrite(m_onCard.extensionFile, e, Bytes(extension.size(), 0xFF), 0);
        }
    }

    const PhoneBookOnCard& m_onCard;
    std::span<const PhoneBookEntry* const> m_target;
    const std::size_t m_count;
    PhoneBookPlan m_result;
    std::vector<Bytes> m_final;  // each record's bytes after the write (encoded ones once planned)
    std::vector<bool> m_encode;
    std::set<std::uint8_t> m_keptNamed;  // named after the write by records that stay
    std::vector<std::uint8_t> m_fresh;   // named by nothing: free records first
    std::size_t m_nextFresh = 0;
    std::map<std::uint8_t, std::size_t> m_releasedAfter;  // released record -> when its last namer is written
    std::set<std::uint8_t> m_allocated;
    std::vector<std::size_t> m_order;     // the records to write, in order
    std::vector<std::size_t> m_position;  // each record's place in that order (1-based); 0: not written
    using CopiedChain = std::vector<std::pair<std::uint8_t, Bytes>>;
    std::map<std::size_t, CopiedChain> m_copies;  // fresh copies of moved entries' chains
};

}  // namespace

std::optional<PhoneBookPlan> PlanPhoneBookWrite(const PhoneBookOnCard& onCard,
                                                std::span<const PhoneBookEntry* const> target) {
    if (target.size() != static_cast<std::size_t>(onCard.records.Count()) + 1) return std::nullopt;
    return Planner(onCard, target).Plan();
}

}  // namespace quillet::phonebook
