#pragma once

#include <string>
#include <string_view>

namespace quillet::cli {

// The program's own texts (messages, network names) are Windows-1250; a terminal shows the
// character set of its locale. Texts that come from the command line or from files are already
// the user's and pass as they are.

// Takes the character set from the environment (LC_ALL, LC_CTYPE, LANG); call once at start.
void UseTerminalLocale();

// A Windows-1250 text in `codeset`; characters it lacks are transliterated or become '?'.
// When the conversion is not available at all, the bytes pass unchanged.
std::string ConvertProgramText(std::string_view text, const std::string& codeset);

// A Windows-1250 text in the character set of the current locale.
std::string ToTerminal(std::string_view text);

}  // namespace quillet::cli
