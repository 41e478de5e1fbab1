#include "card/TextForms.h"

#include "card/GsmText.h"

namespace quillet::card {

namespace {

constexpr char kNoFileCharacter = '.';
constexpr char32_t kNoGsmCharacter = '?';

// U+00C0..U+00FF: the letter each stands for, '-' where a sign has none; the two-letter ones follow.
constexpr std::string_view kLatin1Letters =
    "AAAAAAACEEEEIIIIDNOOOOO-OUUUUY-s"
    "aaaaaaaceeeeiiiidnooooo-ouuuuy-y";
// U+0100..U+017F, the same; ligatures are spelled by kLigatures.
constexpr std::string_view kExtendedALetters =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIiIi--JjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOoOo--RrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatin1Letters.size() == 0x40 && kExtendedALetters.size() == 0x80);

struct Ligature {
    char32_t character;
    std::string_view spelling;
};
constexpr Ligature kLigatures[] = {
    {0x00C6, "AE"}, {0x00E6, "ae"}, {0x00DE, "TH"}, {0x00FE, "th"}, {0x00DF, "ss"},
    {0x0132, "IJ"}, {0x0133, "ij"}, {0x0152, "OE"}, {0x0153, "oe"},
};

std::string_view LetterAt(std::string_view letters, std::size_t offset) {
    const std::string_view letter = letters.substr(offset, 1);
    return letter == "-" ? std::string_view() : letter;
}

}  // namespace

std::string_view PlainSpelling(char32_t character) {
    for (const Ligature& ligature : kLigatures) {
        if (ligature.character == character) return ligature.spelling;
    }
    if (character >= 0xC0 && character < 0x100) return LetterAt(kLatin1Letters, character - 0xC0);
    if (character >= 0x100 && character < 0x180) return LetterAt(kExtendedALetters, character - 0x100);
    return {};
}

std::string FileTextOf(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t character : text) {
        if (const std::optional<char> byte = Cp1250ByteOf(character)) {
            bytes.push_back(*byte);
        } else if (const std::string_view plain = PlainSpelling(character); !plain.empty()) {
            bytes.append(plain);
        } else {
            bytes.push_back(kNoFileCharacter);
        }
    }
    return bytes;
}

std::string TextIn(std::u32string_view text, TextForm form) {
    return form == TextForm::File ? FileTextOf(text) : Utf8FromText(text);
}

std::u32string ToGsmRepertoire(std::u32string_view text) {
    std::u32string kept;
    kept.reserve(text.size());
    for (const char32_t character : text) {
        if (SeptetsOf(character)) {
            kept.push_back(character);
        } else if (const std::string_view plain = PlainSpelling(character); !plain.empty()) {
            kept.append(plain.begin(), plain.end());
        } else {
            kept.push_back(kNoGsmCharacter);
        }
    }
    return kept;
}

}  // namespace quillet::card
