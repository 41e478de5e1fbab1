#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "reader/CardReader.h"

namespace quillet::card {

// The card-holder verification commands. A code is the leading digits of its text (at most 8;
// fewer than 4 gives 136) sent as ASCII and padded with 0xFF. 9000 gives 102, any 98xx 135 and
// anything else 132; a UICC's refusals of a code (63Cx, 6982 to 6984) count as 98xx. A card that
// refuses the GSM class gets the command again in class 00 with PIN key references. The buffers
// that held codes are wiped after every command.

// Encodes a code; false when it has fewer than 4 leading digits.
bool EncodeChvCode(std::string_view text, std::array<std::uint8_t, 8>& out);

// A transport failure of VERIFY or UNBLOCK powers the card down before the code is returned.
reader::ReaderResult VerifyChv(reader::CardReader& reader, std::string_view pin, unsigned chv);
reader::ReaderResult ChangeChv(reader::CardReader& reader, unsigned chv, std::string_view oldPin,
                               std::string_view newPin);
reader::ReaderResult DisableChv(reader::CardReader& reader, std::string_view pin);
reader::ReaderResult EnableChv(reader::CardReader& reader, std::string_view pin);
reader::ReaderResult UnblockChv(reader::CardReader& reader, std::string_view unblockCode, std::string_view newPin,
                                unsigned chv);

}  // namespace quillet::card
