#include "sms/SmsClipboard.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "card/DiallingDigits.h"
#include "card/GsmText.h"
#include "files/ArchiveString.h"
#include "sms/MessageBody.h"

namespace quillet::sms {

namespace {

namespace body = message_body;

constexpr std::size_t kMaxBodyBytes = body::kOctets + kMaxUserDataOctets;
constexpr std::size_t kMaxDigits = sizeof(SmsEntry::serviceCentre) - 1;
constexpr std::size_t kMaxDateText = sizeof(SmsEntry::dateOrValidity) - 1;
constexpr std::uint32_t kMaxIndex = 0xFFFF;

// The body as the entry keeps it: the four leading bytes and the octets they count.
std::string_view BodyBytes(const SmsEntry& entry) {
    const auto count = static_cast<std::uint8_t>(entry.text[body::kOctetCount]);
    return std::string_view(entry.text, body::kOctets + std::min<std::size_t>(count, kMaxUserDataOctets));
}

// Reads an `ArchiveString` of at most `limit` bytes into `buffer`; a longer one is refused before
// anything is read. Returns the length read.
std::optional<std::size_t> ReadLimited(files::ArchiveReader& reader, std::span<std::uint8_t> buffer,
                                       std::size_t limit) {
    std::uint32_t length = 0;
    if (!reader.ReadArchiveStringLength(length) || length > limit || length > buffer.size()) return std::nullopt;
    if (!reader.ReadBytes(buffer.data(), length)) return std::nullopt;
    return length;
}

bool ReadBody(files::ArchiveReader& reader, SmsEntry& entry) {
    std::array<std::uint8_t, kMaxBodyBytes> bytes{};
    const std::optional<std::size_t> length = ReadLimited(reader, bytes, bytes.size());
    // The octet count must name exactly the octets that follow.
    if (!length || *length < body::kOctets || bytes[body::kOctetCount] != *length - body::kOctets) return false;
    std::memcpy(entry.text, bytes.data(), *length);
    return true;
}

template <std::size_t N>
bool ReadNumber(files::ArchiveReader& reader, char (&field)[N]) {
    std::array<std::uint8_t, kMaxDigits> digits{};
    const std::optional<std::size_t> length = ReadLimited(reader, digits, digits.size());
    if (!length || !std::all_of(digits.begin(), digits.begin() + static_cast<std::ptrdiff_t>(*length),
                                [](std::uint8_t digit) { return card::IsDialChar(static_cast<char>(digit)); })) {
        return false;
    }
    SetFieldText(field, std::string_view(reinterpret_cast<const char*>(digits.data()), *length));
    return true;
}

std::optional<SmsEntry> ReadEntry(files::ArchiveReader& reader, std::uint32_t index) {
    if (index > kMaxIndex) return std::nullopt;
    SmsEntry entry = MakeEmptySmsEntry(static_cast<std::uint16_t>(index));
    if (!reader.ReadU32(entry.used) || !ReadBody(reader, entry) || !ReadNumber(reader, entry.serviceCentre) ||
        !ReadNumber(reader, entry.address)) {
        return std::nullopt;
    }
    if (!reader.ReadU8(entry.addressTon) || !reader.ReadU8(entry.addressNpi) || !reader.ReadU8(entry.centreTon) ||
        !reader.ReadU8(entry.centreNpi)) {
        return std::nullopt;
    }
    std::array<std::uint8_t, kMaxDateText> date{};
    const std::optional<std::size_t> dateLength = ReadLimited(reader, date, date.size());
    if (!dateLength) return std::nullopt;
    SetFieldText(entry.dateOrValidity, std::string_view(reinterpret_cast<const char*>(date.data()), *dateLength));
    if (!reader.ReadU32(entry.status) || entry.status > kStatusToSend || !reader.ReadU32(entry.modified)) {
        return std::nullopt;
    }
    return entry;
}

}  // namespace

std::vector<std::uint8_t> PackSmsPayload(std::uint32_t source, std::span<const SmsEntry> entries) {
    files::ArchiveWriter writer;
    writer.WriteU32(source);
    for (const SmsEntry& entry : entries) {
        writer.WriteU32(entry.index);
        writer.WriteU32(entry.used);
        writer.WriteArchiveString(BodyBytes(entry));
        writer.WriteArchiveString(FieldText(entry.serviceCentre).substr(0, kMaxDigits));
        writer.WriteArchiveString(FieldText(entry.address).substr(0, kMaxDigits));
        writer.WriteU8(entry.addressTon);
        writer.WriteU8(entry.addressNpi);
        writer.WriteU8(entry.centreTon);
        writer.WriteU8(entry.centreNpi);
        writer.WriteArchiveString(FieldText(entry.dateOrValidity).substr(0, kMaxDateText));
        writer.WriteU32(entry.status);
        writer.WriteU32(entry.modified);
    }
    writer.WriteU32(kSmsPayloadEnd);
    return writer.TakeBytes();
}

std::optional<SmsPayload> ParseSmsPayload(std::span<const std::uint8_t> bytes) {
    files::MemoryArchiveSource source(bytes);
    files::ArchiveReader reader(source);
    SmsPayload payload;
    if (!reader.ReadU32(payload.source)) return std::nullopt;
    // Each entry takes bytes of the data, so the list never outgrows what the data holds.
    for (;;) {
        std::uint32_t index = 0;
        if (!reader.ReadU32(index)) return std::nullopt;
        if (index == kSmsPayloadEnd) return payload;
        std::optional<SmsEntry> entry = ReadEntry(reader, index);
        if (!entry) return std::nullopt;
        payload.entries.push_back(*entry);
        if (payload.entries.size() == kMaxSmsPayloadEntries) return payload;
    }
}

std::string SmsEntriesAsText(std::span<const SmsEntry> entries) {
    std::string text;
    for (const SmsEntry& entry : entries) {
        if (entry.used != 0) text += card::Utf8FromText(MessageText(entry));
        text += "\r\n";
    }
    return text;
}

}  // namespace quillet::sms
