#include "cli/TerminalText.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>

namespace quillet::cli {

void UseTerminalLocale() { std::setlocale(LC_CTYPE, ""); }

std::string ConvertProgramText(std::string_view text, const std::string& codeset) {
    const iconv_t converter = ::iconv_open((codeset + "//TRANSLIT").c_str(), "CP1250");
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
        // A byte Windows-1250 leaves undefined, or a character without any spelling here.
        converted += '?';
        ++in;
        --inLeft;
    }
    ::iconv_close(converter);
    return converted;
}

std::string ToTerminal(std::string_view text) { return ConvertProgramText(text, ::nl_langinfo(CODESET)); }

}  // namespace quillet::cli
