#include "card/DiallingDigits.h"

#include <algorithm>

namespace quillet::card {

namespace {
constexpr char kNibbleCharacters[] = "0123456789*#pDE";
}  // namespace

char BcdNibbleToChar(std::uint8_t nibble) { return nibble < kDigitFiller ? kNibbleCharacters[nibble] : '\0'; }

std::uint8_t CharToBcdNibble(char character) {
    if (character >= '0' && character <= '9') return static_cast<std::uint8_t>(character - '0');
    if (character == '*') return 10;
    if (character == '#') return 11;
    if (character == 'P' || character == 'p') return 12;
    return static_cast<std::uint8_t>((static_cast<unsigned char>(character) - 7) & 15);
}

bool IsDialChar(char character) {
    // Not 'F': its nibble ends a number on the card, so every digit after it would be lost.
    return (character >= '0' && character <= '9') || character == '*' || character == '#' || character == 'P' ||
           character == 'p' || character == 'D' || character == 'E';
}

void AppendDigits(std::span<const std::uint8_t> bytes, std::size_t nibbleCount, std::size_t maxDigits,
                  std::string& digits) {
    for (std::size_t nibble = 0; nibble < nibbleCount && nibble / 2 < bytes.size(); ++nibble) {
        const std::uint8_t byte = bytes[nibble / 2];
        const std::uint8_t value = nibble % 2 == 0 ? byte & 0x0F : static_cast<std::uint8_t>(byte >> 4);
        if (value == kDigitFiller || digits.size() >= maxDigits) return;
        digits += BcdNibbleToChar(value);
    }
}

std::string UnpackDigits(std::span<const std::uint8_t> bytes, std::size_t nibbleCount, std::size_t maxDigits) {
    std::string digits;
    AppendDigits(bytes, nibbleCount, maxDigits, digits);
    return digits;
}

std::vector<std::uint8_t> DigitNibbles(std::string_view digits) {
    std::vector<std::uint8_t> nibbles(digits.size());
    std::transform(digits.begin(), digits.end(), nibbles.begin(), CharToBcdNibble);
    return nibbles;
}

std::size_t PackNibbles(std::span<const std::uint8_t> nibbles, std::span<std::uint8_t> out) {
    const std::size_t bytes = std::min((nibbles.size() + 1) / 2, out.size());
    for (std::size_t index = 0; index < bytes; ++index) {
        const std::uint8_t low = nibbles[2 * index] & 0x0F;
        const std::uint8_t high = 2 * index + 1 < nibbles.size() ? nibbles[2 * index + 1] & 0x0F : kDigitFiller;
        out[index] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return bytes;
}

std::size_t PackDigits(std::string_view digits, std::span<std::uint8_t> out) {
    return PackNibbles(DigitNibbles(digits), out);
}

}  // namespace quillet::card
