// Loading whole card files into the session's caches and mapping how the phone-book records use
// their extension records.
#include <algorithm>
#include <string>

#include "card/CardSession.h"
#include "card/DiallingDigits.h"
#include "card/FileImage.h"
#include "card/GsmFiles.h"
#include "card/RecordPlacement.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

constexpr std::uint32_t kSmsCheckText = 5016;
constexpr std::uint32_t kSmsReplayPauseMs = 25;

// The progress text each dialling-number file shows while it loads when the caller names none.
struct LoadText {
    std::uint16_t ef;
    std::uint32_t text;
};
constexpr LoadText kLoadTexts[] = {
    {gsm_file::kAdn, 5002},
    {gsm_file::kFdn, 5006},
    {gsm_file::kLnd, 5011},
    {gsm_file::kMsisdn, 5011},
};

std::uint32_t DefaultLoadText(std::uint16_t ef) {
    for (const LoadText& entry : kLoadTexts) {
        if (entry.ef == ef) return entry.text;
    }
    return 0;
}

// A file whose records link into an extension file.
bool IsLinkedFile(const GsmFile& file) { return file.extension != 0 && file.image && file.useMap; }

// Marks one reference to extension record `number` in its map.
void MarkReference(std::vector<std::uint8_t>& map, std::size_t number, const GsmFile& file, bool continuation) {
    std::uint8_t& byte = map[number];
    byte |= file.linkMark;
    byte |= (byte & extension_use::kReferencedOnce) ? extension_use::kReferencedMore : extension_use::kReferencedOnce;
    if (byte & OtherLinkMarks(file)) byte |= extension_use::kSeveralKinds;
    if (continuation) byte |= extension_use::kContinuation;
}

// Follows the extension chain of one dialling-number record, marking each extension record it
// reaches in `extensionUse`; returns the record's own use bits for what the chain holds.
std::uint8_t MarkChain(std::size_t first, const FileImage& extensions, std::vector<std::uint8_t>& extensionUse,
                       const GsmFile& file) {
    std::uint8_t use = 0;
    const std::size_t extensionCount = extensionUse[0];
    std::size_t next = first;
    bool continuation = false;
    std::vector<bool> visited(extensionCount + 1, false);
    while (next != kNoLink) {
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
        MarkReference(extensionUse, next, file, continuation);
        const std::span<const std::uint8_t> extension = extensions.Record(next);
        if (extension.size() < kExtensionRecordLength) break;
        const std::uint8_t type = extension[0] & 0x03;
        if (type == 2) use |= record_use::kAdditionalData;
        if (type == 1) use |= record_use::kSubaddress;
        next = extension[kExtensionRecordLength - 1];
        continuation = true;
    }
    return use;
}

}  // namespace

bool CardSession::StepItemProgress(std::uint32_t textId, unsigned item, unsigned total) {
    const std::string text = FormatItemText(resources::LoadString(textId), item, total);
    return StepProgress(text, total == 0 ? 100 : 100 * item / total);
}

SessionCache::Bytes& CardSession::PrepareImage(const GsmFile& file, const EfInformation& header, bool& mustRead) {
    const std::size_t recordLength = header.RecordLength();
    const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(header.FileSize() / recordLength, 255));
    SessionCache::Bytes& image = m_cache.ImageBytes(*file.image);
    mustRead = !image || FileImage(*image).Count() != count || FileImage(*image).RecordLength() != recordLength;
    if (mustRead) image = MakeFileImage(count, static_cast<std::uint8_t>(recordLength));
    return image;
}

bool CardSession::LoadExtensionFile(const GsmFile& file) {
    SessionCache::Bytes& image = m_cache.ImageBytes(*file.image);
    SessionCache::Bytes& map = m_cache.MapBytes(*file.useMap);
    if (!HasService(file.service)) {
        image = std::vector<std::uint8_t>{0, 0};
        map = std::vector<std::uint8_t>{0};
        return true;
    }
    EfInformation header;
    if (!FileHeader(file.parent, file.id, header)) return false;
    if (header.RecordLength() < kExtensionRecordLength) return Fail(result::kNonSpecific);
    bool mustRead = false;
    PrepareImage(file, header, mustRead);
    const WritableFileImage view(*image);
    map = std::vector<std::uint8_t>(view.Count() + 1u, 0);
    (*map)[0] = view.Count();
    for (std::size_t number = 1; number <= view.Count(); ++number) {
        std::span<std::uint8_t> record = view.Record(number);
        if (mustRead) {
            std::uint32_t length = static_cast<std::uint32_t>(record.size());
            if (!ReadFileRecord(file.parent, file.id, record, length, static_cast<std::uint8_t>(number), 4)) {
                return false;
            }
        }
        if (record[0] < 0xFF) (*map)[number] |= extension_use::kInUse;
    }
    return true;
}

bool CardSession::LoadCardFiles(std::uint32_t mask, std::uint32_t textId) {
    m_cache.MapBytes(UseMap::Ext1).reset();
    m_cache.MapBytes(UseMap::Ext2).reset();
    bool loaded = LoadExtensionFile(GsmFileOf(CachedFile::Ext2)) && LoadExtensionFile(GsmFileOf(CachedFile::Ext1));
    for (const GsmFile& file : GsmFiles()) {
        if (!loaded) break;
        if (IsLinkedFile(file) && (mask & file.loadBit) && HasService(file.service)) {
            loaded = LoadLinkedFile(file.id, nullptr, textId);
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
    const GsmFile* file = FindGsmFile(ef);
    if (file == nullptr || !IsLinkedFile(*file)) return Fail(result::kNonSpecific);
    if (!RequireService(file->service)) return false;
    const GsmFile& extensionFile = *FindGsmFile(file->extension);
    SessionCache::Bytes& extensionMap = m_cache.MapBytes(*extensionFile.useMap);
    const SessionCache::Bytes& extensionImage = m_cache.ImageBytes(*extensionFile.image);
    if (!extensionMap || !extensionImage) return Fail(result::kNonSpecific);
    if (mapOut != nullptr) mapOut->clear();

    EfInformation header;
    if (!FileHeader(file->parent, ef, header)) return false;
    const std::size_t recordLength = header.RecordLength();
    if (recordLength < kDiallingFixedPart) return Fail(result::kNonSpecific);
    bool mustRead = false;
    SessionCache::Bytes& image = PrepareImage(*file, header, mustRead);
    const WritableFileImage records(*image);
    const std::size_t count = records.Count();
    std::vector<std::uint8_t> map(count + 1u, 0);
    map[0] = static_cast<std::uint8_t>(count);

    const FileImage extensions(*extensionImage);
    const std::uint32_t text = textId != 0 ? textId : DefaultLoadText(ef);
    for (std::size_t number = 1; number <= count; ++number) {
        if (!StepItemProgress(text, static_cast<unsigned>(number), static_cast<unsigned>(count))) {
            // A half-loaded image must not be taken for the card's contents later.
            if (mustRead) image.reset();
            return Fail(result::kCancelledByUser);
        }
        std::span<std::uint8_t> record = records.Record(number);
        if (mustRead) {
            std::uint32_t length = static_cast<std::uint32_t>(record.size());
            if (!ReadFileRecord(file->parent, ef, record, length, static_cast<std::uint8_t>(number), 4)) {
                image.reset();
                return false;
            }
        }
        // A record without a name still holds a number when its length byte says so; its links
        // count as much as any other record's.
        if (record[0] == 0xFF && record[recordLength - kDiallingFixedPart] == 0xFF) continue;
        std::uint8_t& use = map[number];
        use |= record_use::kInUse;
        if (record[recordLength - 2] != 0xFF) use |= record_use::kCapability;
        use |= MarkChain(record[recordLength - 1], extensions, *extensionMap, *file);
    }
    m_cache.MapBytes(*file->useMap) = map;
    if (mapOut != nullptr) *mapOut = map;
    m_lastResult = result::kOk;
    return true;
}

bool CardSession::LoadSmsFile(std::uint32_t textId) {
    const GsmFile& file = GsmFileOf(CachedFile::Sms);
    EfInformation header;
    if (!FileHeader(file.parent, file.id, header)) return false;
    if (header.RecordLength() == 0) return Fail(result::kNonSpecific);
    bool mustRead = false;
    SessionCache::Bytes& image = PrepareImage(file, header, mustRead);
    const WritableFileImage records(*image);
    const std::size_t count = records.Count();
    const std::uint32_t text = textId != 0 ? textId : kSmsCheckText;
    for (std::size_t number = 1; number <= count; ++number) {
        if (!StepItemProgress(text, static_cast<unsigned>(number), static_cast<unsigned>(count))) {
            if (mustRead) image.reset();
            return Fail(result::kCancelledByUser);
        }
        if (mustRead) {
            std::span<std::uint8_t> record = records.Record(number);
            std::uint32_t length = static_cast<std::uint32_t>(record.size());
            if (!ReadFileRecord(file.parent, file.id, record, length, static_cast<std::uint8_t>(number), 4)) {
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
