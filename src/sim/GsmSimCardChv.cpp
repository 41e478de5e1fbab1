// The card-holder verification commands and the authentication command.
#include <algorithm>
#include <array>

#include "sim/GsmSimCard.h"
#include "sim/SimStatusWords.h"

namespace quillet::sim {

namespace {

constexpr std::size_t kCodeLength = 8;
constexpr std::uint16_t kGsmDirectory = 0x7F20;

// A code as the card stores and compares it: ASCII digits padded with 0xFF to 8 bytes.
std::array<std::uint8_t, kCodeLength> CodeBytes(const std::string& digits) {
    std::array<std::uint8_t, kCodeLength> bytes;
    bytes.fill(0xFF);
    std::copy_n(digits.begin(), std::min(digits.size(), kCodeLength), bytes.begin());
    return bytes;
}

// Reads a new code: 4 to 8 digits, then only padding.
std::optional<std::string> ParseNewCode(std::span<const std::uint8_t> bytes) {
    std::string digits;
    std::size_t index = 0;
    while (index < bytes.size() && bytes[index] >= '0' && bytes[index] <= '9') {
        digits += static_cast<char>(bytes[index++]);
    }
    while (index < bytes.size() && bytes[index] == 0xFF) ++index;
    if (index != bytes.size() || digits.size() < 4) return std::nullopt;
    return digits;
}

}  // namespace

std::uint16_t GsmSimCard::PresentCode(SecretCode& code, std::span<const std::uint8_t> presented) {
    if (code.attemptsLeft == 0) return sw::kCodeBlocked;
    const auto expected = CodeBytes(code.digits);
    m_changed = true;
    if (std::equal(expected.begin(), expected.end(), presented.begin(), presented.end())) {
        code.attemptsLeft = code.maxAttempts;
        return sw::kOk;
    }
    --code.attemptsLeft;
    return code.attemptsLeft == 0 ? sw::kCodeBlocked : sw::kAccessNotFulfilled;
}

ApduResponse GsmSimCard::VerifyChv(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (header.p1 != 0 || (header.p2 != 1 && header.p2 != 2)) return {{}, sw::kWrongParameters};
    if (header.p3 != kCodeLength || data.size() != kCodeLength) return {{}, sw::kWrongLength};
    const bool first = header.p2 == 1;
    SecretCode& chv = first ? m_profile.chv1 : m_profile.chv2;
    if (!chv.initialised) return {{}, sw::kNoChvInitialised};
    if (first && !m_profile.chv1Enabled) return {{}, sw::kContradictsChvStatus};
    const std::uint16_t status = PresentCode(chv, data);
    (first ? m_chv1Verified : m_chv2Verified) = status == sw::kOk;
    return {{}, status};
}

ApduResponse GsmSimCard::ChangeChv(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (header.p1 != 0 || (header.p2 != 1 && header.p2 != 2)) return {{}, sw::kWrongParameters};
    if (header.p3 != 2 * kCodeLength || data.size() != 2 * kCodeLength) return {{}, sw::kWrongLength};
    const bool first = header.p2 == 1;
    SecretCode& chv = first ? m_profile.chv1 : m_profile.chv2;
    if (!chv.initialised) return {{}, sw::kNoChvInitialised};
    if (first && !m_profile.chv1Enabled) return {{}, sw::kContradictsChvStatus};
    const std::optional<std::string> newCode = ParseNewCode(data.subspan(kCodeLength));
    if (!newCode) return {{}, sw::kWrongParameters};
    const std::uint16_t status = PresentCode(chv, data.first(kCodeLength));
    if (status == sw::kOk) {
        chv.digits = *newCode;
    }
    (first ? m_chv1Verified : m_chv2Verified) = status == sw::kOk;
    return {{}, status};
}

ApduResponse GsmSimCard::SetChv1Enabled(const ApduHeader& header, std::span<const std::uint8_t> data, bool enable) {
    if (header.p1 != 0 || header.p2 != 1) return {{}, sw::kWrongParameters};
    if (header.p3 != kCodeLength || data.size() != kCodeLength) return {{}, sw::kWrongLength};
    if (m_profile.chv1.attemptsLeft == 0) return {{}, sw::kCodeBlocked};
    if (m_profile.chv1Enabled == enable) return {{}, sw::kContradictsChvStatus};
    const std::uint16_t status = PresentCode(m_profile.chv1, data);
    if (status == sw::kOk) {
        m_profile.chv1Enabled = enable;
        m_chv1Verified = enable;
    }
    return {{}, status};
}

ApduResponse GsmSimCard::UnblockChv(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (header.p1 != 0 || (header.p2 != 0 && header.p2 != 2)) return {{}, sw::kWrongParameters};
    if (header.p3 != 2 * kCodeLength || data.size() != 2 * kCodeLength) return {{}, sw::kWrongLength};
    const bool first = header.p2 == 0;
    SecretCode& unblock = first ? m_profile.unblockChv1 : m_profile.unblockChv2;
    SecretCode& chv = first ? m_profile.chv1 : m_profile.chv2;
    if (!unblock.initialised || !chv.initialised) return {{}, sw::kNoChvInitialised};
    const std::optional<std::string> newCode = ParseNewCode(data.subspan(kCodeLength));
    if (!newCode) return {{}, sw::kWrongParameters};
    const std::uint16_t status = PresentCode(unblock, data.first(kCodeLength));
    if (status == sw::kOk) {
        // The unblocked CHV takes the new code, is enabled, and counts as presented.
        chv.digits = *newCode;
        chv.attemptsLeft = chv.maxAttempts;
        if (first) m_profile.chv1Enabled = true;
        (first ? m_chv1Verified : m_chv2Verified) = true;
    }
    return {{}, status};
}

// Answers RAND with SRES and Kc. The algorithm is the card's own secret; this one only has to
// be repeatable and depend on every byte of RAND.
ApduResponse GsmSimCard::RunGsmAlgorithm(const ApduHeader& header, std::span<const std::uint8_t> data) {
    if (header.p1 != 0 || header.p2 != 0) return {{}, sw::kWrongParameters};
    if (header.p3 != 16 || data.size() != 16) return {{}, sw::kWrongLength};
    // The algorithm belongs to the GSM application: DF_GSM must be the current directory.
    if (m_currentDirectory != kGsmDirectory) return {{}, sw::kFileInconsistent};
    if (!AccessGranted(AccessLevel::Chv1)) return {{}, sw::kAccessNotFulfilled};
    std::vector<std::uint8_t> response(12);
    std::uint32_t state = 0x811C9DC5u;
    for (std::size_t index = 0; index < response.size(); ++index) {
        for (std::uint8_t byte : data) state = (state ^ byte ^ static_cast<std::uint8_t>(index)) * 0x01000193u;
        response[index] = static_cast<std::uint8_t>(state >> 24);
    }
    return RespondLater(response);
}

}  // namespace quillet::sim
