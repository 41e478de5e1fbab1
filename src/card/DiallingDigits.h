#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::card {

// A dialling-number record ends in 14 bytes: number length, TON/NPI, ten digit bytes, capability
// and extension link. An extension record is 13 bytes: type, data length, ten digit bytes, next link.
inline constexpr std::size_t kDiallingFixedPart = 14;
inline constexpr std::size_t kExtensionRecordLength = 13;
// A link byte that leads nowhere.
inline constexpr std::uint8_t kNoLink = 0xFF;

// The numbering plan phones give the numbers they store (ISDN/telephony).
inline constexpr std::uint8_t kIsdnTelephonyPlan = 1;

// Dialling digits as GSM cards store them: one BCD nibble each, the first digit of a byte in its low
// nibble; 0..9, then * # p D E, and 0xF fills up or ends the number.
inline constexpr std::uint8_t kDigitFiller = 0x0F;

char BcdNibbleToChar(std::uint8_t nibble);
// '0'..'9', '*', '#', 'P'/'p' map to their nibbles; any other character c gives (c - 7) & 15, so 'D'
// gives 13, 'E' 14 and 'F' the filler.
std::uint8_t CharToBcdNibble(char character);
// '0'..'9', '*', '#', 'P', 'p', 'D', 'E' (not the lower-case d, e, and not 'F', the filler that ends a
// number on the card).
bool IsDialChar(char character);

// Appends the digits of at most `nibbleCount` nibbles of `bytes` to `digits`, stopping at a filler
// nibble, at the end of the bytes or when `digits` holds `maxDigits` characters.
void AppendDigits(std::span<const std::uint8_t> bytes, std::size_t nibbleCount, std::size_t maxDigits,
                  std::string& digits);
std::string UnpackDigits(std::span<const std::uint8_t> bytes, std::size_t nibbleCount, std::size_t maxDigits);

std::vector<std::uint8_t> DigitNibbles(std::string_view digits);
// Packs nibbles into the first bytes of `out`, an odd count ending in a filler nibble; bytes after the
// last one written keep their contents, nibbles beyond `out` are dropped. Returns the bytes written.
std::size_t PackNibbles(std::span<const std::uint8_t> nibbles, std::span<std::uint8_t> out);
std::size_t PackDigits(std::string_view digits, std::span<std::uint8_t> out);

}  // namespace quillet::card
