#pragma once

#include <cstdint>

namespace quillet::reader {

// Millisecond clock and sleep, the only source of time for the reader code, so tests and
// benchmarks can run the byte protocols in virtual time.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since the clock started. Wraps after 49 days; 0xFFFFFFFF counts as timed out.
    virtual std::uint32_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
};

// True once more than limitMs have passed since startMs (unsigned arithmetic survives the wrap).
inline bool HasTimedOut(Clock& clock, std::uint32_t startMs, std::uint32_t limitMs) {
    const std::uint32_t now = clock.NowMs();
    return now == 0xFFFFFFFFu || now - startMs > limitMs;
}

}  // namespace quillet::reader
