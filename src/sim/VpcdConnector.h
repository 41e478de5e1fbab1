#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sim/ApduCard.h"

namespace quillet::sim {

// Puts a card into a vpcd virtual reader of pcscd: the card side of vpcd's TCP protocol. Frames
// are a 2-byte big-endian length and the payload; a 1-byte payload is a control code (0 power
// off, 1 power on, 2 reset, 4 get the ATR), anything longer a command answered by data and SW1
// SW2 in one frame.
class VpcdConnector {
public:
    struct Options {
        std::string host = "127.0.0.1";
        std::uint16_t port = 35963;
        // Strict: a command of any length but 4, 5 or 5 + P3 gets 67 00.
        bool strictShapes = true;
    };

    VpcdConnector(ApduCard& card, Options options);

    // Connects and serves until Stop(); connects again whenever the connection drops.
    void Run();
    // May be called from another thread: ends Run and drops the connection, as if the card
    // were pulled out.
    void Stop();
    bool IsConnected() const { return m_connected; }

    // Called after the card lost power or was reset, for example to save its file.
    std::function<void()> onPowerDown;

    // The answer to one command frame.
    std::vector<std::uint8_t> Answer(const std::vector<std::uint8_t>& command);
    // Carries out a control code; the ATR for "get ATR", nothing for the others.
    std::vector<std::uint8_t> Control(std::uint8_t code);

private:
    bool Serve(int socket);

    ApduCard& m_card;
    Options m_options;
    std::vector<std::uint8_t> m_atr;
    bool m_powered = false;
    std::atomic<bool> m_stop{false};
    std::mutex m_socketMutex;  // Stop() and Run() must not race on the descriptor
    int m_socket = -1;
    std::atomic<bool> m_connected{false};
};

}  // namespace quillet::sim
