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

}  // namespace quillet::card
