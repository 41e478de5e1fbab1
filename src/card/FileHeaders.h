#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace quillet::card {

// The first 18 bytes of the answer to an EF select (GSM 11.11 9.2.1), all zero when the select
// answered 9000.
struct EfInformation {
    std::array<std::uint8_t, 18> bytes{};

    // Takes the first bytes of an answer; what the answer does not give reads as zero.
    static EfInformation FromAnswer(std::span<const std::uint8_t> answer) {
        EfInformation info;
        std::copy_n(answer.begin(), std::min(answer.size(), info.bytes.size()), info.bytes.begin());
        return info;
    }

    std::uint16_t FileSize() const { return static_cast<std::uint16_t>(bytes[2] << 8 | bytes[3]); }
    std::uint16_t FileId() const { return static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]); }
    bool IsValid() const { return (bytes[11] & 0x01) != 0; }  // not invalidated
    void SetValid(bool valid) { bytes[11] = static_cast<std::uint8_t>(valid ? bytes[11] | 0x01 : bytes[11] & ~0x01); }
    std::uint8_t Structure() const { return bytes[13]; }
    bool IsRecordFile() const { return Structure() != 0; }
    std::uint8_t RecordLength() const { return bytes[14]; }
    // Records of a record file; 0 for a transparent file or a record length of 0.
    std::uint16_t RecordCount() const {
        return IsRecordFile() && RecordLength() != 0 ? static_cast<std::uint16_t>(FileSize() / RecordLength()) : 0;
    }
};

// The answer to a DF select, up to 36 bytes.
struct DfInformation {
    std::array<std::uint8_t, 36> bytes{};

    static DfInformation FromAnswer(std::span<const std::uint8_t> answer) {
        DfInformation info;
        std::copy_n(answer.begin(), std::min(answer.size(), info.bytes.size()), info.bytes.begin());
        return info;
    }

    std::uint16_t TotalMemory() const { return static_cast<std::uint16_t>(bytes[2] << 8 | bytes[3]); }
    std::uint16_t FileId() const { return static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]); }
    bool Chv1Disabled() const { return (bytes[13] & 0x80) != 0; }
    // Status bytes of CHV1, UNBLOCK CHV1, CHV2 and UNBLOCK CHV2: bit 8 initialised, bits 1-4
    // attempts left.
    std::uint8_t CodeStatus(unsigned index) const { return bytes[18 + index]; }
};

}  // namespace quillet::card
