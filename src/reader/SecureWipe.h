#pragma once

#include <string.h>

#include <cstddef>

namespace quillet::reader {

// Overwrites a buffer with zeros in a way the compiler may not drop; for buffers that held
// secret codes.
inline void SecureWipe(void* data, std::size_t size) {
    if (data != nullptr && size != 0) {
        ::explicit_bzero(data, size);
    }
}

}  // namespace quillet::reader
