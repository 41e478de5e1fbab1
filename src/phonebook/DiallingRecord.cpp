#include "phonebook/DiallingRecord.h"

#include <algorithm>
#include <cstring>

#include "card/DiallingDigits.h"
#include "card/GsmText.h"

namespace quillet::phonebook {

namespace {

constexpr std::size_t kNumberBytes = 10;
constexpr std::uint8_t kAdditionalData = 2;

}  // namespace

bool IsDiallingRecordInUse(std::span<const std::uint8_t> record) {
    return record.size() >= kDiallingFixedPart && record[record.size() - kDiallingFixedPart] != 0xFF;
}

void DecodeDiallingRecord(std::span<const std::uint8_t> record, const card::FileImage& extensions, std::uint16_t index,
                          PhoneBookEntry& entry) {
    entry = PhoneBookEntry{};
    entry.index = index;
    if (!IsDiallingRecordInUse(record)) return;
    const std::size_t alphaLength = record.size() - kDiallingFixedPart;
    const std::uint8_t lengthByte = record[alphaLength];

    entry.used = 1;
    entry.capabilityId = record[alphaLength + 12];
    entry.extensionId = record[alphaLength + 13];
    SetNameBytes(entry, std::string_view(reinterpret_cast<const char*>(record.data()), alphaLength));

    std::string digits;
    if (lengthByte != 0) {
        const std::uint8_t tonNpi = record[alphaLength + 1];
        entry.ton = (tonNpi >> 4) & 0x07;
        entry.npi = tonNpi & 0x0F;
        const std::size_t bytes = std::min<std::size_t>(lengthByte - 1u, kNumberBytes);
        card::AppendDigits(record.subspan(alphaLength + 2, kNumberBytes), 2 * bytes, kMaxDigits, digits);
    }

    // Follow the extension chain; it ends at 0xFF or 0, outside the file, or where it comes back.
    std::vector<bool> visited(static_cast<std::size_t>(extensions.Count()) + 1, false);
    for (std::size_t next = entry.extensionId; next != 0xFF && next != 0;) {
        if (next > extensions.Count() || visited[next]) break;
        visited[next] = true;
        const std::span<const std::uint8_t> extension = extensions.Record(next);
        if (extension.size() < kExtensionRecordLength) break;
        if ((extension[0] & 0x03) == kAdditionalData) {
            card::AppendDigits(extension.subspan(2, kNumberBytes),
                               2 * std::min<std::size_t>(extension[1], kNumberBytes), kMaxDigits, digits);
        }
        next = extension[12];
    }
    std::memcpy(entry.number, digits.data(), digits.size());
}

std::vector<std::uint8_t> NumberNibbles(const PhoneBookEntry& entry) {
    return card::DigitNibbles(std::string_view(entry.number, ::strnlen(entry.number, sizeof entry.number)));
}

std::size_t ExtensionRecordsNeeded(const PhoneBookEntry& entry) {
    if (!entry.used) return 0;
    const std::size_t digits = NumberNibbles(entry).size();
    return digits <= kDigitsPerRecord ? 0 : (digits - kDigitsPerRecord + kDigitsPerExtension - 1) / kDigitsPerExtension;
}

std::vector<std::uint8_t> EncodeDiallingRecord(const PhoneBookEntry& entry, std::size_t recordLength,
                                               std::uint8_t extensionId) {
    std::vector<std::uint8_t> record(recordLength, 0xFF);
    if (!entry.used || recordLength < kDiallingFixedPart) return record;
    const std::size_t alphaLength = recordLength - kDiallingFixedPart;
    // A name longer than the field loses whole characters, never half of one.
    const std::string_view bytes = NameBytes(entry);
    const std::vector<std::uint8_t> name = card::CutAlphaIdentifier(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), alphaLength);
    std::copy(name.begin(), name.end(), record.begin());

    const std::vector<std::uint8_t> nibbles = NumberNibbles(entry);
    const std::size_t inRecord = std::min(nibbles.size(), kDigitsPerRecord);
    record[alphaLength] = static_cast<std::uint8_t>(1 + (inRecord + 1) / 2);
    record[alphaLength + 1] = static_cast<std::uint8_t>(0x80 | (entry.ton & 0x07) << 4 | (entry.npi & 0x0F));
    card::PackNibbles(std::span(nibbles).first(inRecord), std::span(record).subspan(alphaLength + 2, kNumberBytes));
    // Entries that came from text carry 0 where the card would have 0xFF: none.
    record[alphaLength + 12] = entry.capabilityId == 0 ? 0xFF : entry.capabilityId;
    record[alphaLength + 13] = extensionId == 0 ? 0xFF : extensionId;
    return record;
}

std::vector<std::vector<std::uint8_t>> EncodeExtensionChain(std::span<const std::uint8_t> nibbles,
                                                            std::span<const std::uint8_t> numbers) {
    std::vector<std::vector<std::uint8_t>> records;
    for (std::size_t chunk = 0; chunk < numbers.size(); ++chunk) {
        const std::size_t start = chunk * kDigitsPerExtension;
        const std::size_t count = start < nibbles.size() ? std::min(kDigitsPerExtension, nibbles.size() - start) : 0;
        std::vector<std::uint8_t> record(kExtensionRecordLength, 0xFF);
        record[0] = kAdditionalData;
        record[1] = static_cast<std::uint8_t>((count + 1) / 2);
        card::PackNibbles(nibbles.subspan(start, count), std::span(record).subspan(2, kNumberBytes));
        record[12] = chunk + 1 < numbers.size() ? numbers[chunk + 1] : 0xFF;
        records.push_back(record);
    }
    return records;
}

}  // namespace quillet::phonebook
