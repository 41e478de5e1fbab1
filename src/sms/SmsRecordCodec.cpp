#include "sms/SmsRecordCodec.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "card/DiallingDigits.h"
#include "sms/MessageBody.h"
#include "sms/SmsTimeValue.h"
#include "sms/SmsUserData.h"

namespace quillet::sms {

namespace {

constexpr std::uint8_t kFreeStatus = 0x00;
constexpr std::size_t kMaxDigits = 20;
constexpr std::size_t kTimeStampLength = 7;
constexpr std::size_t kEnhancedValidityLength = 7;

// First-octet fields (3GPP TS 23.040 9.2.3.1 and 9.2.3.3).
constexpr std::uint8_t kMessageTypeSubmit = 0x01;
constexpr std::uint8_t kMessageTypeOther = 0x02;  // status report, command or reserved
constexpr std::uint8_t kDeliverNoMoreMessages = 0x04;
constexpr unsigned kValidityFormatShift = 3;
enum ValidityFormat : std::uint8_t { kNoValidity = 0, kEnhanced = 1, kRelative = 2, kAbsolute = 3 };

// Reads up to `nibbles` digits, low nibble first, from the bytes present; a filler nibble ends them.
void DecodeDigits(std::span<const std::uint8_t> bytes, std::size_t nibbles, char (&out)[kMaxDigits + 1]) {
    SetFieldText(out, card::UnpackDigits(bytes, nibbles, kMaxDigits));
}

std::uint8_t TonNpiByte(std::uint8_t ton, std::uint8_t npi) {
    return static_cast<std::uint8_t>(0x80 | (ton & 7) << 4 | (npi & 15));
}

// Semi-octet time stamp (3GPP TS 23.040 9.2.3.11): each byte holds two decimal digits, the
// units in the high nibble.
std::uint8_t BcdSwappedValue(std::uint8_t byte) { return static_cast<std::uint8_t>((byte >> 4) + 10 * (byte & 0x0F)); }
std::uint8_t BcdSwappedByte(unsigned value) { return static_cast<std::uint8_t>((value % 10) << 4 | (value / 10) % 10); }

// Walks the record bytes with a bounds check on every read.
class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool Next(std::uint8_t& byte) {
        if (m_pos >= m_bytes.size()) return false;
        byte = m_bytes[m_pos++];
        return true;
    }
    bool Skip(std::size_t count) {
        if (count > m_bytes.size() - m_pos) return false;
        m_pos += count;
        return true;
    }
    // The bytes from here on, at most `count` of them.
    std::span<const std::uint8_t> Ahead(std::size_t count) const {
        return m_bytes.subspan(m_pos, std::min(count, m_bytes.size() - m_pos));
    }
    std::span<const std::uint8_t> Rest() const { return m_bytes.subspan(m_pos); }
    void MoveTo(std::size_t pos) { m_pos = std::min(pos, m_bytes.size()); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

bool ReadTimeStamp(Cursor& cursor, SmsTimeValue& value) {
    const std::span<const std::uint8_t> bytes = cursor.Ahead(kTimeStampLength);
    if (bytes.size() < kTimeStampLength || !cursor.Skip(kTimeStampLength)) return false;
    value = SmsTimeValue{};
    value.isDate = 1;
    value.year = BcdSwappedValue(bytes[0]);
    value.month = BcdSwappedValue(bytes[1]);
    value.day = BcdSwappedValue(bytes[2]);
    value.hour = BcdSwappedValue(bytes[3]);
    value.minute = BcdSwappedValue(bytes[4]);
    value.second = BcdSwappedValue(bytes[5]);
    value.zone = BcdSwappedValue(bytes[6]);
    return true;
}

std::size_t WriteTimeStamp(const SmsTimeValue& value, std::uint8_t* out) {
    const unsigned fields[kTimeStampLength] = {value.year,   value.month,  value.day, value.hour,
                                               value.minute, value.second, value.zone};
    for (std::size_t i = 0; i < kTimeStampLength; ++i) out[i] = BcdSwappedByte(fields[i]);
    return kTimeStampLength;
}

// The date or validity text of a time; none for a time stamp that is no date (all zero, as a message
// written without one has it), so that the text reads back as it came.
void ShowTime(const SmsTimeValue& time, char (&text)[sizeof(SmsEntry::dateOrValidity)]) {
    FormatDateOrValidity(time, text);
    SmsTimeValue shown{};
    if (time.isDate != 0 && !ParseDateOrValidity(FieldText(text), shown)) SetFieldText(text, "");
}

// Decodes what follows the status byte of a used record, stopping wherever the record gives out.
void DecodeAfterStatus(Cursor& cursor, SmsEntry& entry) {
    std::uint8_t centreLength = 0;
    if (!cursor.Next(centreLength) || centreLength > kMaxCentreLength) return;
    if (centreLength != 0) {
        const std::span<const std::uint8_t> centre = cursor.Ahead(centreLength);
        if (centre.empty()) return;
        entry.centreTon = (centre[0] >> 4) & 7;
        entry.centreNpi = centre[0] & 15;
        DecodeDigits(centre.subspan(1), 2 * centreLength - 2u, entry.serviceCentre);
        if (!cursor.Skip(centreLength)) return;
    }

    std::uint8_t firstOctet = 0;
    if (!cursor.Next(firstOctet) || (firstOctet & kMessageTypeOther) != 0) return;
    const bool submit = (firstOctet & kMessageTypeSubmit) != 0;
    if (submit) {
        std::uint8_t reference = 0;
        if (!cursor.Next(reference)) return;
        entry.messageRef = reference;
    }

    std::uint8_t digitCount = 0, tonNpi = 0;
    if (!cursor.Next(digitCount) || !cursor.Next(tonNpi)) return;
    entry.addressTon = (tonNpi >> 4) & 7;
    entry.addressNpi = tonNpi & 15;
    const std::size_t addressBytes = (digitCount + 1u) / 2;
    DecodeDigits(cursor.Ahead(addressBytes), digitCount, entry.address);
    std::uint8_t dcs = 0;
    if (!cursor.Skip(addressBytes) || !cursor.Skip(1) || !cursor.Next(dcs)) return;  // address, TP-PID, TP-DCS

    SmsTimeValue time{};
    bool hasTime = false;
    if (!submit) {
        if (!ReadTimeStamp(cursor, time)) return;
        hasTime = true;
    } else {
        switch ((firstOctet >> kValidityFormatShift) & 3) {
            case kRelative:
                if (!cursor.Next(time.validity)) return;
                hasTime = true;
                break;
            case kAbsolute:
                if (!ReadTimeStamp(cursor, time)) return;
                hasTime = true;
                break;
            case kEnhanced:
                // Seven octets whose meaning the date text cannot show; stepped over so the text
                // is still found.
                if (!cursor.Skip(kEnhancedValidityLength)) return;
                break;
            default:
                break;
        }
    }
    if (hasTime) ShowTime(time, entry.dateOrValidity);
    SetBodyUserData(entry, dcs, (firstOctet & kUserDataHeaderFlag) != 0, cursor.Rest());
}

// The body's TP-UDL and user-data octets, when they fit `room` bytes (TP-UDL included). TP-UDL never
// claims more than the octets kept hold. Nothing when they do not fit: a message is never cut.
std::optional<std::vector<std::uint8_t>> FittedUserData(const MessageUserData& body, std::size_t room) {
    const std::span<const std::uint8_t> octets = std::span(body.userData).subspan(1);
    const bool septets = CodingOf(body.dcs) == SmsCoding::Gsm7;
    const std::size_t count = std::min<std::size_t>(body.userData[0], septets ? octets.size() * 8 / 7 : octets.size());
    const std::size_t kept = septets ? PackedSize(count) : count;
    if (1 + kept > room) return std::nullopt;
    std::vector<std::uint8_t> out(1 + kept);
    out[0] = static_cast<std::uint8_t>(count);
    std::copy_n(octets.begin(), kept, out.begin() + 1);
    return out;
}

}  // namespace

bool IsSmsRecordInUse(std::span<const std::uint8_t> record) {
    return !record.empty() && record[0] != 0xFF && (record[0] & 7) != 0;
}

SmsEntry DecodeSmsRecord(std::span<const std::uint8_t> record, std::uint16_t index) {
    SmsEntry entry = MakeEmptySmsEntry(index);
    record = record.first(std::min(record.size(), kMaxDecodedRecordBytes));
    if (!IsSmsRecordInUse(record)) return entry;
    entry.used = 1;
    entry.status = (record[0] >> 1) & 3;
    Cursor cursor(record);
    cursor.MoveTo(1);
    DecodeAfterStatus(cursor, entry);
    return entry;
}

SmsEncodeResult EncodeSmsRecord(const SmsEntry& entry, std::span<std::uint8_t> record) {
    if (record.empty()) return SmsEncodeResult::kRecordTooShort;
    if (entry.used == 0) {
        std::fill(record.begin(), record.end(), std::uint8_t{0xFF});
        record[0] = kFreeStatus;
        return SmsEncodeResult::kOk;
    }

    const std::uint32_t status = entry.status & 3;
    const bool submit = status >= kStatusSent;
    const std::string_view centre = FieldText(entry.serviceCentre).substr(0, kMaxDigits);
    const std::string_view address = FieldText(entry.address).substr(0, kMaxDigits);
    const MessageUserData body = BodyUserData(entry);

    SmsTimeValue time{};
    const bool hasTime = ParseDateOrValidity(FieldText(entry.dateOrValidity), time);
    ValidityFormat validityFormat = kNoValidity;
    if (submit && hasTime) validityFormat = time.isDate != 0 ? kAbsolute : kRelative;
    if (!submit && !(hasTime && time.isDate != 0)) time = SmsTimeValue{};  // a zero time stamp

    // A centre without digits keeps its TON/NPI byte when it has one, so it reads back the same.
    std::size_t centreLength = centre.empty() ? 0 : 1 + (centre.size() + 1) / 2;
    if (centre.empty() && (entry.centreTon | entry.centreNpi) != 0) centreLength = 1;
    std::size_t timeLength = kTimeStampLength;
    if (submit) timeLength = validityFormat == kRelative ? 1 : validityFormat == kAbsolute ? kTimeStampLength : 0;
    const std::size_t headerLength =
        1 + 1 + centreLength + 1 + (submit ? 1 : 0) + 2 + (address.size() + 1) / 2 + 2 + timeLength + 1;
    const std::size_t limit = std::min(record.size(), kMaxDecodedRecordBytes);
    if (headerLength > limit) return SmsEncodeResult::kRecordTooShort;
    const auto userData = FittedUserData(body, limit - headerLength + 1);
    if (!userData) return SmsEncodeResult::kTextTooLong;
    const std::uint8_t headerFlag = body.hasHeader ? kUserDataHeaderFlag : 0;

    std::fill(record.begin(), record.end(), std::uint8_t{0xFF});
    std::uint8_t* out = record.data();
    std::size_t pos = 0;
    out[pos++] = static_cast<std::uint8_t>(status << 1 | 1);
    out[pos++] = static_cast<std::uint8_t>(centreLength);
    if (centreLength != 0) {
        out[pos++] = TonNpiByte(entry.centreTon, entry.centreNpi);
        pos += card::PackDigits(centre, record.subspan(pos));
    }
    if (submit) {
        out[pos++] =
            static_cast<std::uint8_t>(kMessageTypeSubmit | validityFormat << kValidityFormatShift | headerFlag);
        out[pos++] = static_cast<std::uint8_t>(entry.messageRef & 0xFF);
    } else {
        out[pos++] = kDeliverNoMoreMessages | headerFlag;
    }
    out[pos++] = static_cast<std::uint8_t>(address.size());
    out[pos++] = TonNpiByte(entry.addressTon, entry.addressNpi);
    pos += card::PackDigits(address, record.subspan(pos));
    out[pos++] = 0;  // TP-PID: plain short message
    out[pos++] = body.dcs;
    if (!submit || validityFormat == kAbsolute) {
        pos += WriteTimeStamp(time, out + pos);
    } else if (validityFormat == kRelative) {
        out[pos++] = time.validity;
    }
    std::copy(userData->begin(), userData->end(), record.begin() + static_cast<std::ptrdiff_t>(pos));
    return SmsEncodeResult::kOk;
}

std::size_t DecodeSmsFileImage(std::span<const std::uint8_t> image, std::span<SmsEntry> entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = MakeEmptySmsEntry(static_cast<std::uint16_t>(i));
    if (image.size() < 2) return 0;
    const std::size_t recordCount = image[0];
    const std::size_t recordLength = image[1];
    const std::size_t count = std::min(recordCount, entries.size());
    const std::span<const std::uint8_t> records = image.subspan(2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t offset = i * recordLength;
        if (offset >= records.size()) break;
        entries[i] = DecodeSmsRecord(records.subspan(offset, std::min(recordLength, records.size() - offset)),
                                     static_cast<std::uint16_t>(i));
    }
    return count;
}

}  // namespace quillet::sms
