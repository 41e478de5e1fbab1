#pragma once

#include <cstddef>
#include <string_view>

namespace quillet::phonebook {

// Small helpers for the zero-terminated 8-bit (Windows-1250) texts of entries and files.

// Removes `count` characters at `position` (clipped to the text).
void DeleteChars(char* text, std::size_t position, std::size_t count);
// Inserts `insert` at `position` into a buffer of `capacity` bytes; the result is cut at the
// capacity and always terminated.
void InsertText(char* buffer, std::size_t capacity, std::size_t position, std::string_view insert);
// Copies as much of `text` as fits, always terminated.
void CopyBounded(char* buffer, std::size_t capacity, std::string_view text);
// Upper-case form of a Windows-1250 character.
char UpperCase1250(char character);
// Position of `needle` in `haystack` ignoring case, or -1.
long FindNoCase(std::string_view haystack, std::string_view needle);
// A non-negative decimal: the empty text is 0; a non-digit, or a value that would pass
// 2147483647, gives -1.
long ParseDecimal(std::string_view text);

}  // namespace quillet::phonebook
