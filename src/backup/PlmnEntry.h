#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace quillet::backup {

// One slot of a network list (EF_PLMNsel or EF_FPLMN), decoded from its 3-byte PLMN code.
//
// `valid`, `modified`, `mcc` and `mnc` are the slot as the network dialogs and the backup know it:
// a two-digit network code is 0..99 with `threeDigitMnc` = 0, and then every rule below is the
// plain two-digit coding. Cards issued where network codes have three digits (North America,
// 3GPP TS 24.008 10.5.1.3) keep the third MNC digit in the high nibble of the second byte;
// such a slot reads with `threeDigitMnc` = 1 and `mnc` = all three digits as one number
// (0..999), so "310 150" is 310/150 and "310 010" is 310/10 with the flag set. Writing puts the
// third digit back. An `mnc` above 99 always needs three digits, so it is written in that form
// even without the flag (a backup file keeps only mcc and mnc).
struct PlmnEntry {
    std::uint8_t valid = 0;          // 1 when the slot holds a network
    std::uint8_t modified = 0;       // 1 when changed since the last read or write
    std::uint8_t threeDigitMnc = 0;  // 1 when the network code has three digits
    std::uint32_t mcc = 0;           // mobile country code, 0..999
    std::uint32_t mnc = 0;           // mobile network code, 0..99 (0..999 with three digits)

    bool HasThreeDigitMnc() const { return threeDigitMnc != 0 || mnc > 99; }
    bool operator==(const PlmnEntry&) const = default;
};

inline constexpr std::size_t kPlmnSlotSize = 3;
using PlmnSlot = std::array<std::uint8_t, kPlmnSlotSize>;

// Decodes one slot. A slot whose first byte is 0xFF is empty and gives an all-zero entry;
// otherwise the entry is valid, unmodified, and nibbles that are not decimal digits are left out.
PlmnEntry DecodePlmnSlot(std::span<const std::uint8_t, kPlmnSlotSize> slot);

// Encodes one slot: BCD digits, the first of each pair in the low nibble, 0xF in place of an
// unused third MNC digit. An entry that is not valid gives FF FF FF.
PlmnSlot EncodePlmnSlot(const PlmnEntry& entry);

}  // namespace quillet::backup
