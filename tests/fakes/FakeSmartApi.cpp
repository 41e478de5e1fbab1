// A stand-in for the PCMCIA reader's library, for tests: its ports and byte stream over the fake
// card slot.
#include <cstdint>
#include <deque>

#include "FakeCardSlot.h"

namespace {

struct SmartStatus {
    std::uint16_t waiting;
    std::uint16_t toSend;
};

std::deque<std::uint8_t> g_atrStream;  // what port 0 hands out after the card is powered
int g_garbleAnswers = 0;               // answers still to be lost (only 0x12 arrives instead)
int g_refusedWrites = 0;               // writes still to be refused before any byte reaches the card
bool g_silent = false;                 // the powered card sends no ATR at all
std::deque<int> g_linePortWrites;      // values written to port 1, for tests

quillet::fakes::FakeCardSlot& Slot() { return quillet::fakes::FakeCardSlot::Instance(); }

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT void quillet_fake_smart_garble_answers(int count) { g_garbleAnswers = count; }
EXPORT void quillet_fake_smart_refuse_writes(int count) { g_refusedWrites = count; }
EXPORT void quillet_fake_smart_card_present(int present) { Slot().SetPresent(present != 0); }
EXPORT void quillet_fake_smart_silent(int silent) { g_silent = silent != 0; }
// Copies the values written to port 1 since the last time; returns how many.
EXPORT int quillet_fake_smart_take_line_writes(int* out, int capacity) {
    int count = 0;
    while (count < capacity && !g_linePortWrites.empty()) {
        out[count++] = g_linePortWrites.front();
        g_linePortWrites.pop_front();
    }
    g_linePortWrites.clear();
    return count;
}

EXPORT int SmartOpen(int, int, int) { return 3; }
EXPORT int SmartClose(int) { return 0; }

EXPORT int SmartInp(int, int port) {
    switch (port) {
        case 0: {
            if (g_atrStream.empty()) return 0;
            const int byte = g_atrStream.front();
            g_atrStream.pop_front();
            return byte;
        }
        case 1:
            return g_atrStream.empty() ? 0 : 0x02;
        case 2:
            return 0x04 | (Slot().Present() ? 0x10 : 0);
        default:
            return 0;
    }
}

EXPORT int SmartOutp(int, int port, int value) {
    if (port == 1) g_linePortWrites.push_back(value);
    if (port == 2 && value == 0x0B && g_silent) return 0;
    if (port == 2 && value == 0x80) {
        Slot().PowerOff();
        g_atrStream.clear();
    } else if (port == 2 && value == 0x0B && Slot().Present()) {
        // The reader announces how many bytes follow, then one byte of its own, then the ATR.
        Slot().PowerOn();
        std::deque<std::uint8_t>& atr = Slot().Output();
        g_atrStream.assign({static_cast<std::uint8_t>(atr.size() + 1), 0x00});
        g_atrStream.insert(g_atrStream.end(), atr.begin(), atr.end());
        atr.clear();
    }
    return 0;
}

EXPORT int SmartWrite(int, const std::uint8_t* data, int count) {
    if (g_refusedWrites > 0) {
        --g_refusedWrites;
        return -1;
    }
    for (int index = 0; index < count; ++index) {
        const std::size_t before = Slot().Output().size();
        Slot().Send(data[index]);
        if (g_garbleAnswers > 0 && Slot().Output().size() > before) {
            Slot().Output().resize(before);
            Slot().Output().push_back(0x12);
            --g_garbleAnswers;
        }
    }
    return count;
}

EXPORT int SmartRead(int, std::uint8_t* data, int count) {
    int read = 0;
    while (read < count && !Slot().Output().empty()) {
        data[read++] = Slot().Output().front();
        Slot().Output().pop_front();
    }
    return read;
}

EXPORT int GetSmartError(int, SmartStatus* status) {
    status->waiting = static_cast<std::uint16_t>(Slot().Output().size());
    status->toSend = 0;
    return 0;
}

#ifndef QUILLET_FAKE_WITHOUT_CWT
EXPORT int SetSmartCWT(int, int) { return 0; }
#endif
EXPORT int GetSmartCWT(int, int) { return 0; }
