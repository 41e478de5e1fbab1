#include "phonebook/PhoneBookEntry.h"

#include <algorithm>
#include <cstring>

namespace quillet::phonebook {

PhoneBookEntry EmptyPosition(std::uint16_t index) {
    PhoneBookEntry entry{};
    entry.index = index;
    entry.capabilityId = 0xFF;
    entry.extensionId = 0xFF;
    return entry;
}

namespace {

constexpr char kNameEnd = '\xFF';
constexpr std::size_t kLongestName = sizeof(PhoneBookEntry::name) - 1;

}  // namespace

std::string_view NameBytes(const PhoneBookEntry& entry) {
    const std::string_view field(entry.name, sizeof entry.name);
    const std::size_t text = std::min(field.find('\0'), kLongestName);
    if (text == kLongestName) return field.substr(0, text);
    const std::size_t end = field.find(kNameEnd, text);
    return field.substr(0, end == std::string_view::npos ? text : std::min(end, kLongestName));
}

void SetNameBytes(PhoneBookEntry& entry, std::string_view bytes) {
    bytes = bytes.substr(0, std::min(bytes.find(kNameEnd), kLongestName));
    std::memset(entry.name, 0, sizeof entry.name);
    // An empty name may come with no buffer at all, which memcpy must not be given.
    if (!bytes.empty()) std::memcpy(entry.name, bytes.data(), bytes.size());
    if (bytes.find('\0') != std::string_view::npos) entry.name[bytes.size()] = kNameEnd;
}

}  // namespace quillet::phonebook
