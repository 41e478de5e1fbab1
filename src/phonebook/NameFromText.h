#pragma once

#include <string>
#include <string_view>

namespace quillet::phonebook {

// Names that come from text (*.DIA lines, text pasted from other programs) are stored in plain
// letters, the way the card shows them on any phone.

// A name's Windows-1250 bytes: each transliterated, then read. The earlier file writer put a card's
// ESC pairs into the text as they were, so an ESC before a code of GSM's extension table is that
// table's character; any other ESC goes as a phone drops it, and one at the end shows as a space.
std::u32string NameFromText(std::string_view cp1250);

// The same for UTF-8 text (read as Windows-1250 when it is not valid UTF-8): characters Windows-1250
// lacks are first spelled plainly, as in the files.
std::u32string NameFromUtf8(std::string_view utf8);

}  // namespace quillet::phonebook
