#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::sms {

// One EF_SMSP record (GSM 11.11 10.5.6): an alpha identifier of Y = L - 28 bytes, then the
// parameter indicators, the TP-Destination address, the service-centre address, TP-PID, TP-DCS
// and the relative TP-VP. What the program does not change is kept byte for byte.
inline constexpr std::size_t kSmspFixedPart = 28;
inline constexpr std::size_t kSmspAddressLength = 12;  // length byte, TON/NPI, ten BCD bytes
inline constexpr std::size_t kMaxCentreDigits = 20;

// A set bit in the parameter indicators says the parameter is absent.
namespace smsp_absent {
inline constexpr std::uint8_t kDestination = 0x01;
inline constexpr std::uint8_t kCentre = 0x02;
inline constexpr std::uint8_t kProtocol = 0x04;
inline constexpr std::uint8_t kCoding = 0x08;
inline constexpr std::uint8_t kValidity = 0x10;
}  // namespace smsp_absent

struct SmsParametersRecord {
    std::vector<std::uint8_t> alphaIdentifier;
    std::uint8_t indicators = 0xFF;
    std::array<std::uint8_t, kSmspAddressLength> destination{};
    std::array<std::uint8_t, kSmspAddressLength> centre{};
    std::uint8_t protocolId = 0xFF;
    std::uint8_t dataCoding = 0xFF;
    std::uint8_t validity = 0xFF;

    bool HasCentre() const { return (indicators & smsp_absent::kCentre) == 0; }
    bool HasValidity() const { return (indicators & smsp_absent::kValidity) == 0; }
    // Whether the record carries either parameter the program uses.
    bool HasParameters() const { return HasCentre() || HasValidity(); }
    // The centre as the program shows it: '+' for an international number (TON 1), then the digits up
    // to the first filler; a length byte above 11 is taken as 11.
    std::string CentreText() const;
    // The relative validity, 0 when the record has none.
    std::uint8_t ValidityOrZero() const { return HasValidity() ? validity : 0; }

    // Sets the centre (at most 20 digits, without '+') and the validity and marks both present. The
    // TON/NPI byte keeps its NPI; address bytes after the last digit keep their contents.
    void SetCentreAndValidity(std::string_view digits, bool international, std::uint8_t relativeValidity);
};

// Nothing when the record is too short for the fixed part; only the first 256 bytes count.
std::optional<SmsParametersRecord> DecodeSmsParametersRecord(std::span<const std::uint8_t> record);
std::vector<std::uint8_t> EncodeSmsParametersRecord(const SmsParametersRecord& record);

}  // namespace quillet::sms
