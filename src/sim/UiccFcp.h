#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sim/SimProfile.h"

namespace quillet::sim {

// The FCP templates (tag 62) a UICC answers a select with (TS 102 221, "FCP template").

// A DF, the MF or an ADF (`aid` not empty): descriptor, id, AID, life cycle, security reference
// and the PIN status template of PIN1 (key 01) and PIN2 (key 81).
std::vector<std::uint8_t> DirectoryFcp(std::uint16_t id, std::span<const std::uint8_t> aid, bool pin1Enabled);

// An EF under the name `id` it was selected by: descriptor (structure, record length, record
// count), id, life cycle (deactivated when invalidated), security reference and size.
std::vector<std::uint8_t> ElementaryFileFcp(const SimElementaryFile& file, std::uint16_t id);

}  // namespace quillet::sim
