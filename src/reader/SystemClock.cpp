#include "reader/SystemClock.h"

#include <thread>

namespace quillet::reader {

SystemClock::SystemClock() : m_start(std::chrono::steady_clock::now()) {}

std::uint32_t SystemClock::NowMs() {
    const auto elapsed = std::chrono::steady_clock::now() - m_start;
    // Skip the reserved reading 0xFFFFFFFF, which means "timed out".
    const auto ms = static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    return ms == 0xFFFFFFFFu ? 0 : ms;
}

void SystemClock::SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace quillet::reader
