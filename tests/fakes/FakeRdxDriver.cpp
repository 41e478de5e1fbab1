// A stand-in for the reader driver library, for tests: the driver calls over the fake card slot.
#include <cstdint>
#include <cstring>

#include "FakeCardSlot.h"

namespace {

std::uint32_t g_failNext = 0;
// Every call as (function, value, line word or 0), for tests to check what the reader sent.
std::uint32_t g_log[256][3];
int g_logged = 0;

}  // namespace

extern "C" {

// Makes the next driver call fail with this error number.
__attribute__((visibility("default"))) void quillet_fake_rdx_fail_next(std::uint32_t error) { g_failNext = error; }

// Copies the calls logged since the last time into `out` (three words each); returns how many.
__attribute__((visibility("default"))) int quillet_fake_rdx_take_log(std::uint32_t (*out)[3], int capacity) {
    const int count = g_logged < capacity ? g_logged : capacity;
    for (int index = 0; index < count; ++index) {
        for (int word = 0; word < 3; ++word) out[index][word] = g_log[index][word];
    }
    g_logged = 0;
    return count;
}

__attribute__((visibility("default"))) int quillet_fake_load_card(const char* path) {
    return quillet::fakes::FakeCardSlot::Instance().LoadCard(path) ? 1 : 0;
}

#ifndef QUILLET_FAKE_WITHOUT_ENTRY
__attribute__((visibility("default"))) int RdxDllEntry(std::uintptr_t* code, std::uintptr_t* pointer,
                                                       std::uintptr_t* value, std::uintptr_t* second,
                                                       std::uintptr_t* toSend, std::uintptr_t* capacity,
                                                       std::uintptr_t* flags) {
    quillet::fakes::FakeCardSlot& slot = quillet::fakes::FakeCardSlot::Instance();
    const std::uintptr_t function = *code;
    if (g_logged < 256) {
        const std::uint32_t line = function == 0x7A13 && *second != 0 ? *reinterpret_cast<std::uint32_t*>(*second) : 0;
        g_log[g_logged][0] = static_cast<std::uint32_t>(function);
        g_log[g_logged][1] = static_cast<std::uint32_t>(*value);
        g_log[g_logged][2] = line;
        ++g_logged;
    }
    *code = 0;
    *flags = 0;
    if (g_failNext != 0) {
        *code = g_failNext;
        *flags = 1;
        g_failNext = 0;
        return 0;
    }
    switch (function) {
        case 0x7A11:  // status
            *value = slot.Present() ? 0x40 : 0x00;
            break;
        case 0x7A13:  // control
            if (*value == 2 || *value == 3) slot.PowerOff();
            if (*value == 4) slot.PowerOn();
            break;
        case 0x7A18: {  // exchange: the line echoes every byte, then carries the card's answer
            auto* data = reinterpret_cast<std::uint8_t*>(*pointer);
            std::deque<std::uint8_t>& output = slot.Output();
            for (std::uintptr_t index = 0; index < *toSend; ++index) {
                output.push_back(data[index]);
                slot.Send(data[index]);
            }
            std::uintptr_t received = 0;
            while (received < *capacity && !output.empty()) {
                data[received++] = output.front();
                output.pop_front();
            }
            *capacity = received;
            break;
        }
        case 0x7A36: {  // memory read
            const auto* record = reinterpret_cast<const std::uint8_t*>(*pointer);
            std::uint16_t count = 0;
            std::uint8_t* destination = nullptr;
            std::memcpy(&count, record + 38, sizeof count);
            std::memcpy(&destination, record + 46, sizeof destination);
            std::memcpy(destination, slot.Memory().data(), count < 32 ? count : 32);
            break;
        }
        default:  // open, close, set mode, end of memory read
            break;
    }
    return 0;
}
#endif
}
