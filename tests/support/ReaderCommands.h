#pragma once

#include <array>
#include <span>
#include <vector>

#include "reader/CardReader.h"

namespace quillet::testing {

// One GSM command through a reader: the card's status word, or the reader's result when the command
// did not get through.
inline std::uint16_t Command(reader::CardReader& card, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                             std::uint8_t p3, std::span<std::uint8_t> data, reader::Direction direction) {
    std::uint16_t sw = 0;
    const reader::ReaderResult code = card.Transmit(0xA0, ins, p1, p2, p3, data, direction, sw);
    return code == reader::result::kOk ? sw : code;
}

inline std::uint16_t Select(reader::CardReader& card, std::uint16_t id) {
    std::array<std::uint8_t, 2> fid = {static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id)};
    return Command(card, 0xA4, 0, 0, 2, fid, reader::Direction::ToCard);
}

// Powers the card on, or resets it, and returns its answer to reset (empty when that failed).
inline std::vector<std::uint8_t> PowerOnAtr(reader::CardReader& card, bool reset = false) {
    std::array<std::uint8_t, 33> bytes{};
    reader::ByteBuffer atr{bytes};
    if ((reset ? card.ResetCard(&atr) : card.PowerOn(&atr)) != reader::result::kOk) return {};
    return std::vector<std::uint8_t>(atr.Bytes().begin(), atr.Bytes().end());
}

}  // namespace quillet::testing
