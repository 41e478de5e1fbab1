#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillet::sim {

// The five header bytes of a card command.
struct ApduHeader {
    std::uint8_t cla = 0;
    std::uint8_t ins = 0;
    std::uint8_t p1 = 0;
    std::uint8_t p2 = 0;
    std::uint8_t p3 = 0;

    bool operator==(const ApduHeader&) const = default;
};

// What a card answers to one command: data for the host (possibly none) and the status word.
struct ApduResponse {
    std::vector<std::uint8_t> data;
    std::uint16_t sw = 0x9000;
};

// A smart card seen at command level. The T=0 line adapter and the other doors of the virtual
// card turn bytes on a line or frames on a socket into calls of this interface.
class ApduCard {
public:
    virtual ~ApduCard() = default;

    // Powers the card up (or resets it) and returns its answer to reset in direct convention.
    virtual std::vector<std::uint8_t> Reset() = 0;
    // True when the command carries P3 data bytes from the host to the card.
    virtual bool TakesData(const ApduHeader& header) const = 0;
    // Carries out one command. `data` holds the host's bytes for commands that take data.
    virtual ApduResponse Process(const ApduHeader& header, std::span<const std::uint8_t> data) = 0;
};

}  // namespace quillet::sim
