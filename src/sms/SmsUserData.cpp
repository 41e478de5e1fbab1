#include "sms/SmsUserData.h"

namespace quillet::sms {

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

void PackSeptet(std::span<std::uint8_t> packed, std::size_t i, std::uint8_t septet) {
    const std::size_t k = 7 * i / 8;
    const unsigned shift = 7 * i % 8;
    if (k >= packed.size()) return;
    packed[k] = static_cast<std::uint8_t>(packed[k] | (septet << shift));
    if (shift > 1 && k + 1 < packed.size()) {
        packed[k + 1] = static_cast<std::uint8_t>(packed[k + 1] | (septet >> (8 - shift)));
    }
}

}  // namespace quillet::sms
