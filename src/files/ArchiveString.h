#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quillet::files {

// The archive coding shared by the *.SIM backup file and the private clipboard payloads:
// little-endian integers and `ArchiveString` texts. An `ArchiveString` is a length prefix and then
// the bytes, without terminator; the prefix has three forms:
//   length below 255:     one byte
//   length below 0xFFFE:  0xFF, 16-bit length
//   any other length:     0xFF, 16-bit 0xFFFF, 32-bit length
// The 16-bit value 0xFFFE after 0xFF is never written and is refused on reading.

inline constexpr std::size_t kMaxArchiveStringLength = 0xFFFFFFFFu;

// The number of bytes an `ArchiveString` of `length` bytes takes, prefix included.
std::size_t ArchiveStringSize(std::size_t length);

// Builds an archive in memory.
class ArchiveWriter {
public:
    void WriteU8(std::uint8_t value);
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    // Writes the text in the shortest prefix form. A text longer than kMaxArchiveStringLength
    // is cut to that length; no field of the program comes near it.
    void WriteArchiveString(std::string_view text);

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBytes() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Where an archive is read from. Read gives up to `count` bytes and returns how many it gave;
// fewer than asked means the data ended or could not be read.
class ArchiveSource {
public:
    virtual ~ArchiveSource() = default;
    virtual std::size_t Read(std::uint8_t* destination, std::size_t count) = 0;
};

class MemoryArchiveSource final : public ArchiveSource {
public:
    explicit MemoryArchiveSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::size_t Read(std::uint8_t* destination, std::size_t count) override;

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

enum class ArchiveError {
    kNone,
    kEndOfData,  // the data ended (or could not be read) inside a value
    kMalformed,  // a length prefix in the reserved form
};

// Reads an archive from untrusted data. Every read checks that its bytes are there; the first
// failure is kept, and every later read fails too, so a caller may test once after a group.
// Nothing is allocated from a length found in the data: long texts are cut to the caller's
// field and the rest is skipped.
class ArchiveReader {
public:
    explicit ArchiveReader(ArchiveSource& source) : m_source(source) {}

    bool ReadU8(std::uint8_t& value);
    bool ReadU16(std::uint16_t& value);
    bool ReadU32(std::uint32_t& value);
    bool ReadBytes(std::uint8_t* destination, std::size_t count);
    bool Skip(std::uint64_t count);

    // The length prefix of an `ArchiveString` alone; the caller then reads or skips the bytes.
    bool ReadArchiveStringLength(std::uint32_t& length);

    // Reads an `ArchiveString` into a zero-terminated field of `fieldSize` bytes (at least 1):
    // at most fieldSize − 1 bytes are kept, the rest of the text is skipped, and the field is
    // zero-filled after the kept bytes. On failure the field's contents are unspecified.
    bool ReadArchiveString(char* field, std::size_t fieldSize);
    template <std::size_t N>
    bool ReadArchiveString(char (&field)[N]) {
        return ReadArchiveString(field, N);
    }

    ArchiveError Error() const { return m_error; }
    bool Failed() const { return m_error != ArchiveError::kNone; }

private:
    bool Fail(ArchiveError error);

    ArchiveSource& m_source;
    ArchiveError m_error = ArchiveError::kNone;
};

}  // namespace quillet::files
