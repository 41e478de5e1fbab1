#pragma once

#include <string>
#include <string_view>

namespace quillet::card {

// Where decoded card text goes out: into the program's text files (*.DIA, *.SMS, *.SMA, backups),
// which hold Windows-1250, or onto a screen (windows, terminal, clipboard text for other programs),
// which takes UTF-8.
enum class TextForm {
    File,     // Windows-1250, characters it lacks spelled plainly (see FileTextOf)
    Display,  // UTF-8, every character as it is
};

// Windows-1250 bytes of a text. A character Windows-1250 lacks is spelled without its accent where it
// is a Latin letter (è → "e", Ø → "O", Æ → "AE"), and as '.' otherwise, the way names from files lose
// what a card cannot show.
std::string FileTextOf(std::u32string_view text);

// The text in `form`.
std::string TextIn(std::u32string_view text, TextForm form);

// The plain ASCII spelling of a Latin letter with an accent, a ligature or a stroke (ř → "r",
// ß → "ss", Œ → "OE"); empty for any other character.
std::string_view PlainSpelling(char32_t character);

// A text the GSM default alphabet and its extension table hold: their characters stay, others are
// spelled plainly, and what has no plain spelling becomes '?'.
std::u32string ToGsmRepertoire(std::u32string_view text);

}  // namespace quillet::card
