#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "reader/ReaderResult.h"

namespace quillet::reader {

// One card command as the reader carried it out, for tests and for the command-line tool's trace.
struct TraceRecord {
    std::array<std::uint8_t, 5> header{};  // CLA INS P1 P2 P3
    bool dataToCard = false;
    std::span<const std::uint8_t> data;  // the bytes sent, or the bytes received
    bool dataWithheld = false;           // codes of CHV commands are never passed on
    std::uint16_t statusWord = 0;
    ReaderResult result = result::kOk;
};

using TraceHook = std::function<void(const TraceRecord&)>;

}  // namespace quillet::reader
