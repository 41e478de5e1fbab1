#include "sim/UiccFcp.h"

namespace quillet::sim {

namespace {

constexpr std::uint8_t kFcpTag = 0x62;
constexpr std::uint8_t kDescriptorTag = 0x82;
constexpr std::uint8_t kFileIdTag = 0x83;
constexpr std::uint8_t kNameTag = 0x84;
constexpr std::uint8_t kLifeCycleTag = 0x8A;
constexpr std::uint8_t kSecurityReferenceTag = 0x8B;
constexpr std::uint8_t kFileSizeTag = 0x80;
constexpr std::uint8_t kPinStatusTag = 0xC6;
constexpr std::uint8_t kDataCoding = 0x21;  // the one value TS 102 221 allows
constexpr std::uint8_t kOperationalActivated = 0x05;
constexpr std::uint8_t kOperationalDeactivated = 0x04;
constexpr std::uint8_t kPin1 = 0x01;
constexpr std::uint8_t kPin2 = 0x81;

void Put(std::vector<std::uint8_t>& out, std::uint8_t tag, std::initializer_list<std::uint8_t> value) {
    out.push_back(tag);
    out.push_back(static_cast<std::uint8_t>(value.size()));
    for (const std::uint8_t byte : value) out.push_back(byte);
}

std::uint8_t High(std::size_t value) { return static_cast<std::uint8_t>(value >> 8); }
std::uint8_t Low(std::size_t value) { return static_cast<std::uint8_t>(value); }

std::vector<std::uint8_t> Wrap(const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> fcp;
    fcp.reserve(body.size() + 2);
    fcp.push_back(kFcpTag);
    fcp.push_back(static_cast<std::uint8_t>(body.size()));
    for (const std::uint8_t byte : body) fcp.push_back(byte);
    return fcp;
}

std::uint8_t Descriptor(FileStructure structure) {
    // Shareable (0x40) working EF of the structure: 1 transparent, 2 linear fixed, 6 cyclic.
    switch (structure) {
        case FileStructure::Transparent:
            return 0x41;
        case FileStructure::LinearFixed:
            return 0x42;
        case FileStructure::Cyclic:
            return 0x46;
    }
    return 0x41;
}

}  // namespace

std::vector<std::uint8_t> DirectoryFcp(std::uint16_t id, std::span<const std::uint8_t> aid, bool pin1Enabled) {
    std::vector<std::uint8_t> body;
    Put(body, kDescriptorTag, {0x78, kDataCoding});  // shareable DF
    Put(body, kFileIdTag, {High(id), Low(id)});
    if (!aid.empty()) {
        body.push_back(kNameTag);
        body.push_back(static_cast<std::uint8_t>(aid.size()));
        body.insert(body.end(), aid.begin(), aid.end());
    }
    Put(body, kLifeCycleTag, {kOperationalActivated});
    // The access rules are in EF_ARR; this card only names it, record 1.
    Put(body, kSecurityReferenceTag, {0x2F, 0x06, 0x01});
    // PS_DO: one bit per key reference that follows, set while that PIN is enabled. PIN2 cannot
    // be disabled.
    const std::uint8_t enabled = static_cast<std::uint8_t>((pin1Enabled ? 0x80 : 0x00) | 0x40);
    Put(body, kPinStatusTag, {0x90, 0x01, enabled, 0x83, 0x01, kPin1, 0x83, 0x01, kPin2});
    return Wrap(body);
}

std::vector<std::uint8_t> ElementaryFileFcp(const SimElementaryFile& file, std::uint16_t id) {
    std::vector<std::uint8_t> body;
    if (file.structure == FileStructure::Transparent) {
        Put(body, kDescriptorTag, {Descriptor(file.structure), kDataCoding});
    } else {
        Put(body, kDescriptorTag,
            {Descriptor(file.structure), kDataCoding, 0x00, file.recordLength, Low(file.records.size())});
    }
    Put(body, kFileIdTag, {High(id), Low(id)});
    Put(body, kLifeCycleTag, {file.invalidated ? kOperationalDeactivated : kOperationalActivated});
    Put(body, kSecurityReferenceTag, {0x6F, 0x06, 0x01});
    Put(body, kFileSizeTag, {High(file.Size()), Low(file.Size())});
    return Wrap(body);
}

}  // namespace quillet::sim
