#pragma once

#include <chrono>

#include "reader/Clock.h"

namespace quillet::reader {

// The real clock: milliseconds of the monotonic clock since this object was made.
class SystemClock final : public Clock {
public:
    SystemClock();

    std::uint32_t NowMs() override;
    void SleepMs(std::uint32_t ms) override;

private:
    std::chrono::steady_clock::time_point m_start;
};

}  // namespace quillet::reader
