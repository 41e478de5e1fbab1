#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quillet::card {

// The GSM 11.11 files the program works with.
namespace gsm_file {
inline constexpr std::uint16_t kMasterFile = 0x3F00;
inline constexpr std::uint16_t kIccid = 0x2FE2;
inline constexpr std::uint16_t kGsmDirectory = 0x7F20;
inline constexpr std::uint16_t kServiceTable = 0x6F38;
inline constexpr std::uint16_t kTelecomDirectory = 0x7F10;
inline constexpr std::uint16_t kExt1 = 0x6F4A;
inline constexpr std::uint16_t kExt2 = 0x6F4B;
inline constexpr std::uint16_t kSms = 0x6F3C;
inline constexpr std::uint16_t kAdn = 0x6F3A;
inline constexpr std::uint16_t kFdn = 0x6F3B;
inline constexpr std::uint16_t kMsisdn = 0x6F40;
inline constexpr std::uint16_t kLnd = 0x6F44;
inline constexpr std::uint16_t kSmsParameters = 0x6F42;
inline constexpr std::uint16_t kPreferredNetworks = 0x6F30;
inline constexpr std::uint16_t kForbiddenNetworks = 0x6F7B;
}  // namespace gsm_file

// Structure byte of a file's select answer.
enum class FileStructure : std::uint8_t { Transparent = 0, LinearFixed = 1, Cyclic = 3 };

// Access condition levels as a file's header codes them.
enum class AccessCondition : std::uint8_t { Always = 0x0, Chv1 = 0x1, Chv2 = 0x2, Adm = 0x4, Never = 0xF };

// The files whose raw images the session caches, and the record-use maps it builds of them.
enum class CachedFile : std::size_t { Ext1, Ext2, Adn, Fdn, Lnd, Msisdn, Sms };
enum class UseMap : std::size_t { Ext1, Ext2, Adn, Fdn, Lnd, Msisdn };
inline constexpr std::size_t kCachedFileCount = 7;
inline constexpr std::size_t kUseMapCount = 6;

// Bits of an extension file's record-use map byte.
namespace extension_use {
inline constexpr std::uint8_t kInUse = 0x01;
inline constexpr std::uint8_t kReferencedOnce = 0x02;
inline constexpr std::uint8_t kReferencedMore = 0x04;
inline constexpr std::uint8_t kSeveralKinds = 0x08;
inline constexpr std::uint8_t kContinuation = 0x10;
// Which kind of file links to the record: ADN and FDN (never sharing one extension file), MSISDN, LND.
inline constexpr std::uint8_t kLinkedFromPhoneBook = 0x20;
inline constexpr std::uint8_t kLinkedFromMsisdn = 0x40;
inline constexpr std::uint8_t kLinkedFromLnd = 0x80;
}  // namespace extension_use

// Bits of a dialling-number file's record-use map byte.
namespace record_use {
inline constexpr std::uint8_t kInUse = 0x01;
inline constexpr std::uint8_t kAdditionalData = 0x02;
inline constexpr std::uint8_t kSubaddress = 0x04;
inline constexpr std::uint8_t kCapability = 0x08;
inline constexpr std::uint8_t kBadExtension = 0x10;
inline constexpr std::uint8_t kBadContinuation = 0x20;
inline constexpr std::uint8_t kFreeExtension = 0x40;
inline constexpr std::uint8_t kFreeContinuation = 0x80;
}  // namespace record_use

// Which files CardSession::LoadCardFiles loads.
namespace load_mask {
inline constexpr std::uint32_t kAdn = 0x01;
inline constexpr std::uint32_t kFdn = 0x02;
inline constexpr std::uint32_t kLnd = 0x04;
inline constexpr std::uint32_t kMsisdn = 0x08;
inline constexpr std::uint32_t kSms = 0x10;
}  // namespace load_mask

// What the program knows of one elementary file.
struct GsmFile {
    std::uint16_t id;
    std::uint16_t parent;  // the MF or the DF that holds it
    FileStructure structure;
    AccessCondition read;
    AccessCondition update;
    unsigned service;                 // its number in the SIM service table; 0: every card has it
    std::optional<CachedFile> image;  // the session keeps its raw image
    std::optional<UseMap> useMap;     // the session maps how its records are used
    std::uint16_t extension;          // the file its long numbers continue in; 0: none
    std::uint8_t linkMark;            // how its links are marked in that file's use map
    std::uint32_t loadBit;            // its bit in a load_mask; 0: not loaded that way
};

// Every file of the table; the dialling-number files come in the order the session loads them.
std::span<const GsmFile> GsmFiles();
const GsmFile* FindGsmFile(std::uint16_t id);
// The file cached in a slot; every slot has one.
const GsmFile& GsmFileOf(CachedFile image);
// The link marks of the other files that keep their extension records in the same file as `file`.
std::uint8_t OtherLinkMarks(const GsmFile& file);

}  // namespace quillet::card
