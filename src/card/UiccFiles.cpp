#include "card/UiccFiles.h"

#include <algorithm>

namespace quillet::card {

namespace {

constexpr std::uint8_t kFcpTemplate = 0x62;
constexpr std::uint8_t kDescriptor = 0x82;
constexpr std::uint8_t kFileSize = 0x80;
constexpr std::uint8_t kPinStatusTemplate = 0xC6;
constexpr std::uint8_t kPinStatusBits = 0x90;
constexpr std::uint8_t kKeyReference = 0x83;
constexpr std::uint8_t kDirectoryDescriptor = 0x38;  // bits 6..1 of a DF's descriptor byte
constexpr std::uint8_t kTypeOneTemplate = 0xA8;
constexpr std::uint8_t kTypeTwoTemplate = 0xA9;
constexpr std::uint8_t kTypeThreeTemplate = 0xAA;
constexpr std::uint8_t kPadding = 0xFF;

// One BER-TLV element read from `bytes` at `offset`: its tag and value, the offset moved past it.
struct Element {
    std::uint8_t tag = 0;
    std::span<const std::uint8_t> value;
};

std::optional<Element> NextElement(std::span<const std::uint8_t> bytes, std::size_t& offset) {
    if (offset + 2 > bytes.size()) return std::nullopt;
    Element element;
    element.tag = bytes[offset];
    std::size_t length = bytes[offset + 1];
    std::size_t start = offset + 2;
    if (length == 0x81) {
        if (start >= bytes.size()) return std::nullopt;
        length = bytes[start++];
    } else if (length > 0x7F) {
        return std::nullopt;
    }
    if (length > bytes.size() - start) return std::nullopt;
    element.value = bytes.subspan(start, length);
    offset = start + length;
    return element;
}

// PS_DO (tag 90) has one bit per key reference (tag 83) that follows, from the first byte's top bit.
bool ReadPinStatus(std::span<const std::uint8_t> value, FcpInfo& info) {
    std::span<const std::uint8_t> bits;
    std::size_t offset = 0;
    while (offset < value.size()) {
        const std::optional<Element> element = NextElement(value, offset);
        if (!element) return false;
        if (element->tag == kPinStatusBits) bits = element->value;
        if (element->tag != kKeyReference || element->value.size() != 1) continue;
        const std::size_t index = info.pins.size();
        const bool enabled = index / 8 < bits.size() && (bits[index / 8] & (0x80 >> (index % 8))) != 0;
        info.pins.emplace_back(element->value[0], enabled);
    }
    return true;
}

}  // namespace

std::optional<bool> FcpInfo::PinEnabled(std::uint8_t key) const {
    for (const auto& [reference, enabled] : pins) {
        if (reference == key) return enabled;
    }
    return std::nullopt;
}

std::optional<FcpInfo> ParseFcp(std::span<const std::uint8_t> bytes) {
    std::size_t offset = 0;
    const std::optional<Element> outer = NextElement(bytes, offset);
    if (!outer || outer->tag != kFcpTemplate) return std::nullopt;
    FcpInfo info;
    bool described = false;
    std::size_t inner = 0;
    while (inner < outer->value.size()) {
        const std::optional<Element> element = NextElement(outer->value, inner);
        if (!element) return std::nullopt;
        const std::span<const std::uint8_t> value = element->value;
        if (element->tag == kDescriptor) {
            if (value.empty()) return std::nullopt;
            described = true;
            info.directory = (value[0] & 0x3F) == kDirectoryDescriptor;
            info.structure = value[0] & 0x07;
            if (value.size() >= 5) {
                info.recordLength = static_cast<std::uint16_t>(value[2] << 8 | value[3]);
                info.recordCount = value[4];
            }
        } else if (element->tag == kPinStatusTemplate) {
            if (!ReadPinStatus(value, info)) return std::nullopt;
        } else if (element->tag == kFileSize) {
            info.fileSize = 0;
            for (const std::uint8_t byte : value.first(std::min<std::size_t>(value.size(), 4))) {
                info.fileSize = info.fileSize << 8 | byte;
            }
        }
    }
    if (!described) return std::nullopt;
    return info;
}

std::optional<RecordShape> RecordShapeOf(std::span<const std::uint8_t> fcp) {
    const std::optional<FcpInfo> info = ParseFcp(fcp);
    if (!info || info->directory || info->recordLength == 0 || info->recordLength > 255) return std::nullopt;
    return RecordShape{static_cast<std::uint8_t>(info->recordLength), info->recordCount};
}

const PhoneBookFile* PhoneBookSet::Find(std::uint8_t tag) const {
    const auto found =
        std::find_if(files.begin(), files.end(), [&](const PhoneBookFile& file) { return file.tag == tag; });
    return found == files.end() ? nullptr : &*found;
}

std::vector<PhoneBookFile> PhoneBookSet::TypeTwoFiles() const {
    std::vector<PhoneBookFile> typeTwo;
    std::copy_if(files.begin(), files.end(), std::back_inserter(typeTwo),
                 [](const PhoneBookFile& file) { return file.type == 2; });
    return typeTwo;
}

std::optional<PhoneBookSet> ParsePbrRecord(std::span<const std::uint8_t> record) {
    PhoneBookSet set;
    std::size_t offset = 0;
    while (offset < record.size() && record[offset] != kPadding) {
        const std::optional<Element> group = NextElement(record, offset);
        if (!group) return std::nullopt;
        std::uint8_t type = 0;
        if (group->tag == kTypeOneTemplate) type = 1;
        if (group->tag == kTypeTwoTemplate) type = 2;
        if (group->tag == kTypeThreeTemplate) type = 3;
        if (type == 0) return std::nullopt;
        std::size_t inner = 0;
        while (inner < group->value.size()) {
            const std::optional<Element> entry = NextElement(group->value, inner);
            // A file entry holds its id, and its short file identifier when it has one.
            if (!entry || entry->value.size() < 2 || entry->value.size() > 3) return std::nullopt;
            set.files.push_back({entry->tag, static_cast<std::uint16_t>(entry->value[0] << 8 | entry->value[1]), type});
        }
    }
    return set;
}

}  // namespace quillet::card
