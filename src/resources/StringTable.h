#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillet::resources {

// Looks up the text of a string id. Texts are kept exactly as the program shows them.
std::optional<std::string_view> FindString(std::uint32_t id);

// The text of a string id, or an empty text when the table has no such id.
std::string_view LoadString(std::uint32_t id);

}  // namespace quillet::resources
