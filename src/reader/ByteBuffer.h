#pragma once

#include <cstdint>
#include <span>

namespace quillet::reader {

// A caller's buffer of fixed capacity (the storage's size) and the number of bytes it now holds.
struct ByteBuffer {
    std::span<std::uint8_t> storage;
    std::uint16_t length = 0;

    std::span<const std::uint8_t> Bytes() const { return storage.first(length); }
};

}  // namespace quillet::reader
