#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillet::sms {

// TP-UDL limit of a message in the 7-bit default alphabet (3GPP TS 23.040 9.2.3.16).
inline constexpr std::size_t kMaxSeptets = 160;
// First-octet bit TP-UDHI: the user data begins with a header.
inline constexpr std::uint8_t kUserDataHeaderFlag = 0x40;

// Septet number i of 7-bit packed data (3GPP TS 23.038 6.1.2.1.1, least significant bit first),
// 0..127. Bits that would lie beyond the packed bytes read as zero.
std::uint8_t UnpackSeptet(std::span<const std::uint8_t> packed, std::size_t i);
// Its inverse: ORs septet number i into `packed`, which must be zero where it goes; bits that would
// lie beyond the packed bytes are left out.
void PackSeptet(std::span<std::uint8_t> packed, std::size_t i, std::uint8_t septet);

// Fills `text` (zero-terminated, cut to text.size() − 1 characters) from the user data that starts
// with its TP-UDL byte. A message with a user-data header gets an empty text. Septet 0 becomes
// '@', septets 1..31 (control codes and the GSM letters below the space) are dropped, and
// 32..127 are taken as the characters of the same code. Only septets wholly inside `userData`
// are read, whatever TP-UDL claims. Returns the length of the text.
std::size_t DecodeUserData(std::span<char> text, std::span<const std::uint8_t> userData, std::uint8_t firstOctet);

// The septet a text character is written as, the inverse of DecodeUserData: '@' is septet 0,
// other characters 32..127 keep their code, and any other character becomes '?'.
std::uint8_t SeptetOfChar(char c);

// Writes TP-UDL and the packed text into `out`, as many characters as fit (at most kMaxSeptets);
// spare bits of the last byte are zero. Returns the number of characters written; `out` must hold
// at least the TP-UDL byte, otherwise nothing is written and 0 is returned.
std::size_t EncodeUserData(std::string_view text, std::span<std::uint8_t> out);

// Bytes that `septets` packed septets occupy.
constexpr std::size_t PackedSize(std::size_t septets) { return (septets * 7 + 7) / 8; }

}  // namespace quillet::sms
