// The PLMN coding of GSM 11.11 10.3.4 / 3GPP TS 24.008 10.5.1.3:
//   byte 1: MCC digit 2 | MCC digit 1
//   byte 2: MNC digit 3 | MCC digit 3   (0xF when the MNC has two digits)
//   byte 3: MNC digit 2 | MNC digit 1
#include "backup/PlmnEntry.h"

namespace quillet::backup {

namespace {

constexpr std::uint8_t kEmptyByte = 0xFF;
constexpr std::uint8_t kFillerNibble = 0xF;

std::uint8_t Low(std::uint8_t byte) { return byte & 0x0F; }
std::uint8_t High(std::uint8_t byte) { return byte >> 4; }

// Appends a digit to a number; anything but 0..9 is left out.
void AppendDigit(std::uint32_t& number, std::uint8_t nibble) {
    if (nibble <= 9) number = number * 10 + nibble;
}

std::uint8_t Digit(std::uint32_t number, std::uint32_t place) { return static_cast<std::uint8_t>(number / place % 10); }

}  // namespace

PlmnEntry DecodePlmnSlot(std::span<const std::uint8_t, kPlmnSlotSize> slot) {
    PlmnEntry entry;
    if (slot[0] == kEmptyByte) return entry;
    entry.valid = 1;
    AppendDigit(entry.mcc, Low(slot[0]));
    AppendDigit(entry.mcc, High(slot[0]));
    AppendDigit(entry.mcc, Low(slot[1]));
    AppendDigit(entry.mnc, Low(slot[2]));
    AppendDigit(entry.mnc, High(slot[2]));
    // Only a decimal digit counts as a third MNC digit; 0xF (and any other non-digit) marks
    // the two-digit form.
    if (High(slot[1]) <= 9) {
        entry.threeDigitMnc = 1;
        AppendDigit(entry.mnc, High(slot[1]));
    }
    return entry;
}

PlmnSlot EncodePlmnSlot(const PlmnEntry& entry) {
    if (entry.valid == 0) return {kEmptyByte, kEmptyByte, kEmptyByte};
    const std::uint8_t byte1 = static_cast<std::uint8_t>(Digit(entry.mcc, 10) << 4 | Digit(entry.mcc, 100));
    if (!entry.HasThreeDigitMnc()) {
        return {byte1, static_cast<std::uint8_t>(kFillerNibble << 4 | Digit(entry.mcc, 1)),
                static_cast<std::uint8_t>(Digit(entry.mnc, 1) << 4 | Digit(entry.mnc, 10))};
    }
    return {byte1, static_cast<std::uint8_t>(Digit(entry.mnc, 1) << 4 | Digit(entry.mcc, 1)),
            static_cast<std::uint8_t>(Digit(entry.mnc, 10) << 4 | Digit(entry.mnc, 100))};
}

}  // namespace quillet::backup
