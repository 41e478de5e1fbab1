#include "card/SessionCache.h"

#include <algorithm>

namespace quillet::card {

std::optional<FileImage> SessionCache::Image(CachedFile file) const {
    const Bytes& bytes = m_images[static_cast<std::size_t>(file)];
    if (!bytes) return std::nullopt;
    return FileImage(*bytes);
}

std::optional<std::span<const std::uint8_t>> SessionCache::UseMapOf(UseMap map) const {
    const Bytes& bytes = m_maps[static_cast<std::size_t>(map)];
    if (!bytes) return std::nullopt;
    return std::span<const std::uint8_t>(*bytes);
}

std::uint8_t SessionCache::RecordUse(UseMap map, std::size_t number) const {
    const Bytes& bytes = m_maps[static_cast<std::size_t>(map)];
    return bytes && number != 0 && number < bytes->size() ? (*bytes)[number] : 0;
}

bool SessionCache::Empty() const {
    const auto absent = [](const Bytes& bytes) { return !bytes.has_value(); };
    return std::all_of(m_images.begin(), m_images.end(), absent) && std::all_of(m_maps.begin(), m_maps.end(), absent) &&
           m_headers.empty();
}

const EfInformation* SessionCache::Header(std::uint16_t df, std::uint16_t ef) const {
    const auto found = m_headers.find({df, ef});
    return found != m_headers.end() ? &found->second : nullptr;
}

void SessionCache::UpdateHeader(std::uint16_t df, std::uint16_t ef, const EfInformation& info) {
    if (const auto found = m_headers.find({df, ef}); found != m_headers.end()) found->second = info;
}

void SessionCache::ForgetRelatedMaps(const GsmFile& file) {
    const std::uint16_t extension = file.extension != 0 ? file.extension : file.id;
    for (const GsmFile& other : GsmFiles()) {
        const bool related = other.id == extension || other.extension == extension;
        if (related && other.useMap) MapBytes(*other.useMap).reset();
    }
}

}  // namespace quillet::card
