#pragma once

#include <cstdint>

#include "reader/ReaderResult.h"

namespace quillet::reader {

// Maps an error number reported by a reader driver library (or the system) to a result code.
ReaderResult MapDriverError(std::uint32_t errorNumber);

}  // namespace quillet::reader
