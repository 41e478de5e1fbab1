#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillet::card {

// The cached copy of a record file: its record count and record length, then the records in card
// order. A file the card does not offer is cached as the two bytes 0, 0.
class FileImage {
public:
    static std::vector<std::uint8_t> Make(std::uint8_t count, std::uint8_t recordLength);

    explicit FileImage(std::span<std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint8_t Count() const { return m_bytes.size() >= 2 ? m_bytes[0] : 0; }
    std::uint8_t RecordLength() const { return m_bytes.size() >= 2 ? m_bytes[1] : 0; }
    // Record `number` (1-based); empty when there is no such record.
    std::span<std::uint8_t> Record(std::size_t number) const;

private:
    std::span<std::uint8_t> m_bytes;
};

}  // namespace quillet::card
