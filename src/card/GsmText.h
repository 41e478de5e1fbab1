#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::card {

// Text as cards, files and the user hold it. Inside the program text is Unicode code points; these
// convert at the boundaries: UTF-8 (windows, terminal), Windows-1250 (*.DIA and *.SMS files), the GSM
// default alphabet and UCS2 (card records and messages). Every input is untrusted: malformed bytes
// give U+FFFD or a shortened text, never a read outside the input.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// ---- UTF-8 ---------------------------------------------------------------------------------------

// Code points that are not characters (surrogates, beyond U+10FFFF) come out as U+FFFD.
std::string Utf8FromText(std::u32string_view text);
// Nothing for malformed UTF-8: truncated or overlong sequences, surrogates, beyond U+10FFFF.
std::optional<std::u32string> TextFromUtf8(std::string_view bytes);

// ---- Windows-1250 --------------------------------------------------------------------------------

// The five bytes Windows-1250 leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) give U+FFFD.
std::u32string TextFromCp1250(std::string_view bytes);
// The byte of a character; nothing for a character Windows-1250 cannot hold.
std::optional<char> Cp1250ByteOf(char32_t character);
// Characters Windows-1250 cannot hold become `replacement`.
std::string Cp1250FromText(std::u32string_view text, char replacement);

// ---- GSM 7-bit default alphabet ------------------------------------------------------------------

// Escape to the extension table; alone it shows as a space.
inline constexpr std::uint8_t kGsmEscape = 0x1B;

// The character of a septet of the default table (U+FFFD for values above 0x7F).
char32_t GsmCharOf(std::uint8_t septet);

// How one character is written: one septet, or the escape and a code of the extension table.
struct GsmSeptets {
    std::array<std::uint8_t, 2> septets{};
    std::uint8_t count = 0;
};
// Nothing when neither table holds the character.
std::optional<GsmSeptets> SeptetsOf(char32_t character);

// Septets one per byte (not packed). An escape followed by a code the extension table does not
// define shows the default table's character of that code; an escape at the end shows as a space.
std::u32string DecodeSeptets(std::span<const std::uint8_t> septets);
// Nothing when a character has no place in either table.
std::optional<std::vector<std::uint8_t>> EncodeSeptets(std::u32string_view text);

// ---- Alpha identifiers (names in ADN, FDN, LND, MSISDN and SMSP records) --------------------------

// `gsmText` is false for bytes no phone wrote: 0x80 and above without a UCS2 form in front, as older
// editors stored Windows-1250 names. `text` is then the Windows-1250 reading of the bytes, so the
// name shows as it did and the card keeps its bytes until the name is edited.
struct DecodedAlpha {
    std::u32string text;
    bool gsmText = true;
};
// Trailing 0xFF bytes are padding. Forms: 0x80 (UCS2 up to a 0xFFFF pair), 0x81 and 0x82 (a count,
// a base, then default-alphabet bytes below 0x80 and base offsets above), else the default alphabet.
DecodedAlpha DecodeAlphaIdentifier(std::span<const std::uint8_t> bytes);

// Whether a name may hold the byte 0xFF. GSM 11.11 allows it inside the UCS2 forms, but reading a
// dialling-number record ends its name at the first 0xFF, so names bound for such records avoid it
// (the shortest form without one; none when every form of the text needs one).
enum class PaddingByte {
    Allowed,
    Avoided,
};

// The default alphabet when it holds the text (a UCS2 form must not be used then), otherwise the
// shortest of the forms 0x81, 0x82 and 0x80 (on a tie in that order); no padding. Nothing when the
// form needs more than `maxBytes` or a character lies beyond U+FFFF.
std::optional<std::vector<std::uint8_t>> EncodeAlphaIdentifier(std::u32string_view text, std::size_t maxBytes,
                                                               PaddingByte padding = PaddingByte::Allowed);
// Bytes the form EncodeAlphaIdentifier would choose needs; nothing when no form holds the text.
std::optional<std::size_t> AlphaIdentifierBytes(std::u32string_view text, PaddingByte padding = PaddingByte::Allowed);

// A name cut to at most `maxBytes` without splitting a character (a UCS2 unit, an escape pair, a
// character of a 0x81 or 0x82 form): GSM text loses characters from its end and is encoded afresh
// (count byte and form fitting what is left, no 0xFF), other bytes are cut where the limit falls.
// A name that fits comes back byte for byte.
std::vector<std::uint8_t> CutAlphaIdentifier(std::span<const std::uint8_t> bytes, std::size_t maxBytes);

// ---- UCS2 of messages ----------------------------------------------------------------------------

// Big-endian units; a surrogate pair gives its code point, a lone surrogate U+FFFD; an odd last byte
// is ignored.
std::u32string DecodeUcs2(std::span<const std::uint8_t> bytes);
// Big-endian units, characters beyond U+FFFF as surrogate pairs; non-characters become U+FFFD.
std::vector<std::uint8_t> EncodeUcs2(std::u32string_view text);

}  // namespace quillet::card
