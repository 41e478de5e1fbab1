#pragma once

namespace quillet::phonebook {

// Turns a Windows-1250 letter of a name that came from text (clipboard, *.DIA files) into plain
// ASCII: characters below 0x80 stay, known letters lose their accents, anything else becomes '.'.
char TransliterateChar(char character);

}  // namespace quillet::phonebook
