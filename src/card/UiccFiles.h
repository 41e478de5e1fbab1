#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace quillet::card {

// What an FCP template (TS 102 221) says of a file. Unknown tags are skipped.
struct FcpInfo {
    bool directory = false;
    std::uint8_t structure = 0;  // EFs: 1 transparent, 2 linear fixed, 6 cyclic
    std::uint16_t recordLength = 0;
    std::uint8_t recordCount = 0;
    std::uint32_t fileSize = 0;
    // The PIN status template of a DF: each key reference and whether that PIN is enabled.
    std::vector<std::pair<std::uint8_t, bool>> pins;

    std::optional<bool> PinEnabled(std::uint8_t key) const;
};

// Nothing when the bytes are not an FCP template or a length runs past its end.
std::optional<FcpInfo> ParseFcp(std::span<const std::uint8_t> bytes);

// The records of a record EF as its FCP template describes them; nothing for a DF, a transparent EF,
// or records longer than a command can carry.
struct RecordShape {
    std::uint8_t length = 0;
    std::size_t count = 0;
};
std::optional<RecordShape> RecordShapeOf(std::span<const std::uint8_t> fcp);

// The tags EF_PBR names the phone-book files by (TS 31.102).
enum PhoneBookTag : std::uint8_t {
    kPbrAdn = 0xC0,
    kPbrIap = 0xC1,
    kPbrExt1 = 0xC2,
    kPbrSne = 0xC3,
    kPbrAnr = 0xC4,
    kPbrPbc = 0xC5,
    kPbrGrp = 0xC6,
    kPbrAas = 0xC7,
    kPbrGas = 0xC8,
    kPbrUid = 0xC9,
    kPbrEmail = 0xCA,
    kPbrCcp1 = 0xCB,
};

// One file of a phone-book set: type 1 files are aligned with the ADN records, type 2 files are
// reached through EF_IAP, type 3 files through a record pointer.
struct PhoneBookFile {
    std::uint8_t tag = 0;
    std::uint16_t id = 0;
    std::uint8_t type = 1;

    bool operator==(const PhoneBookFile&) const = default;
};

struct PhoneBookSet {
    std::vector<PhoneBookFile> files;

    const PhoneBookFile* Find(std::uint8_t tag) const;
    // Type 2 files in the order of their EF_IAP bytes.
    std::vector<PhoneBookFile> TypeTwoFiles() const;
    bool operator==(const PhoneBookSet&) const = default;
};

// One EF_PBR record. An unused record (all 0xFF) gives a set without files; nothing when the
// record is not a valid list of templates.
std::optional<PhoneBookSet> ParsePbrRecord(std::span<const std::uint8_t> record);

}  // namespace quillet::card
