#include "phonebook/Transliteration.h"

#include <cstddef>

namespace quillet::phonebook {

namespace {

// Source bytes and their replacements, in the order they are scanned. A replacement of 0x80 or
// above is looked up again further down (the quotes 0x91 and 0x92 both end as 0x92 and so '.').
constexpr unsigned char kSource[] = {
    0xC1, 0xE1, 0xC2, 0xE2, 0xC3, 0xE3, 0xC4, 0xE4, 0xCC, 0xEC, 0xCB, 0xEB, 0x8A, 0x9A, 0xC8, 0xE8, 0xC6,
    0xE6, 0xD8, 0xF8, 0xC0, 0xE0, 0x8E, 0x9E, 0xDD, 0xFD, 0xCD, 0xED, 0xCE, 0xEE, 0xC9, 0xE9, 0xD9, 0xF9,
    0xDA, 0xFA, 0xDB, 0xFB, 0xDC, 0xFC, 0xD2, 0xF2, 0xD1, 0xF1, 0x8D, 0x9D, 0xD3, 0xF3, 0xD4, 0xF4, 0xD5,
    0xF5, 0xD6, 0xF6, 0xCF, 0xEF, 0xBC, 0xBE, 0xC5, 0xE5, 0x91, 0x92, 0x22, 0x22, 0x84, 0x82,
};
constexpr unsigned char kReplacement[] = "AaAaAaAaEeEeSsCcCcRrRrZzYyIiIiEeUuUuUuUuNnNnTtOoOoOoOoDdLlLl"
                                         "\x92\x92\x22\x22\x22\x2C";

static_assert(sizeof(kSource) == 66);
static_assert(sizeof(kReplacement) - 1 == 66);

}  // namespace

char TransliterateChar(char character) {
    auto byte = static_cast<unsigned char>(character);
    if (byte < 0x80) return character;
    for (std::size_t position = 0; position < sizeof(kSource); ++position) {
        if (kSource[position] == byte) {
            byte = kReplacement[position];
            if (byte < 0x80) break;
        }
    }
    return byte < 0x80 ? static_cast<char>(byte) : '.';
}

}  // namespace quillet::phonebook
