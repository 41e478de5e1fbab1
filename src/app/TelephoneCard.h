#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillet::app {

inline constexpr std::size_t kTelephoneCardBytes = 32;

// What a prepaid telephone chip card's 32-byte memory image says.
struct TelephoneCardInfo {
    unsigned totalUnits = 0;  // 0 for an unknown unit class or an invalid card
    unsigned remainingUnits = 0;
    std::string country;  // from the string table, or "???"
    bool valid = false;   // false: show "Not a valid telephone card" (59024)
    // Four lines "oooo\tbb\tbb…" of offset and eight hexadecimal bytes, joined by "\r\n",
    // the last one without a line break.
    std::string binaryText;
};

TelephoneCardInfo DecodeTelephoneCard(std::span<const std::uint8_t, kTelephoneCardBytes> image);

}  // namespace quillet::app
