#include "phonebook/DialClipboard.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "files/ArchiveString.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/EntryName.h"
#include "phonebook/TextHelpers.h"

namespace quillet::phonebook {

namespace {

constexpr std::size_t kMaxNumberLength = sizeof(PhoneBookEntry::number) - 1;

std::string_view NumberOf(const PhoneBookEntry& entry) {
    return std::string_view(entry.number, strnlen(entry.number, sizeof entry.number));
}

// Reads an `ArchiveString` of at most `limit` bytes; a longer one is refused before anything is read.
std::optional<std::string> ReadLimited(files::ArchiveReader& reader, std::size_t limit) {
    std::array<std::uint8_t, kMaxNumberLength> buffer{};
    std::uint32_t length = 0;
    if (!reader.ReadArchiveStringLength(length) || length > limit || length > buffer.size()) return std::nullopt;
    if (!reader.ReadBytes(buffer.data(), length)) return std::nullopt;
    return std::string(buffer.begin(), buffer.begin() + length);
}

std::optional<PhoneBookEntry> ReadEntry(files::ArchiveReader& reader, std::uint32_t index) {
    // Record numbers are 16 bits wide; the payload widens them.
    PhoneBookEntry entry = EmptyPosition(static_cast<std::uint16_t>(index));
    if (!reader.ReadU32(entry.used)) return std::nullopt;
    const std::optional<std::string> name = ReadLimited(reader, kMaxNameBytes);
    const std::optional<std::string> number = name ? ReadLimited(reader, kMaxNumberLength) : std::nullopt;
    // 0xFF ends a name in an entry, so no entry holds one inside it.
    if (!number || name->find('\xFF') != std::string::npos ||
        !std::all_of(number->begin(), number->end(), IsDialChar)) {
        return std::nullopt;
    }
    SetNameBytes(entry, *name);
    CopyBounded(entry.number, sizeof entry.number, *number);
    if (!reader.ReadU8(entry.ton) || !reader.ReadU8(entry.npi) || !reader.ReadU8(entry.capabilityId) ||
        !reader.ReadU8(entry.extensionId) || !reader.ReadU32(entry.modified)) {
        return std::nullopt;
    }
    return entry;
}

}  // namespace

std::vector<std::uint8_t> PackDialPayload(std::uint32_t source, std::span<const PhoneBookEntry> entries) {
    files::ArchiveWriter writer;
    writer.WriteU32(source);
    for (const PhoneBookEntry& entry : entries) {
        writer.WriteU32(entry.index);
        writer.WriteU32(entry.used);
        writer.WriteArchiveString(NameBytes(entry));
        writer.WriteArchiveString(NumberOf(entry));
        writer.WriteU8(entry.ton);
        writer.WriteU8(entry.npi);
        writer.WriteU8(entry.capabilityId);
        writer.WriteU8(entry.extensionId);
        writer.WriteU32(entry.modified);
    }
    writer.WriteU32(kPayloadEnd);
    return writer.TakeBytes();
}

std::optional<DialPayload> ParseDialPayload(std::span<const std::uint8_t> bytes) {
    files::MemoryArchiveSource source(bytes);
    files::ArchiveReader reader(source);
    DialPayload payload;
    if (!reader.ReadU32(payload.source)) return std::nullopt;
    // Each entry takes bytes of the data, so the list never outgrows what the data holds.
    for (;;) {
        std::uint32_t index = 0;
        if (!reader.ReadU32(index)) return std::nullopt;
        if (index == kPayloadEnd) return payload;
        std::optional<PhoneBookEntry> entry = ReadEntry(reader, index);
        if (!entry) return std::nullopt;
        payload.entries.push_back(*entry);
        if (payload.entries.size() == kMaxPayloadEntries) return payload;
    }
}

std::string DialEntriesAsText(std::span<const PhoneBookEntry> entries) {
    std::string text;
    for (const PhoneBookEntry& entry : entries) {
        if (entry.used == 0) continue;
        text += NameIn(entry, card::TextForm::Display) + "\t'" + JoinInternational(NumberOf(entry), entry.ton) + "\r\n";
    }
    return text;
}

}  // namespace quillet::phonebook
