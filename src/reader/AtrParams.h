#pragma once

#include <cstdint>

namespace quillet::reader {

// The transmission parameters taken from the last answer to reset, one byte each, in this order.
struct AtrParams {
    std::uint8_t inverseConvention = 0;  // 0 direct, 1 inverse
    std::uint8_t k = 0;                  // number of historical bytes (low nibble of T0)
    std::uint8_t y1 = 0;                 // high nibble of T0
    std::uint8_t fi = 1;                 // high nibble of TA1
    std::uint8_t di = 1;                 // low nibble of TA1
    std::uint8_t ii = 0;                 // bits 7..6 of TB1
    std::uint8_t pi1 = 0;                // bits 5..0 of TB1
    std::uint8_t n = 0;                  // TC1, extra guard time
    std::uint8_t t = 0;                  // low nibble of TD1, protocol
    std::uint8_t y2 = 0;                 // high nibble of TD1
    std::uint8_t tb2 = 0;
    std::uint8_t wi = 10;  // TC2, work waiting integer

    bool operator==(const AtrParams&) const = default;
};

static_assert(sizeof(AtrParams) == 12);

}  // namespace quillet::reader
