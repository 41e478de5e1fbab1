#pragma once

#include <cstdint>

#include "reader/ReaderResult.h"

namespace quillet::card {

// Status words are handled as one value SW1 * 256 + SW2.
inline constexpr std::uint16_t kSwOk = 0x9000;
inline constexpr std::uint16_t kSwAccessNotFulfilled = 0x9804;
// A card without the file: GSM cards answer 9404, ISO cards 6A82.
inline constexpr std::uint16_t kSwFileNotFound = 0x9404;
inline constexpr std::uint16_t kSwFileIdNotFound = 0x6A82;

inline bool IsResponseWaiting(std::uint16_t sw) { return (sw & 0xFF00) == 0x9F00; }
inline std::uint8_t ResponseLength(std::uint16_t sw) { return static_cast<std::uint8_t>(sw & 0xFF); }
inline bool IsSecurityStatus(std::uint16_t sw) { return (sw & 0xFF00) == 0x9800; }
// A UICC's refusal of a code: attempts left (63Cx), security status, method blocked, data invalidated.
inline bool IsUiccCodeRefusal(std::uint16_t sw) { return (sw & 0xFFF0) == 0x63C0 || (sw >= 0x6982 && sw <= 0x6984); }
// A UICC without the GSM application refuses the class (6Exx), or, on some cards, the instruction.
inline bool RefusesGsmClass(std::uint16_t sw) { return (sw & 0xFF00) == 0x6E00 || sw == 0x6D00; }

// The result of a command whose only good answer is 9000: 135 for any 98xx (or a UICC's refusal of
// a code), else 132.
inline reader::ReaderResult ChvStatusResult(std::uint16_t sw) {
    if (sw == kSwOk) return reader::result::kOk;
    return IsSecurityStatus(sw) || IsUiccCodeRefusal(sw) ? reader::result::kNoValidPin : reader::result::kBadStatusWord;
}

}  // namespace quillet::card
