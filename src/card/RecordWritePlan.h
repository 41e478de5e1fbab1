#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "card/GsmFiles.h"

namespace quillet::card {

// One record of a cached record file (1-based number).
struct RecordRef {
    CachedFile file;
    std::size_t number;

    bool operator==(const RecordRef&) const = default;
};

// A record the plan gives new bytes, shown as item `item` of the progress (0: no step of its own).
struct PlannedWrite {
    RecordRef record;
    std::vector<std::uint8_t> bytes;
    std::size_t item = 0;
};

// Everything a write will send to the card, decided before the first command: the records to
// compare with the card before anything changes, and the records to write, in order.
struct RecordWritePlan {
    std::vector<RecordRef> staleChecks;
    std::vector<PlannedWrite> writes;
    std::uint32_t progressText = 0;  // "... %u of %u", the item and itemCount
    std::size_t itemCount = 0;
};

}  // namespace quillet::card
