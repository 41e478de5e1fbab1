#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "card/FileHeaders.h"
#include "card/FileImage.h"
#include "card/GsmFiles.h"

namespace quillet::card {

// Raw file images, record-use maps and select answers the session keeps between commands while the
// card stays the same. Others only read them: the session alone fills them from the card, changes a
// record when it has written it, and forgets them, so they never say what the card does not hold.
class SessionCache {
public:
    std::optional<FileImage> Image(CachedFile file) const;
    std::optional<std::span<const std::uint8_t>> UseMapOf(UseMap map) const;
    // The use bits of record `number` (1-based) in a map; 0 when the map or the record is not there.
    std::uint8_t RecordUse(UseMap map, std::size_t number) const;
    bool Empty() const;

private:
    friend class CardSession;
    using Bytes = std::optional<std::vector<std::uint8_t>>;

    Bytes& ImageBytes(CachedFile file) { return m_images[static_cast<std::size_t>(file)]; }
    Bytes& MapBytes(UseMap map) { return m_maps[static_cast<std::size_t>(map)]; }
    const EfInformation* Header(std::uint16_t df, std::uint16_t ef) const;
    void KeepHeader(std::uint16_t df, std::uint16_t ef, const EfInformation& info) { m_headers[{df, ef}] = info; }
    // A header the session changed on the card (invalidated, rehabilitated) is changed here too.
    void UpdateHeader(std::uint16_t df, std::uint16_t ef, const EfInformation& info);
    // The maps of the files whose records link into the same extension file as `file`, and that file's
    // own map, describe one another: a write to any of them makes them all stale.
    void ForgetRelatedMaps(const GsmFile& file);

    std::array<Bytes, kCachedFileCount> m_images;
    std::array<Bytes, kUseMapCount> m_maps;
    std::map<std::pair<std::uint16_t, std::uint16_t>, EfInformation> m_headers;
};

}  // namespace quillet::card
