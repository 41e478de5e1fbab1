#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A fuzz target: one entry point that takes any bytes, in the form libFuzzer expects, and the
// well-formed inputs its mutations start from. FuzzDriver.cpp runs it for a bounded time.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace quillet::fuzz {

std::vector<std::string> Seeds();

// A reader broke a promise: ends the run as a crash, so the driver saves the input.
[[noreturn]] inline void Broken() { __builtin_trap(); }
inline void Require(bool promise) {
    if (!promise) Broken();
}

}  // namespace quillet::fuzz
