#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// The private clipboard and drag-and-drop payload of the phone book windows, little-endian:
//   source          u32   the token of the list the entries come from
//   per entry:
//     index         u32   record number, 0-based, zero-extended
//     used          u32
//     name          ArchiveString of the entry's card bytes (NameBytes)
//     number        ArchiveString of the dialling digits, without '+'
//     ton, npi, capabilityId, extensionId   one byte each
//     modified      u32
//   end             u32   0xFFFFFFFF
inline constexpr std::uint32_t kPayloadEnd = 0xFFFFFFFFu;

// More entries than any window has positions: a payload is read up to here, which is enough to
// tell that some will not fit, whatever another program put on the clipboard.
inline constexpr std::size_t kMaxPayloadEntries = 251;

struct DialPayload {
    std::uint32_t source = 0;
    std::vector<PhoneBookEntry> entries;  // inTransfer 0; names set through SetNameBytes
};

std::vector<std::uint8_t> PackDialPayload(std::uint32_t source, std::span<const PhoneBookEntry> entries);

// Reads a payload from untrusted bytes: nothing when it is cut short, has no end mark, or holds a
// name or number that no entry could hold (too long, a number with other than dialling characters).
// Entries after the first kMaxPayloadEntries are not read.
std::optional<DialPayload> ParseDialPayload(std::span<const std::uint8_t> bytes);

// The plain-text companion for other programs, UTF-8: for each used entry the decoded name, TAB,
// "'", the number with its '+', CR LF.
std::string DialEntriesAsText(std::span<const PhoneBookEntry> entries);

}  // namespace quillet::phonebook
