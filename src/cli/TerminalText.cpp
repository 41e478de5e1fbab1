#include "cli/TerminalText.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <map>
#include <optional>

#include "card/GsmText.h"
#include "card/TextForms.h"

namespace quillet::cli {

void UseTerminalLocale() { std::setlocale(LC_CTYPE, ""); }

namespace {

std::string Convert(std::string_view text, const char* from, const std::string& codeset) {
    const iconv_t converter = ::iconv_open((codeset + "//TRANSLIT").c_str(), from);
    const bool utf8Source = std::string_view(from) == "UTF-8";
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string converted;
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char piece[256];
    while (inLeft > 0) {
        char* out = piece;
        std::size_t outLeft = sizeof piece;
        const std::size_t done = ::iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        converted.append(piece, static_cast<std::size_t>(out - piece));
        if (done != static_cast<std::size_t>(-1) || error == E2BIG) continue;
        // A byte the source leaves undefined, or a character without any spelling here.
        converted += '?';
        ++in;
        --inLeft;
        // The rest of a UTF-8 character goes with its first byte.
        while (utf8Source && inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
        }
    }
    ::iconv_close(converter);
    return converted;
}

}  // namespace

std::string ConvertProgramText(std::string_view text, const std::string& codeset) {
    return Convert(text, "CP1250", codeset);
}

std::string ConvertDisplayText(std::string_view utf8, const std::string& codeset) {
    if (codeset == "UTF-8") return std::string(utf8);
    const std::optional<std::u32string> text = card::TextFromUtf8(utf8);
    if (!text) return Convert(utf8, "UTF-8", codeset);
    // Character by character: the locale's transliteration knows little outside its language (in
    // the C locale "Ř" would become "?"), so a letter the terminal lacks is first spelled plainly.
    std::string converted;
    std::map<char32_t, std::string> spelled;  // each character is converted once
    for (const char32_t character : *text) {
        if (character < 0x80) {  // every terminal's character set holds ASCII
            converted += static_cast<char>(character);
            continue;
        }
        auto [found, added] = spelled.try_emplace(character);
        if (added) {
            found->second = Convert(card::Utf8FromText(std::u32string_view(&character, 1)), "UTF-8", codeset);
            const std::string_view plain = card::PlainSpelling(character);
            if (found->second.find('?') != std::string::npos && !plain.empty()) found->second = plain;
        }
        converted += found->second;
    }
    return converted;
}

std::string ToTerminal(std::string_view text) { return ConvertProgramText(text, ::nl_langinfo(CODESET)); }

std::string DisplayToTerminal(std::string_view utf8) { return ConvertDisplayText(utf8, ::nl_langinfo(CODESET)); }

std::string TerminalLines(std::string_view utf8Lines) {
    constexpr char kEscape = '\x1B';
    constexpr char kHarmless = '?';
    std::string shown;
    shown.reserve(utf8Lines.size());
    for (std::size_t i = 0; i < utf8Lines.size(); ++i) {
        const char c = utf8Lines[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == kEscape && i + 1 < utf8Lines.size()) {
            switch (const char escaped = utf8Lines[++i]) {
                case 'n':
                    shown += "\n\t";
                    break;
                case 't':
                    shown += '\t';
                    break;
                case '0':  // an empty field
                case 'r':
                    break;
                default:
                    shown += static_cast<unsigned char>(escaped) < 0x20 ? kHarmless : escaped;
                    break;
            }
        } else if (c == '\r' && i + 1 < utf8Lines.size() && utf8Lines[i + 1] == '\n') {
            continue;  // the file's CR LF is a terminal's LF
        } else if ((byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F) {
            shown += kHarmless;
        } else if (byte == 0xC2 && i + 1 < utf8Lines.size() &&
                   (static_cast<unsigned char>(utf8Lines[i + 1]) & 0xE0) == 0x80) {
            shown += kHarmless;  // U+0080..U+009F, the C1 controls
            ++i;
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace quillet::cli
