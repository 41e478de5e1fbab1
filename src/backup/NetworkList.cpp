// Reading and writing the preferred and forbidden network lists as whole files.
#include "backup/NetworkList.h"

#include <algorithm>

#include "card/GsmFiles.h"
#include "card/WritePlanExecutor.h"

namespace quillet::backup {

namespace {

namespace result = reader::result;

constexpr std::uint16_t kGsmDirectory = card::gsm_file::kGsmDirectory;
constexpr std::uint16_t kPreferredNetworks = card::gsm_file::kPreferredNetworks;
constexpr std::uint16_t kForbiddenNetworks = card::gsm_file::kForbiddenNetworks;

bool Fail(card::CardSession& session, reader::ReaderResult code) {
    session.SetLastResult(code);
    return false;
}

// The checks both transfers start with; on success `info` describes the selected list file.
bool SelectListFile(card::CardSession& session, std::uint16_t ef, card::EfInformation& info) {
    if (session.Host().CurrentReader() == nullptr) return Fail(session, result::kReaderInaccessible);
    if ((session.Flags() & card::CardSession::kIdentified) == 0) return Fail(session, result::kNonSpecific);
    if (!session.SelectFile(kGsmDirectory, ef, nullptr, &info)) return false;
    // A list is a transparent file; anything else would move only one record.
    if (info.IsRecordFile()) return Fail(session, result::kNonSpecific);
    return true;
}

std::uint16_t ListFile(bool forbidden) { return forbidden ? kForbiddenNetworks : kPreferredNetworks; }

}  // namespace

bool ReadNetworkList(card::CardSession& session, std::vector<PlmnEntry>& list, bool forbidden) {
    list.clear();
    const std::uint16_t ef = ListFile(forbidden);
    card::EfInformation info;
    if (!SelectListFile(session, ef, info)) return false;

    std::vector<std::uint8_t> file(info.FileSize());
    std::uint32_t length = static_cast<std::uint32_t>(file.size());
    if (!session.ReadFileRecord(kGsmDirectory, ef, file, length, 1, 4)) return false;

    const std::size_t count = std::min<std::size_t>(length, file.size()) / kPlmnSlotSize;
    list.reserve(count);
    for (std::size_t slot = 0; slot < count; ++slot) {
        list.push_back(
            DecodePlmnSlot(std::span<const std::uint8_t, kPlmnSlotSize>(&file[slot * kPlmnSlotSize], kPlmnSlotSize)));
    }
    session.SetLastResult(result::kOk);
    return true;
}

bool WriteNetworkList(card::CardSession& session, std::span<const PlmnEntry> list, bool forbidden) {
    const std::uint16_t ef = ListFile(forbidden);
    card::EfInformation info;
    if (!SelectListFile(session, ef, info)) return false;

    std::vector<std::uint8_t> file(info.FileSize(), 0xFF);
    const std::size_t count = std::min(list.size(), file.size() / kPlmnSlotSize);
    if (ValidNetworkCount(list.subspan(count)) != 0) return Fail(session, result::kPositionOverflow);
    for (std::size_t slot = 0; slot < count; ++slot) {
        const PlmnSlot bytes = EncodePlmnSlot(list[slot]);
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(slot * kPlmnSlotSize));
    }
    return card::WriteTransparentFile(session, kGsmDirectory, ef, file);
}

bool NetworkListSlots(card::CardSession& session, bool forbidden, std::size_t& slots) {
    slots = 0;
    card::EfInformation info;
    if (!SelectListFile(session, ListFile(forbidden), info)) return false;
    slots = info.FileSize() / kPlmnSlotSize;
    session.SetLastResult(result::kOk);
    return true;
}

std::size_t ValidNetworkCount(std::span<const PlmnEntry> list) {
    return static_cast<std::size_t>(
        std::count_if(list.begin(), list.end(), [](const PlmnEntry& entry) { return entry.valid != 0; }));
}

std::optional<std::vector<PlmnEntry>> FitNetworkList(std::span<const PlmnEntry> list, std::size_t slots) {
    std::vector<PlmnEntry> fitted(list.begin(), list.end());
    if (fitted.size() > slots) {
        std::erase_if(fitted, [](const PlmnEntry& entry) { return entry.valid == 0; });
        if (fitted.size() > slots) return std::nullopt;
    }
    fitted.resize(slots);
    return fitted;
}

}  // namespace quillet::backup
