#include "reader/VirtualClock.h"

namespace quillet::reader {

std::uint32_t VirtualClock::NowMs() { return static_cast<std::uint32_t>(m_micros / 1000); }

void VirtualClock::SleepMs(std::uint32_t ms) { m_micros += static_cast<std::uint64_t>(ms) * 1000; }

void VirtualClock::AdvanceTo(std::uint64_t micros) {
    if (micros > m_micros) {
        m_micros = micros;
    }
}

}  // namespace quillet::reader
