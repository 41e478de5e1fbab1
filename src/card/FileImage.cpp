#include "card/FileImage.h"

namespace quillet::card {

std::vector<std::uint8_t> MakeFileImage(std::uint8_t count, std::uint8_t recordLength) {
    std::vector<std::uint8_t> bytes(2 + static_cast<std::size_t>(count) * recordLength, 0xFF);
    bytes[0] = count;
    bytes[1] = recordLength;
    return bytes;
}

}  // namespace quillet::card
