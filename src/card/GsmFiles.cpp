#include "card/GsmFiles.h"

#include <algorithm>

namespace quillet::card {

namespace {

using namespace gsm_file;
using enum AccessCondition;
constexpr FileStructure kTransparent = FileStructure::Transparent;
constexpr FileStructure kLinearFixed = FileStructure::LinearFixed;
constexpr FileStructure kCyclic = FileStructure::Cyclic;
constexpr std::nullopt_t kNone = std::nullopt;

// GSM 11.11 chapter 10: directory, structure, access and service of each file.
constexpr GsmFile kFiles[] = {
    {kIccid, kMasterFile, kTransparent, Always, Never, 0, kNone, kNone, 0, 0, 0},
    {kServiceTable, kGsmDirectory, kTransparent, Chv1, Adm, 0, kNone, kNone, 0, 0, 0},
    {kPreferredNetworks, kGsmDirectory, kTransparent, Chv1, Chv1, 7, kNone, kNone, 0, 0, 0},
    {kForbiddenNetworks, kGsmDirectory, kTransparent, Chv1, Chv1, 0, kNone, kNone, 0, 0, 0},
    {kExt1, kTelecomDirectory, kLinearFixed, Chv1, Chv1, 10, CachedFile::Ext1, UseMap::Ext1, 0, 0, 0},
    {kExt2, kTelecomDirectory, kLinearFixed, Chv1, Chv2, 11, CachedFile::Ext2, UseMap::Ext2, 0, 0, 0},
    {kAdn, kTelecomDirectory, kLinearFixed, Chv1, Chv1, 2, CachedFile::Adn, UseMap::Adn, kExt1,
     extension_use::kLinkedFromPhoneBook, load_mask::kAdn},
    {kFdn, kTelecomDirectory, kLinearFixed, Chv1, Chv2, 3, CachedFile::Fdn, UseMap::Fdn, kExt2,
     extension_use::kLinkedFromPhoneBook, load_mask::kFdn},
    {kLnd, kTelecomDirectory, kCyclic, Chv1, Chv1, 13, CachedFile::Lnd, UseMap::Lnd, kExt1,
     extension_use::kLinkedFromLnd, load_mask::kLnd},
    {kMsisdn, kTelecomDirectory, kLinearFixed, Chv1, Chv1, 9, CachedFile::Msisdn, UseMap::Msisdn, kExt1,
     extension_use::kLinkedFromMsisdn, load_mask::kMsisdn},
    {kSms, kTelecomDirectory, kLinearFixed, Chv1, Chv1, 4, CachedFile::Sms, kNone, 0, 0, load_mask::kSms},
    {kSmsParameters, kTelecomDirectory, kLinearFixed, Chv1, Chv1, 12, kNone, kNone, 0, 0, 0},
};

}  // namespace

std::span<const GsmFile> GsmFiles() { return kFiles; }

const GsmFile* FindGsmFile(std::uint16_t id) {
    const auto found =
        std::find_if(std::begin(kFiles), std::end(kFiles), [id](const GsmFile& file) { return file.id == id; });
    return found != std::end(kFiles) ? &*found : nullptr;
}

const GsmFile& GsmFileOf(CachedFile image) {
    return *std::find_if(std::begin(kFiles), std::end(kFiles),
                         [image](const GsmFile& file) { return file.image == image; });
}

std::uint8_t OtherLinkMarks(const GsmFile& file) {
    std::uint8_t marks = 0;
    for (const GsmFile& other : kFiles) {
        if (other.id != file.id && other.extension != 0 && other.extension == file.extension) marks |= other.linkMark;
    }
    return marks;
}

}  // namespace quillet::card
