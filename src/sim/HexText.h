#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::sim {

// Upper-case hexadecimal digits, two per byte, no separators.
std::string ToHex(std::span<const std::uint8_t> bytes);

// Reads hexadecimal digits, ignoring blanks. Returns nothing and explains in `error` when a
// character is not a digit or the digit count is odd.
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text, std::string& error);

}  // namespace quillet::sim
