#pragma once

#include <string>
#include <string_view>

#include "sim/SimProfile.h"

namespace quillet::sim {

// Card profiles are JSON files that a person can read and edit (the format is described in
// docs/virtual-card.md). Loading checks every field; a profile with any error is refused whole
// with a message that names the file and the field.

// Parses profile text; `sourceName` names it in messages. On failure returns false, leaves
// `profile` untouched and explains in `error`.
bool ParseSimProfile(std::string_view text, const std::string& sourceName, SimProfile& profile, std::string& error);

std::string SerializeSimProfile(const SimProfile& profile);

bool LoadSimProfile(const std::string& path, SimProfile& profile, std::string& error);

// Saves the profile through the program's one saving routine, so the old file stays whole if
// anything goes wrong and a link keeps pointing at the card file.
bool SaveSimProfile(const std::string& path, const SimProfile& profile, std::string& error);

}  // namespace quillet::sim
