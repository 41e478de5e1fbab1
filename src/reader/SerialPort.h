#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillet::reader {

enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2 };

// Line settings of the reader's serial port.
struct LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    std::uint8_t stopBits = 2;
    Parity parity = Parity::Even;
    bool dtrControl = true;
    bool rtsControl = true;
    bool parityChecking = false;
    bool flowControl = false;

    bool operator==(const LineSettings&) const = default;
};

// Read and write timeouts of the port, in milliseconds.
struct PortTimeouts {
    std::uint32_t readIntervalMs = 5;
    std::uint32_t readTotalMultiplierMs = 2;
    std::uint32_t readTotalConstantMs = 5;
    std::uint32_t writeTotalMultiplierMs = 0;
    std::uint32_t writeTotalConstantMs = 0xFFFFFFFF;
};

// A serial port as the serial reader needs it. The POSIX implementation drives a tty; tests and
// benchmarks plug in the reader emulator instead.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens an existing device for exclusive reading and writing.
    virtual bool Open(const std::string& device) = 0;
    // Closes the device; false when closing failed.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual bool SetQueueSizes(std::uint32_t receiveBytes, std::uint32_t transmitBytes) = 0;
    // Drops whatever waits in the receive and transmit queues.
    virtual bool Purge() = 0;
    virtual bool SetTimeouts(const PortTimeouts& timeouts) = 0;
    virtual bool ReadSettings(LineSettings& settings) = 0;
    virtual bool ApplySettings(const LineSettings& settings) = 0;
    virtual bool SetDtr(bool raised) = 0;
    virtual bool SetRts(bool raised) = 0;

    virtual bool WriteByte(std::uint8_t byte) = 0;
    // Waits at most waitMs for one byte and returns it as soon as it is there.
    virtual std::optional<std::uint8_t> ReadByte(std::uint32_t waitMs) = 0;
};

}  // namespace quillet::reader
