#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillet::phonebook {

// A simple case fold for comparing names: Latin, Greek and Cyrillic capitals become small letters.
// One character stays one character, so positions in a folded text are positions in the original.
char32_t FoldCase(char32_t c);
std::u32string Folded(std::u32string_view text);
// Position of `needle` in `haystack` ignoring case, or npos.
std::size_t FindFolded(std::u32string_view haystack, std::u32string_view needle);

}  // namespace quillet::phonebook
