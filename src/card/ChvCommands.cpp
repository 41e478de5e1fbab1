#include "card/ChvCommands.h"

#include <algorithm>

#include "card/SecretString.h"
#include "card/StatusWords.h"
#include "reader/SecureWipe.h"

namespace quillet::card {

namespace {

constexpr std::uint8_t kClass = 0xA0;
constexpr std::uint8_t kUiccClass = 0x00;
constexpr std::size_t kCodeLength = 8;
constexpr std::size_t kMinimumDigits = 4;

enum Instruction : std::uint8_t { kVerify = 0x20, kChange = 0x24, kDisable = 0x26, kEnable = 0x28, kUnblock = 0x2C };

// The data of one CHV command; wiped when it goes out of scope, whatever the outcome.
class CodeBuffer {
public:
    ~CodeBuffer() { reader::SecureWipe(m_bytes.data(), m_bytes.size()); }
    bool Put(std::size_t slot, std::string_view text) {
        std::array<std::uint8_t, kCodeLength> code{};
        const bool valid = EncodeChvCode(text, code);
        std::copy(code.begin(), code.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(slot * kCodeLength));
        reader::SecureWipe(code.data(), code.size());
        return valid;
    }
    std::span<std::uint8_t> Bytes(std::size_t codes) { return std::span(m_bytes).first(codes * kCodeLength); }

private:
    std::array<std::uint8_t, 2 * kCodeLength> m_bytes{};
};

bool IsChvNumber(unsigned chv) { return chv == 1 || chv == 2; }

// Sends a CHV command in the GSM class, where P2 is `p2`. A UICC without the GSM application
// refuses that class; it takes the command in class 00, which names PIN1 by key reference 01 and
// PIN2 by 81.
reader::ReaderResult Send(reader::CardReader& reader, std::uint8_t ins, std::uint8_t p2, unsigned chv,
                          CodeBuffer& buffer, std::size_t codes, bool powerDownOnFailure) {
    std::uint16_t sw = 0;
    const std::span<std::uint8_t> data = buffer.Bytes(codes);
    const auto transmit = [&](std::uint8_t cla, std::uint8_t reference) {
        const reader::ReaderResult code = reader.Transmit(
            cla, ins, 0, reference, static_cast<std::uint8_t>(data.size()), data, reader::Direction::ToCard, sw);
        if (code != reader::result::kOk && powerDownOnFailure) reader.PowerOff();
        return code;
    };
    reader::ReaderResult code = transmit(kClass, p2);
    if (code == reader::result::kOk && RefusesGsmClass(sw)) code = transmit(kUiccClass, chv == 2 ? 0x81 : 0x01);
    return code != reader::result::kOk ? code : ChvStatusResult(sw);
}

}  // namespace

bool EncodeChvCode(std::string_view text, std::array<std::uint8_t, 8>& out) {
    out.fill(0xFF);
    std::size_t digits = 0;
    while (digits < text.size() && digits < kCodeLength && text[digits] >= '0' && text[digits] <= '9') {
        out[digits] = static_cast<std::uint8_t>(text[digits]);
        ++digits;
    }
    return digits >= kMinimumDigits;
}

reader::ReaderResult VerifyChv(reader::CardReader& reader, std::string_view pin, unsigned chv) {
    CodeBuffer buffer;
    if (!buffer.Put(0, pin) || !IsChvNumber(chv)) return reader::result::kWrongPin;
    return Send(reader, kVerify, static_cast<std::uint8_t>(chv), chv, buffer, 1, true);
}

reader::ReaderResult ChangeChv(reader::CardReader& reader, unsigned chv, std::string_view oldPin,
                               std::string_view newPin) {
    CodeBuffer buffer;
    if (!buffer.Put(0, oldPin) || !IsChvNumber(chv) || !buffer.Put(1, newPin)) return reader::result::kWrongPin;
    return Send(reader, kChange, static_cast<std::uint8_t>(chv), chv, buffer, 2, false);
}

reader::ReaderResult DisableChv(reader::CardReader& reader, std::string_view pin) {
    CodeBuffer buffer;
    if (!buffer.Put(0, pin)) return reader::result::kWrongPin;
    return Send(reader, kDisable, 1, 1, buffer, 1, false);
}

reader::ReaderResult EnableChv(reader::CardReader& reader, std::string_view pin) {
    CodeBuffer buffer;
    if (!buffer.Put(0, pin)) return reader::result::kWrongPin;
    return Send(reader, kEnable, 1, 1, buffer, 1, false);
}

reader::ReaderResult UnblockChv(reader::CardReader& reader, std::string_view unblockCode, std::string_view newPin,
                                unsigned chv) {
    CodeBuffer buffer;
    if (!buffer.Put(0, unblockCode) || !IsChvNumber(chv) || !buffer.Put(1, newPin)) return reader::result::kWrongPin;
    // UNBLOCK names CHV1 as 0 and CHV2 as 2.
    return Send(reader, kUnblock, chv == 1 ? 0 : 2, chv, buffer, 2, true);
}

}  // namespace quillet::card
