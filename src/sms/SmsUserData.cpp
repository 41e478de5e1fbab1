#include "sms/SmsUserData.h"

#include <algorithm>

namespace quillet::sms {

namespace {
constexpr char kSeptetZeroChar = '@';
constexpr char kUnencodable = '?';
}  // namespace

std::uint8_t UnpackSeptet(std::span<const std::uint8_t> packed, std::size_t i) {
    const std::size_t bit = 7 * i;
    const std::size_t k = bit / 8;
    const unsigned shift = bit % 8;
    if (k >= packed.size()) return 0;
    unsigned value = packed[k] >> shift;
    // Only a septet that starts at bit 2 or later spills into the next byte; one starting at bit 1
    // ends with byte k and must not touch the byte after the data.
    if (shift > 1 && k + 1 < packed.size()) value |= static_cast<unsigned>(packed[k + 1]) << (8 - shift);
    return static_cast<std::uint8_t>(value & 0x7F);
}

std::size_t DecodeUserData(std::span<char> text, std::span<const std::uint8_t> userData, std::uint8_t firstOctet) {
    if (text.empty()) return 0;
    text[0] = '\0';
    if ((firstOctet & kUserDataHeaderFlag) != 0 || userData.empty()) return 0;
    const std::span<const std::uint8_t> packed = userData.subspan(1);
    const std::size_t available = packed.size() * 8 / 7;
    const std::size_t septets = std::min<std::size_t>({userData[0], available, text.size() - 1});
    std::size_t length = 0;
    for (std::size_t i = 0; i < septets; ++i) {
        const std::uint8_t septet = UnpackSeptet(packed, i);
        if (septet == 0) {
            text[length++] = kSeptetZeroChar;
        } else if (septet >= 32) {
            text[length++] = static_cast<char>(septet);
        }
    }
    text[length] = '\0';
    return length;
}

std::uint8_t SeptetOfChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (c == kSeptetZeroChar) return 0;
    if (code >= 32 && code <= 127) return code;
    return static_cast<std::uint8_t>(kUnencodable);
}

void PackSeptet(std::span<std::uint8_t> packed, std::size_t i, std::uint8_t septet) {
    const std::size_t k = 7 * i / 8;
    const unsigned shift = 7 * i % 8;
    if (k >= packed.size()) return;
    packed[k] = static_cast<std::uint8_t>(packed[k] | (septet << shift));
    if (shift > 1 && k + 1 < packed.size()) {
        packed[k + 1] = static_cast<std::uint8_t>(packed[k + 1] | (septet >> (8 - shift)));
    }
}

std::size_t EncodeUserData(std::string_view text, std::span<std::uint8_t> out) {
    if (out.empty()) return 0;
    const std::span<std::uint8_t> packed = out.subspan(1);
    const std::size_t septets = std::min({text.size(), kMaxSeptets, packed.size() * 8 / 7});
    std::fill_n(packed.begin(), PackedSize(septets), std::uint8_t{0});
    for (std::size_t i = 0; i < septets; ++i) PackSeptet(packed, i, SeptetOfChar(text[i]));
    out[0] = static_cast<std::uint8_t>(septets);
    return septets;
}

}  // namespace quillet::sms
