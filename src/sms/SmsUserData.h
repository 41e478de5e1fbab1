#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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

// Bytes that `septets` packed septets occupy.
constexpr std::size_t PackedSize(std::size_t septets) { return (septets * 7 + 7) / 8; }

}  // namespace quillet::sms
