#include "files/ArchiveString.h"

#include <algorithm>
#include <cstring>

namespace quillet::files {

namespace {

constexpr std::uint8_t kLongLengthMark = 0xFF;     // one byte: a 16-bit length follows
constexpr std::uint16_t kReservedLength = 0xFFFE;  // never a length of ours
constexpr std::uint16_t kHugeLengthMark = 0xFFFF;  // 16 bits: a 32-bit length follows

}  // namespace

std::size_t ArchiveStringSize(std::size_t length) {
    const std::size_t kept = std::min(length, kMaxArchiveStringLength);
    if (kept < kLongLengthMark) return 1 + kept;
    if (kept < kReservedLength) return 3 + kept;
    return 7 + kept;
}

void ArchiveWriter::WriteU8(std::uint8_t value) { m_bytes.push_back(value); }

void ArchiveWriter::WriteU16(std::uint16_t value) {
    m_bytes.push_back(static_cast<std::uint8_t>(value));
    m_bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ArchiveWriter::WriteU32(std::uint32_t value) {
    WriteU16(static_cast<std::uint16_t>(value));
    WriteU16(static_cast<std::uint16_t>(value >> 16));
}

void ArchiveWriter::WriteArchiveString(std::string_view text) {
    const std::size_t length = std::min(text.size(), kMaxArchiveStringLength);
    if (length < kLongLengthMark) {
        WriteU8(static_cast<std::uint8_t>(length));
    } else if (length < kReservedLength) {
        WriteU8(kLongLengthMark);
        WriteU16(static_cast<std::uint16_t>(length));
    } else {
        WriteU8(kLongLengthMark);
        WriteU16(kHugeLengthMark);
        WriteU32(static_cast<std::uint32_t>(length));
    }
    m_bytes.insert(m_bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
}

std::size_t MemoryArchiveSource::Read(std::uint8_t* destination, std::size_t count) {
    const std::size_t given = std::min(count, m_bytes.size() - m_position);
    if (given != 0) std::memcpy(destination, m_bytes.data() + m_position, given);
    m_position += given;
    return given;
}

bool ArchiveReader::Fail(ArchiveError error) {
    if (m_error == ArchiveError::kNone) m_error = error;
    return false;
}

bool ArchiveReader::ReadBytes(std::uint8_t* destination, std::size_t count) {
    if (Failed()) return false;
    if (count == 0) return true;
    if (m_source.Read(destination, count) != count) return Fail(ArchiveError::kEndOfData);
    return true;
}

bool ArchiveReader::Skip(std::uint64_t count) {
    std::uint8_t scratch[4096];
    while (count != 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof scratch));
        if (!ReadBytes(scratch, step)) return false;
        count -= step;
    }
    return !Failed();
}

bool ArchiveReader::ReadU8(std::uint8_t& value) { return ReadBytes(&value, 1); }

bool ArchiveReader::ReadU16(std::uint16_t& value) {
    std::uint8_t bytes[2];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool ArchiveReader::ReadU32(std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!ReadBytes(bytes, sizeof bytes)) return false;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

// A longer form than needed (a 16-bit 10, say) is read as what it says; only the reserved
// 16-bit value is refused, since no writer of this coding puts a length there.
bool ArchiveReader::ReadArchiveStringLength(std::uint32_t& length) {
    std::uint8_t shortLength = 0;
    if (!ReadU8(shortLength)) return false;
    if (shortLength != kLongLengthMark) {
        length = shortLength;
        return true;
    }
    std::uint16_t mediumLength = 0;
    if (!ReadU16(mediumLength)) return false;
    if (mediumLength == kReservedLength) return Fail(ArchiveError::kMalformed);
    if (mediumLength != kHugeLengthMark) {
        length = mediumLength;
        return true;
    }
    return ReadU32(length);
}

bool ArchiveReader::ReadArchiveString(char* field, std::size_t fieldSize) {
    std::uint32_t length = 0;
    if (fieldSize == 0 || !ReadArchiveStringLength(length)) return false;
    const std::size_t kept = std::min<std::size_t>(length, fieldSize - 1);
    if (!ReadBytes(reinterpret_cast<std::uint8_t*>(field), kept)) return false;
    std::memset(field + kept, 0, fieldSize - kept);
    return Skip(length - kept);
}

}  // namespace quillet::files
