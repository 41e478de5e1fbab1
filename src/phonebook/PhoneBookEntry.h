#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace quillet::phonebook {

// One phone-book position: a plain 112-byte record copied as a whole (moves, sorting, clipboard,
// files). Names keep the card's 8-bit bytes; numbers never hold the leading '+'.
struct PhoneBookEntry {
    std::uint32_t used;         // non-zero when the position holds an entry
    std::uint16_t index;        // record number on the card, 0-based
    char name[33];              // zero-terminated, at most 32 characters
    char number[61];            // zero-terminated dialling string, at most 60 characters
    std::uint8_t ton;           // type of number; 1 = international
    std::uint8_t npi;           // numbering plan identification
    std::uint8_t capabilityId;  // capability/configuration record, 0xFF = none
    std::uint8_t extensionId;   // first extension record, 0xFF = none
    std::uint32_t modified;     // changed since last read from or written to the card
    std::uint32_t inTransfer;   // source of a drag-and-drop move in progress
};

static_assert(sizeof(PhoneBookEntry) == 112);
static_assert(std::is_trivially_copyable_v<PhoneBookEntry>);
static_assert(offsetof(PhoneBookEntry, used) == 0);
static_assert(offsetof(PhoneBookEntry, index) == 4);
static_assert(offsetof(PhoneBookEntry, name) == 6);
static_assert(offsetof(PhoneBookEntry, number) == 39);
static_assert(offsetof(PhoneBookEntry, ton) == 100);
static_assert(offsetof(PhoneBookEntry, npi) == 101);
static_assert(offsetof(PhoneBookEntry, capabilityId) == 102);
static_assert(offsetof(PhoneBookEntry, extensionId) == 103);
static_assert(offsetof(PhoneBookEntry, modified) == 104);
static_assert(offsetof(PhoneBookEntry, inTransfer) == 108);

// A fresh position: all zero but its index, and no capability or extension record.
PhoneBookEntry EmptyPosition(std::uint16_t index);

// The name as the card's alpha bytes. A card name may hold 0x00 bytes (GSM '@', UCS2 text);
// such a name is stored zero-filled with a 0xFF after its last byte, so the bytes after the
// first zero survive a write. 0xFF can mark the end because reading a card record already ends
// the name at its first 0xFF. Other names are plain zero-terminated text. The bytes stop at the
// first 0xFF and at 32. Names are set only through SetNameBytes, which clears the whole field,
// so no byte of an earlier name lingers behind the marker.
std::string_view NameBytes(const PhoneBookEntry& entry);
void SetNameBytes(PhoneBookEntry& entry, std::string_view bytes);

}  // namespace quillet::phonebook
