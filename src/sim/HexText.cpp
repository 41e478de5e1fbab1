#include "sim/HexText.h"

namespace quillet::sim {

namespace {

int DigitValue(char character) {
    if (character >= '0' && character <= '9') return character - '0';
    if (character >= 'a' && character <= 'f') return character - 'a' + 10;
    if (character >= 'A' && character <= 'F') return character - 'A' + 10;
    return -1;
}

}  // namespace

std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (std::size_t position = 0; position < text.size(); ++position) {
        const char character = text[position];
        if (character == ' ' || character == '\t') {
            continue;
        }
        const int value = DigitValue(character);
        if (value < 0) {
            error =
                "bad hexadecimal digit '" + std::string(1, character) + "' at position " + std::to_string(position + 1);
            return std::nullopt;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0) {
        error = "odd number of hexadecimal digits";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace quillet::sim
