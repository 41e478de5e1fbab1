#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::resources {

// One row of the string table: the numeric id that code and result codes use, and its text.
struct StringEntry {
    std::uint32_t id;
    const char* text;
};

// Sorted by ascending id, each id once.
extern const StringEntry kStringEntries[];
extern const std::size_t kStringEntryCount;

}  // namespace quillet::resources
