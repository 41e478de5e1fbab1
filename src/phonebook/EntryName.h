#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "card/TextForms.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// An entry's name as text. The entry keeps the card's alpha bytes; what is shown, copied, printed
// and saved is their decoded text, and what is typed or read from text is encoded for the card.

// Bytes a name may take in an entry, whatever the card's records hold.
inline constexpr std::size_t kMaxNameBytes = sizeof(PhoneBookEntry::name) - 1;

// The decoded name. Bytes no phone wrote (0x80 and above without a UCS2 form in front, as older
// editors stored Windows-1250 names) read as Windows-1250.
std::u32string NameText(const PhoneBookEntry& entry);

// True when the name is such an older editor's Windows-1250 name rather than GSM text.
bool HasWindowsName(const PhoneBookEntry& entry);

// The name in `form`. A Windows-1250 name gives its own bytes in File form, so saving it never
// changes it.
std::string NameIn(const PhoneBookEntry& entry, card::TextForm form);

// Stores the text encoded for the card in at most min(maxBytes, 32) bytes. False, and the entry
// untouched, when no form holds the text in that room.
bool SetNameText(PhoneBookEntry& entry, std::u32string_view text, std::size_t maxBytes);

// What an edit dialog counts down: the bytes of min(maxBytes, 32) that the text leaves free;
// nothing when the text does not fit or holds a character no form can store.
std::optional<std::size_t> NameBytesLeft(std::u32string_view text, std::size_t maxBytes);

}  // namespace quillet::phonebook
