#pragma once

#include <cstddef>
#include <span>

#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// A *.DIA file carries an entry's name as Windows-1250 text, which reading transliterates to plain
// letters, and its number with '+' for an international one, nothing else. An entry read from such a
// file stands for the card's record at its position when both read back as the same line
// (DiaReadBackOf), so the card's "Müller" stands for the file's "Muller" and "Müller". It then takes
// the card's entry whole (NPI, type of number, capability and extension records, every name byte)
// and loses its `modified` mark, so a phone book written back from its own file keeps the card's
// bytes. Each entry is compared with the record at its own position first, then with any record
// not taken yet, so a line moved in the file keeps its record's bytes (its own position stays its
// index). Returns how many entries were taken from the card.
std::size_t AdoptUnchangedEntries(std::span<PhoneBookEntry> fromFile, std::span<const PhoneBookEntry> onCard);

}  // namespace quillet::phonebook
