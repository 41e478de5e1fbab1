#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "card/FileImage.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

// A dialling-number record of length L (ADN, FDN, MSISDN, LND): L - 14 bytes of name, the length
// of the number contents, TON/NPI, 10 bytes of BCD digits (low nibble first, 0xF fills), the
// capability/configuration identifier and the first extension record's number. Digits beyond
// the 20 of the record continue in 13-byte extension records of type 2.
inline constexpr std::size_t kDiallingFixedPart = 14;
inline constexpr std::size_t kDigitsPerRecord = 20;
inline constexpr std::size_t kExtensionRecordLength = 13;
inline constexpr std::size_t kDigitsPerExtension = 20;
inline constexpr std::size_t kMaxDigits = 60;

// Decodes a record (extension records taken from `extensions`, which may be empty) into an
// entry with the given index. Never fails: bad lengths or broken chains only shorten the number.
void DecodeDiallingRecord(std::span<const std::uint8_t> record, const card::FileImage& extensions, std::uint16_t index,
                          PhoneBookEntry& entry);

// True when a record holds an entry: the decoder gives it `used` = 1.
bool IsDiallingRecordInUse(std::span<const std::uint8_t> record);

// The BCD nibbles of an entry's number.
std::vector<std::uint8_t> NumberNibbles(const PhoneBookEntry& entry);

// The record of a used or empty entry; a name longer than the record's name bytes is cut at a
// character, digits beyond the first 20 are left to the extension records, and `extensionId` is
// written as given.
std::vector<std::uint8_t> EncodeDiallingRecord(const PhoneBookEntry& entry, std::size_t recordLength,
                                               std::uint8_t extensionId);

// Extension records of type 2 carrying `nibbles` (up to 20 each), chained through `numbers`.
std::vector<std::vector<std::uint8_t>> EncodeExtensionChain(std::span<const std::uint8_t> nibbles,
                                                            std::span<const std::uint8_t> numbers);

// How many extension records the digits of an entry need beyond its record.
std::size_t ExtensionRecordsNeeded(const PhoneBookEntry& entry);

}  // namespace quillet::phonebook
