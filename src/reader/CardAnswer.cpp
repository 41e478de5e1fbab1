#include "reader/CardAnswer.h"

namespace quillet::reader {

bool IsSuccessStatus(std::uint16_t sw) {
    const std::uint8_t sw1 = sw >> 8;
    return sw == 0x9000 || sw1 == 0x91 || sw1 == 0x9F;
}

bool IsCompleteAnswer(std::size_t received, std::size_t expected, std::uint16_t sw) {
    return received == expected || (received == 0 && !IsSuccessStatus(sw));
}

}  // namespace quillet::reader
