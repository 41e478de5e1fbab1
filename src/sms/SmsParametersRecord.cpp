#include "sms/SmsParametersRecord.h"

#include <algorithm>

#include "card/DiallingDigits.h"

namespace quillet::sms {

namespace {

constexpr std::size_t kMaxRecordLength = 256;
constexpr std::uint8_t kMaxCentreLength = 11;  // TON/NPI and ten digit bytes
constexpr std::uint8_t kInternational = 1;

// Offsets within the fixed part.
constexpr std::size_t kIndicators = 0;
constexpr std::size_t kDestination = 1;
constexpr std::size_t kCentre = kDestination + kSmspAddressLength;
constexpr std::size_t kProtocolId = kCentre + kSmspAddressLength;
constexpr std::size_t kDataCoding = kProtocolId + 1;
constexpr std::size_t kValidity = kDataCoding + 1;
static_assert(kValidity + 1 == kSmspFixedPart);

// Within an address field.
constexpr std::size_t kAddressLength = 0;
constexpr std::size_t kTonNpi = 1;
constexpr std::size_t kDigits = 2;

}  // namespace

std::string SmsParametersRecord::CentreText() const {
    const std::size_t length = std::min(centre[kAddressLength], kMaxCentreLength);
    if (length == 0) return {};
    const std::string digits = card::UnpackDigits(std::span(centre).subspan(kDigits), 2 * length - 2, kMaxCentreDigits);
    return ((centre[kTonNpi] >> 4) & 0x07) == kInternational ? "+" + digits : digits;
}

void SmsParametersRecord::SetCentreAndValidity(std::string_view digits, bool international,
                                               std::uint8_t relativeValidity) {
    digits = digits.substr(0, kMaxCentreDigits);
    indicators &= static_cast<std::uint8_t>(~(smsp_absent::kCentre | smsp_absent::kValidity));
    centre[kAddressLength] = static_cast<std::uint8_t>((digits.size() + 1) / 2 + 1);
    centre[kTonNpi] = static_cast<std::uint8_t>((international ? 0x90 : 0x80) | (centre[kTonNpi] & 0x0F));
    card::PackDigits(digits, std::span(centre).subspan(kDigits));
    validity = relativeValidity;
}

std::optional<SmsParametersRecord> DecodeSmsParametersRecord(std::span<const std::uint8_t> bytes) {
    bytes = bytes.first(std::min(bytes.size(), kMaxRecordLength));
    if (bytes.size() < kSmspFixedPart) return std::nullopt;
    const std::size_t alphaLength = bytes.size() - kSmspFixedPart;
    const std::span<const std::uint8_t> fixed = bytes.subspan(alphaLength);
    SmsParametersRecord record;
    record.alphaIdentifier.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(alphaLength));
    record.indicators = fixed[kIndicators];
    std::copy_n(fixed.begin() + kDestination, kSmspAddressLength, record.destination.begin());
    std::copy_n(fixed.begin() + kCentre, kSmspAddressLength, record.centre.begin());
    record.protocolId = fixed[kProtocolId];
    record.dataCoding = fixed[kDataCoding];
    record.validity = fixed[kValidity];
    return record;
}

std::vector<std::uint8_t> EncodeSmsParametersRecord(const SmsParametersRecord& record) {
    std::vector<std::uint8_t> bytes(record.alphaIdentifier);
    bytes.push_back(record.indicators);
    bytes.insert(bytes.end(), record.destination.begin(), record.destination.end());
    bytes.insert(bytes.end(), record.centre.begin(), record.centre.end());
    bytes.push_back(record.protocolId);
    bytes.push_back(record.dataCoding);
    bytes.push_back(record.validity);
    return bytes;
}

}  // namespace quillet::sms
