#include "phonebook/TextHelpers.h"

#include <algorithm>
#include <cstring>

namespace quillet::phonebook {

void DeleteChars(char* text, std::size_t position, std::size_t count) {
    const std::size_t length = std::strlen(text);
    if (position >= length) return;
    count = std::min(count, length - position);
    std::memmove(text + position, text + position + count, length - position - count + 1);
}

void InsertText(char* buffer, std::size_t capacity, std::size_t position, std::string_view insert) {
    if (capacity == 0) return;
    const std::size_t length = std::min(std::strlen(buffer), capacity - 1);
    position = std::min(position, length);
    const std::size_t room = capacity - 1;
    const std::size_t inserted = std::min(insert.size(), room - position);
    const std::size_t tail = std::min(length - position, room - position - inserted);
    std::memmove(buffer + position + inserted, buffer + position, tail);
    std::memcpy(buffer + position, insert.data(), inserted);
    buffer[position + inserted + tail] = '\0';
}

void CopyBounded(char* buffer, std::size_t capacity, std::string_view text) {
    if (capacity == 0) return;
    const std::size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

char UpperCase1250(char character) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte >= 'a' && byte <= 'z') return static_cast<char>(byte - 0x20);
    switch (byte) {
        case 0x9A:
            return static_cast<char>(0x8A);  // š
        case 0x9C:
            return static_cast<char>(0x8C);  // ś
        case 0x9D:
            return static_cast<char>(0x8D);  // ť
        case 0x9E:
            return static_cast<char>(0x8E);  // ž
        case 0x9F:
            return static_cast<char>(0x8F);  // ź
        case 0xB3:
            return static_cast<char>(0xA3);  // ł
        case 0xB9:
            return static_cast<char>(0xA5);  // ą
        case 0xBA:
            return static_cast<char>(0xAA);  // ş
        case 0xBE:
            return static_cast<char>(0xBC);  // ľ
        case 0xBF:
            return static_cast<char>(0xAF);  // ż
        default:
            break;
    }
    if (byte >= 0xE0 && byte != 0xF7 && byte != 0xFF) return static_cast<char>(byte - 0x20);
    return character;
}

long FindNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return 0;
    if (needle.size() > haystack.size()) return -1;
    for (std::size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        bool match = true;
        for (std::size_t offset = 0; offset < needle.size() && match; ++offset) {
            match = UpperCase1250(haystack[start + offset]) == UpperCase1250(needle[offset]);
        }
        if (match) return static_cast<long>(start);
    }
    return -1;
}

long ParseDecimal(std::string_view text) {
    long value = 0;
    for (char character : text) {
        if (character < '0' || character > '9') return -1;
        if (value > 214748364) return -1;
        value = value * 10 + (character - '0');
        if (value < 0 || value > 2147483647L) return -1;
    }
    return value;
}

}  // namespace quillet::phonebook
