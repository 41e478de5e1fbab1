#pragma once

#include <cstdint>

namespace quillet::reader {

// The byte with bit 0 and bit 7 swapped, bit 1 and bit 6, and so on.
constexpr std::uint8_t ReverseBits(std::uint8_t byte) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit) {
        reversed = static_cast<std::uint8_t>((reversed << 1) | ((byte >> bit) & 1));
    }
    return reversed;
}

}  // namespace quillet::reader
