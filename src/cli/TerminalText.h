#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "card/TextForms.h"

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

// Card text decoded for display (UTF-8) in `codeset`, resp. the current locale's character set;
// characters it lacks are transliterated or become '?'.
std::string ConvertDisplayText(std::string_view utf8, const std::string& codeset);
std::string DisplayToTerminal(std::string_view utf8);

// Lines of a *.DIA or *.SMS text made in display form (UTF-8) as a terminal may be given them: the
// fields' escapes become what they stand for, a line feed inside a field going on in the next line
// behind a TAB; lines end in LF; and no control character of a card's text reaches the terminal,
// where it could move the cursor or change the terminal's state.
std::string TerminalLines(std::string_view utf8Lines);

// Writes the text of entries as `format(form)` makes it: on a terminal the display form, made safe and
// in the terminal's character set; anywhere else the file form's bytes as they are.
template <typename Format>
void WriteEntryText(std::ostream& out, bool terminal, Format format) {
    if (terminal) {
        out << DisplayToTerminal(TerminalLines(format(card::TextForm::Display)));
    } else {
        const std::string bytes = format(card::TextForm::File);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}

}  // namespace quillet::cli
