#include "phonebook/NameFromText.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "card/GsmText.h"
#include "card/TextForms.h"
#include "phonebook/Transliteration.h"

namespace quillet::phonebook {

namespace {

// The character of GSM's extension table that an ESC before `code` stands for.
std::optional<char32_t> ExtensionCharOf(char32_t code) {
    if (code >= 0x80) return std::nullopt;
    const std::uint8_t pair[] = {card::kGsmEscape, static_cast<std::uint8_t>(code)};
    const char32_t character = card::DecodeSeptets(pair).front();
    const auto septets = card::SeptetsOf(character);
    if (!septets || septets->count != 2) return std::nullopt;
    return character;
}

}  // namespace

std::u32string NameFromText(std::string_view cp1250) {
    std::string plain(cp1250);
    std::transform(plain.begin(), plain.end(), plain.begin(), TransliterateChar);
    const std::u32string read = card::TextFromCp1250(plain);
    std::u32string text;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read[i] != card::kGsmEscape) {
            text.push_back(read[i]);
        } else if (i + 1 == read.size()) {
            text.push_back(U' ');
        } else if (const auto extension = ExtensionCharOf(read[i + 1])) {
            text.push_back(*extension);
            ++i;
        }
    }
    return text;
}

std::u32string NameFromUtf8(std::string_view utf8) {
    const std::optional<std::u32string> text = card::TextFromUtf8(utf8);
    return NameFromText(text ? card::FileTextOf(*text) : std::string(utf8));
}

}  // namespace quillet::phonebook
