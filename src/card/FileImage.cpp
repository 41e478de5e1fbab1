#include "card/FileImage.h"

namespace quillet::card {

std::vector<std::uint8_t> FileImage::Make(std::uint8_t count, std::uint8_t recordLength) {
    std::vector<std::uint8_t> bytes(2 + static_cast<std::size_t>(count) * recordLength, 0xFF);
    bytes[0] = count;
    bytes[1] = recordLength;
    return bytes;
}

std::span<std::uint8_t> FileImage::Record(std::size_t number) const {
    const std::size_t length = RecordLength();
    if (number == 0 || number > Count() || length == 0) return {};
    const std::size_t offset = 2 + (number - 1) * length;
    if (offset + length > m_bytes.size()) return {};
    return m_bytes.subspan(offset, length);
}

}  // namespace quillet::card
