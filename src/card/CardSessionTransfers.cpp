// Loading whole card files into the session's caches and mapping how the phone-book records use
// their extension records.
#include <algorithm>
#include <string>

#include "card/CardSession.h"
#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/RecordPlacement.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

constexpr std::uint16_t kTelecom = gsm_file::kTelecomDirectory;
constexpr std::uint16_t kExt1 = gsm_file::kExt1;
constexpr std::uint16_t kExt2 = gsm_file::kExt2;
constexpr std::uint16_t kSmsFile = gsm_file::kSms;
constexpr unsigned kExt1Service = 10;
constexpr unsigned kExt2Service = 11;
constexpr std::uint32_t kSmsCheckText = 5016;
constexpr std::uint32_t kSmsReplayPauseMs = 25;

// A phone-book file, its extension file and how its references are marked in that file's map.
struct LinkedFile {
    std::uint16_t ef;
    unsigned service;
    CachedFile image;
    CachedFile extensionImage;
    UseMap extensionMap;
    UseMap ownMap;
    std::uint8_t ownMark;
    std::uint8_t otherKinds;  // marks of the other files sharing the extension file
    std::uint32_t defaultText;
    std::uint32_t maskBit;
};

constexpr LinkedFile kLinkedFiles[] = {
    {gsm_file::kAdn, 2, CachedFile::Adn, CachedFile::Ext1, UseMap::Ext1, UseMap::Adn, 0x20, 0xC0, 5002,
     load_mask::kAdn},
    {gsm_file::kFdn, 3, CachedFile::Fdn, CachedFile::Ext2, UseMap::Ext2, UseMap::Fdn, 0x20, 0x00, 5006,
     load_mask::kFdn},
    {gsm_file::kLnd, 13, CachedFile::Lnd, CachedFile::Ext1, UseMap::Ext1, UseMap::Lnd, 0x80, 0x60, 5011,
     load_mask::kLnd},
    {gsm_file::kMsisdn, 9, CachedFile::Msisdn, CachedFile::Ext1, UseMap::Ext1, UseMap::Msisdn, 0x40, 0xA0, 5011,
     load_mask::kMsisdn},
};

const LinkedFile* FindLinkedFile(std::uint16_t ef) {
    for (const LinkedFile& file : kLinkedFiles) {
        if (file.ef == ef) return &file;
    }
    return nullptr;
}

// Marks one reference to extension record `number` in its map.
void MarkReference(std::vector<std::uint8_t>& map, std::size_t number, const LinkedFile& file, bool continuation) {
    std::uint8_t& byte = map[number];
    byte |= file.ownMark;
    byte |= (byte & extension_use::kReferencedOnce) ? extension_use::kReferencedMore : extension_use::kReferencedOnce;
    if (byte & file.otherKinds) byte |= extension_use::kSeveralKinds;
    if (continuation) byte |= extension_use::kContinuation;
}

}  // namespace

std::string FormatItemText(std::string_view pattern, unsigned item, unsigned total) {
    std::string text;
    const unsigned values[] = {item, total};
    std::size_t used = 0;
    for (std::size_t position = 0; position < pattern.size(); ++position) {
        if (pattern[position] == '%' && position + 1 < pattern.size() && pattern[position + 1] == 'u' && used < 2) {
            text += std::to_string(values[used++]);
            ++position;
        } else {
            text += pattern[position];
        }
    }
    return text;
}

bool CardSession::StepItemProgress(std::uint32_t textId, unsigned item, unsigned total) {
    const std::string text = FormatItemText(resources::LoadString(textId), item, total);
    return StepProgress(text, total == 0 ? 100 : 100 * item / total);
}

bool CardSession::LoadExtensionFile(CachedFile imageId, UseMap mapId, std::uint16_t ef, unsigned service) {
    std::optional<std::vector<std::uint8_t>>& image = m_caches.Image(imageId);
    std::optional<std::vector<std::uint8_t>>& map = m_caches.Map(mapId);
    if (!HasService(service)) {
        image = std::vector<std::uint8_t>{0, 0};
        map = std::vector<std::uint8_t>{0};
        return true;
    }
    EfInformation header;
    if (!FileHeader(kTelecom, ef, header)) return false;
    const std::size_t recordLength = header.RecordLength();
    // An extension record is 13 bytes: type, length, ten digit bytes and the next link.
    if (recordLength < 13) return Fail(result::kNonSpecific);
    const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(header.FileSize() / recordLength, 255));
    const bool mustRead =
        !image || FileImage(*image).Count() != count || FileImage(*image).RecordLength() != recordLength;
    if (mustRead) image = FileImage::Make(count, static_cast<std::uint8_t>(recordLength));
    map = std::vector<std::uint8_t>(count + 1u, 0);
    (*map)[0] = count;
    FileImage view(*image);
    for (std::size_t number = 1; number <= count; ++number) {
        std::span<std::uint8_t> record = view.Record(number);
        if (mustRead) {
            std::uint32_t length = static_cast<std::uint32_t>(record.size());
            if (!ReadFileRecord(kTelecom, ef, record, length, static_cast<std::uint8_t>(number), 4)) return false;
        }
        if (record[0] < 0xFF) (*map)[number] |= extension_use::kInUse;
    }
    return true;
}

bool CardSession::LoadCardFiles(std::uint32_t mask, std::uint32_t textId) {
    m_caches.Map(UseMap::Ext1).reset();
    m_caches.Map(UseMap::Ext2).reset();
    bool loaded = LoadExtensionFile(CachedFile::Ext2, UseMap::Ext2, kExt2, kExt2Service) &&
                  LoadExtensionFile(CachedFile::Ext1, UseMap::Ext1, kExt1, kExt1Service);
    for (const LinkedFile& file : kLinkedFiles) {
        if (!loaded) break;
        if ((mask & file.maskBit) && HasService(file.service)) {
            loaded = LoadLinkedFile(file.ef, nullptr, textId);
        }
    }
    if (loaded && (mask & load_mask::kSms)) loaded = LoadSmsFile(textId);
    if (!loaded) {
        const reader::ReaderResult code = m_lastResult;
        ClearCache();
        return Fail(code == result::kOk ? result::kNonSpecific : code);
    }
    m_lastResult = result::kOk;
    return true;
}

bool CardSession::LoadLinkedFile(std::uint16_t ef, std::vector<std::uint8_t>* mapOut, std::uint32_t textId) {
    const LinkedFile* file = FindLinkedFile(ef);
    if (file == nullptr) return Fail(result::kNonSpecific);
    if (!HasService(file->service)) return Fail(result::kFileNotAccessible);
    std::optional<std::vector<std::uint8_t>>& extensionMap = m_caches.Map(file->extensionMap);
    std::optional<std::vector<std::uint8_t>>& extensionImage = m_caches.Image(file->extensionImage);
    if (!extensionMap || !extensionImage) return Fail(result::kNonSpecific);
    if (mapOut != nullptr) mapOut->clear();

    EfInformation header;
    if (!FileHeader(kTelecom, ef, header)) return false;
    const std::size_t recordLength = header.RecordLength();
    if (recordLength < 14) return Fail(result::kNonSpecific);
    const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(header.FileSize() / recordLength, 255));
    std::optional<std::vector<std::uint8_t>>& image = m_caches.Image(file->image);
    const bool mustRead =
        !image || FileImage(*image).Count() != count || FileImage(*image).RecordLength() != recordLength;
    if (mustRead) image = FileImage::Make(count, static_cast<std::uint8_t>(recordLength));
    std::vector<std::uint8_t> map(count + 1u, 0);
    map[0] = count;

    const FileImage records(*image);
    const FileImage extensions(*extensionImage);
    std::vector<std::uint8_t>& extensionUse = *extensionMap;
    const std::size_t extensionCount = extensionUse[0];
    const std::uint32_t text = textId != 0 ? textId : file->defaultText;
    for (std::size_t number = 1; number <= count; ++number) {
        if (!StepItemProgress(text, static_cast<unsigned>(number), count)) {
            // A half-loaded image must not be taken for the card's contents later.
            if (mustRead) image.reset();
            return Fail(result::kCancelledByUser);
        }
        std::span<std::uint8_t> record = records.Record(number);
        if (mustRead) {
            std::uint32_t length = static_cast<std::uint32_t>(record.size());
            if (!ReadFileRecord(kTelecom, ef, record, length, static_cast<std::uint8_t>(number), 4)) {
                image.reset();
                return false;
            }
        }
        // A record without a name still holds a number when its length byte says so; its links
        // count as much as any other record's.
        if (record[0] == 0xFF && record[recordLength - 14] == 0xFF) continue;
        std::uint8_t& use = map[number];
        use |= record_use::kInUse;
        if (record[recordLength - 2] != 0xFF) use |= record_use::kCapability;

        std::size_t next = record[recordLength - 1];
        bool continuation = false;
        std::vector<bool> visited(extensionCount + 1, false);
        for (;;) {
            if (next == 0xFF) break;
            if (next == 0 || next > extensionCount) {
                use |= continuation ? record_use::kBadContinuation : record_use::kBadExtension;
                break;
            }
            if ((extensionUse[next] & extension_use::kInUse) == 0) {
                use |= continuation ? record_use::kFreeContinuation : record_use::kFreeExtension;
                break;
            }
            // A chain that comes back to itself is followed once round.
            if (visited[next]) break;
            visited[next] = true;
            MarkReference(extensionUse, next, *file, continuation);
            const std::span<std::uint8_t> extension = extensions.Record(next);
            if (extension.size() < 13) break;
            const std::uint8_t type = extension[0] & 0x03;
            if (type == 2) use |= record_use::kAdditionalData;
            if (type == 1) use |= record_use::kSubaddress;
            next = extension[12];
            continuation = true;
        }
    }
    m_caches.Map(file->ownMap) = map;
    if (mapOut != nullptr) *mapOut = map;
    m_lastResult = result::kOk;
    return true;
}

bool CardSession::LoadSmsFile(std::uint32_t textId) {
    EfInformation header;
    if (!FileHeader(kTelecom, kSmsFile, header)) return false;
    const std::size_t recordLength = header.RecordLength();
    if (recordLength == 0) return Fail(result::kNonSpecific);
    const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(header.FileSize() / recordLength, 255));
    std::optional<std::vector<std::uint8_t>>& image = m_caches.Image(CachedFile::Sms);
    const bool mustRead =
        !image || FileImage(*image).Count() != count || FileImage(*image).RecordLength() != recordLength;
    if (mustRead) image = FileImage::Make(count, static_cast<std::uint8_t>(recordLength));
    const FileImage records(*image);
    const std::uint32_t text = textId != 0 ? textId : kSmsCheckText;
    for (std::size_t number = 1; number <= count; ++number) {
        if (!StepItemProgress(text, static_cast<unsigned>(number), count)) {
            if (mustRead) image.reset();
            return Fail(result::kCancelledByUser);
        }
        if (mustRead) {
            std::span<std::uint8_t> record = records.Record(number);
            std::uint32_t length = static_cast<std::uint32_t>(record.size());
            if (!ReadFileRecord(kTelecom, kSmsFile, record, length, static_cast<std::uint8_t>(number), 4)) {
                image.reset();
                return false;
            }
        } else {
            m_host.Pause(kSmsReplayPauseMs);
        }
    }
    m_lastResult = result::kOk;
    return true;
}

}  // namespace quillet::card
