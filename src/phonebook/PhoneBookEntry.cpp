#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

PhoneBookEntry EmptyPosition(std::uint16_t index) {
    PhoneBookEntry entry{};
    entry.index = index;
    entry.capabilityId = 0xFF;
    entry.extensionId = 0xFF;
    return entry;
}

}  // namespace quillet::phonebook
