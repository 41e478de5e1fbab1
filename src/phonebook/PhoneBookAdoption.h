#pragma once

#include <cstddef>
#include <span>

#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// A *.DIA file carries an entry's name as plain text (GSM's 0x00 byte as '@') and its number with '+'
// for an international one, nothing else (DiaTextOf). An entry read from such a file stands for the
// card's record at its position when both give the same line: it then takes the card's entry whole
// (NPI, type of number, capability and extension records, every name byte) and loses its `modified`
// mark, so a phone book written back from its own file keeps the card's bytes. Positions are compared
// one to one; returns how many entries were taken from the card.
std::size_t AdoptUnchangedEntries(std::span<PhoneBookEntry> fromFile, std::span<const PhoneBookEntry> onCard);

}  // namespace quillet::phonebook
