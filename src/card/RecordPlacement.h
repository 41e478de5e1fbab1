#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::card {

// The most records a record file of a card can have (the record number is one byte, 0 unused).
inline constexpr std::size_t kMaxFileRecords = 255;

// Where each entry of an editor goes when a whole record file is written: position k to record
// k + 1 (index k + 1 of the result, index 0 unused), and used entries beyond the file's records
// into its records whose position holds nothing. Nothing when the used entries do not fit.
template <typename Entry>
std::optional<std::vector<Entry*>> PlaceEntries(std::span<Entry> entries, std::size_t recordCount) {
    std::vector<Entry*> target(recordCount + 1, nullptr);
    std::vector<Entry*> overflow;
    for (std::size_t position = 0; position < entries.size(); ++position) {
        if (position < recordCount) {
            target[position + 1] = &entries[position];
        } else if (entries[position].used) {
            overflow.push_back(&entries[position]);
        }
    }
    std::size_t next = 0;
    for (std::size_t number = 1; number <= recordCount && next < overflow.size(); ++number) {
        if (target[number] == nullptr || !target[number]->used) target[number] = overflow[next++];
    }
    if (next < overflow.size()) return std::nullopt;
    return target;
}

// Pairs entries with records they equal, each record serving one entry at most: every entry with
// the record `own(entry)` names first (a number >= `records` for none), then each entry still alone
// with the first record not taken yet. Own records go first so an entry moved away never takes the
// record of the entry still standing on it. `pair(entry, record)` is called once for each pair.
template <typename Own, typename Same, typename Pair>
void PairWithRecords(std::size_t entries, std::size_t records, Own own, Same same, Pair pair) {
    std::vector<bool> taken(records, false);
    std::vector<bool> paired(entries, false);
    const auto tryPair = [&](std::size_t entry, std::size_t record) {
        if (record >= records || taken[record] || paired[entry] || !same(entry, record)) return;
        taken[record] = paired[entry] = true;
        pair(entry, record);
    };
    for (std::size_t entry = 0; entry < entries; ++entry) tryPair(entry, own(entry));
    for (std::size_t entry = 0; entry < entries; ++entry) {
        for (std::size_t record = 0; record < records && !paired[entry]; ++record) tryPair(entry, record);
    }
}

// Gives each incoming entry (from a file or backup) that `same(position, record)` finds equal to a
// card record, both used, that record's entry whole: it keeps its own position as index and loses its
// `modified` mark, so a write keeps the record's bytes. Returns how many entries were taken.
template <typename Entry, typename Same>
std::size_t AdoptCardEntries(std::span<Entry> incoming, std::span<const Entry> card, Same same) {
    std::size_t adopted = 0;
    PairWithRecords(
        incoming.size(), card.size(), [](std::size_t position) { return position; },
        [&](std::size_t position, std::size_t record) {
            return incoming[position].used != 0 && card[record].used != 0 && same(position, record);
        },
        [&](std::size_t position, std::size_t record) {
            Entry& entry = incoming[position];
            const auto index = entry.index;
            entry = card[record];
            entry.index = index;
            entry.modified = 0;
            ++adopted;
        });
    return adopted;
}

// PairWithRecords for the write of a whole file: `target` as PlaceEntries gives it, `same(entry,
// number)` compares an entry with record `number`, `take(number, source)` pairs record numbers. A
// position beyond the editor keeps its own record; a used entry looks at the record its `index`
// names first.
template <typename EntryPointer, typename Same, typename Take>
void PairPlacedEntries(std::span<const EntryPointer> target, Same same, Take take) {
    const std::size_t count = target.empty() ? 0 : target.size() - 1;
    PairWithRecords(
        count, count,
        [&](std::size_t at) {
            const auto* entry = target[at + 1];
            return entry == nullptr ? at : entry->used ? entry->index : count;
        },
        [&](std::size_t at, std::size_t record) {
            const auto* entry = target[at + 1];
            if (entry == nullptr) return record == at;
            return entry->used && target[record + 1] != nullptr && same(*entry, record + 1);
        },
        [&](std::size_t at, std::size_t record) { take(at + 1, record + 1); });
}

}  // namespace quillet::card
