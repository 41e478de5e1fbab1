#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillet::card {

// The cached copy of a record file: its record count and record length, then the records in card
// order. A file the card does not offer is cached as the two bytes 0, 0. Only the session writes
// into an image (WritableFileImage); everyone else reads it (FileImage).
template <typename Byte>
class BasicFileImage {
public:
    explicit BasicFileImage(std::span<Byte> bytes) : m_bytes(bytes) {}

    std::span<Byte> Bytes() const { return m_bytes; }
    std::uint8_t Count() const { return m_bytes.size() >= 2 ? m_bytes[0] : 0; }
    std::uint8_t RecordLength() const { return m_bytes.size() >= 2 ? m_bytes[1] : 0; }
    // Record `number` (1-based); empty when there is no such record.
    std::span<Byte> Record(std::size_t number) const {
        const std::size_t length = RecordLength();
        if (number == 0 || number > Count() || length == 0) return {};
        const std::size_t offset = 2 + (number - 1) * length;
        if (offset + length > m_bytes.size()) return {};
        return m_bytes.subspan(offset, length);
    }

private:
    std::span<Byte> m_bytes;
};

using FileImage = BasicFileImage<const std::uint8_t>;
using WritableFileImage = BasicFileImage<std::uint8_t>;

// An image of `count` empty records (all 0xFF).
std::vector<std::uint8_t> MakeFileImage(std::uint8_t count, std::uint8_t recordLength);

}  // namespace quillet::card
