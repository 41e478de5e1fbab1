#pragma once

// The building blocks the demonstration cards are assembled from.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/SimProfile.h"

namespace quillet::sim::demo {

using Record = std::vector<std::uint8_t>;
using Records = std::vector<Record>;

inline constexpr AccessLevel kAlw = AccessLevel::Always;
inline constexpr AccessLevel kChv1 = AccessLevel::Chv1;
inline constexpr AccessLevel kChv2 = AccessLevel::Chv2;
inline constexpr AccessLevel kAdm = AccessLevel::Adm;
inline constexpr AccessLevel kNev = AccessLevel::Never;

FileAccess Access(AccessLevel read, AccessLevel update, AccessLevel invalidate, AccessLevel rehabilitate,
                  AccessLevel increase = kNev);

SimElementaryFile TransparentFile(DirectoryKey directory, std::uint16_t id, std::string name, FileAccess access,
                                  std::vector<std::uint8_t> content);

SimElementaryFile RecordFile(DirectoryKey directory, std::uint16_t id, std::string name, FileStructure structure,
                             FileAccess access, std::size_t recordLength, Records records);

// EF_ICCID of the MF holding the digits and their check digit (ITU-T E.118, Luhn formula).
SimElementaryFile IccidFile(std::string_view digitsWithoutCheck);

// The encoded bytes, or `size` bytes of `filler` should the fixed demo data ever not encode (the
// test of the demo card then fails on the missing contents).
template <typename Bytes>
std::vector<std::uint8_t> OrFiller(const std::optional<Bytes>& bytes, std::size_t size, std::uint8_t filler = 0xFF) {
    if (!bytes) return std::vector<std::uint8_t>(size, filler);
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

}  // namespace quillet::sim::demo
