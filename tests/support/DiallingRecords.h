#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillet::testing {

// Dialling and extension records coded by hand from GSM 11.11, as phones leave them.

// Digits in BCD, low nibble first, 0xF filled.
inline void PackDigits(std::string_view digits, std::vector<std::uint8_t>& bytes, std::size_t offset) {
    for (std::size_t index = 0; index < digits.size(); ++index) {
        std::uint8_t& byte = bytes[offset + index / 2];
        const auto digit = static_cast<std::uint8_t>(digits[index] - '0');
        byte = index % 2 == 0 ? static_cast<std::uint8_t>(0xF0 | digit)
                              : static_cast<std::uint8_t>((byte & 0x0F) | digit << 4);
    }
}

// A 30-byte dialling record (16 name bytes) of up to 20 digits.
inline std::vector<std::uint8_t> DiallingRecord(std::string_view name, std::string_view digits,
                                                std::uint8_t extension) {
    std::vector<std::uint8_t> record(30, 0xFF);
    std::copy(name.begin(), name.end(), record.begin());
    record[16] = static_cast<std::uint8_t>(1 + (digits.size() + 1) / 2);
    record[17] = 0x81;
    PackDigits(digits, record, 18);
    record[29] = extension;
    return record;
}

// An extension record holding more digits of a number, then the link to the next one.
inline std::vector<std::uint8_t> ExtensionRecord(std::string_view digits, std::uint8_t next) {
    std::vector<std::uint8_t> record(13, 0xFF);
    record[0] = 0x02;
    record[1] = static_cast<std::uint8_t>((digits.size() + 1) / 2);
    PackDigits(digits, record, 2);
    record[12] = next;
    return record;
}

}  // namespace quillet::testing
