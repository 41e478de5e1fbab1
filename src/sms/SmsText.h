#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::sms {

// The text of a message's user data as phones read and write it (3GPP TS 23.038 data coding,
// TS 23.040 user data and its header). Every input is untrusted: lengths that claim more bytes than
// there are are cut to the bytes present, never read past.

// TP-UD holds at most this many octets.
inline constexpr std::size_t kMaxUserDataOctets = 140;

enum class SmsCoding { Gsm7, Data8, Ucs2 };

// The alphabet a data-coding scheme names. Compressed text is not supported and counts as 8-bit
// data; reserved codings count as the default alphabet, as receivers are told to take them.
SmsCoding CodingOf(std::uint8_t dcs);

// From the concatenation element of the header (8-bit or 16-bit reference).
struct Concatenation {
    std::uint16_t reference = 0;
    std::uint8_t total = 0;
    std::uint8_t part = 0;
    bool operator==(const Concatenation&) const = default;
};

struct DecodedUserData {
    std::u32string text;
    SmsCoding coding = SmsCoding::Gsm7;
    std::optional<Concatenation> parts;
    // The header as it was, its length octet included, for writing it back; empty without one.
    std::vector<std::uint8_t> header;
};

// `userData` starts with TP-UDL; `hasHeader` is TP-UDHI. 8-bit data shows as upper-case hex pairs
// separated by spaces.
DecodedUserData DecodeUserDataText(std::uint8_t dcs, bool hasHeader, std::span<const std::uint8_t> userData);

// TP-UDL and the user data of `text` after `header` (its length octet included, or empty), in the
// default alphabet when it holds the text and `ucs2Only` is false, else in UCS2. `dcs` gets the
// alphabet chosen: a scheme that already names it stays, one of the general group keeps its other
// bits, any other becomes 0x00 or 0x08. Nothing when the text does not fit 140 octets, or the
// header's length octet does not match its size; `dcs` is then unchanged.
std::optional<std::vector<std::uint8_t>> EncodeUserDataText(std::u32string_view text,
                                                            std::span<const std::uint8_t> header, std::uint8_t& dcs,
                                                            bool ucs2Only = false);

// What an edit dialog counts: characters of the coding the text needs (UCS2 with `ucs2Only`), where
// an extension character of the default alphabet, or a UCS2 character beyond U+FFFF, counts two.
struct SmsRoom {
    SmsCoding coding = SmsCoding::Gsm7;
    std::size_t used = 0;
    std::size_t capacity = 0;
    // Characters that still fit; 0 when the text is already too long.
    std::size_t Left() const { return used < capacity ? capacity - used : 0; }
    bool Fits() const { return used <= capacity; }
};
SmsRoom SmsTextRoom(std::u32string_view text, std::span<const std::uint8_t> header, bool ucs2Only = false);

// " (part n of m)", shown after the text of a concatenated part.
std::string PartMark(const Concatenation& parts);

}  // namespace quillet::sms
