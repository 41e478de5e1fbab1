#include "resources/StringTable.h"

#include <algorithm>

#include "resources/StringTableData.h"

namespace quillet::resources {

std::optional<std::string_view> FindString(std::uint32_t id) {
    const StringEntry* begin = kStringEntries;
    const StringEntry* end = kStringEntries + kStringEntryCount;
    const StringEntry* found =
        std::lower_bound(begin, end, id, [](const StringEntry& entry, std::uint32_t key) { return entry.id < key; });
    if (found == end || found->id != id) {
        return std::nullopt;
    }
    return std::string_view(found->text);
}

std::string_view LoadString(std::uint32_t id) { return FindString(id).value_or(std::string_view()); }

}  // namespace quillet::resources
