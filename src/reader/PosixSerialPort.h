#pragma once

#include "reader/SerialPort.h"

namespace quillet::reader {

// A serial port on a POSIX tty: termios line settings, modem lines through ioctl, and reads that
// wait with poll() so they end as soon as a byte arrives.
class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort() = default;
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    bool Open(const std::string& device) override;
    bool Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    bool SetQueueSizes(std::uint32_t receiveBytes, std::uint32_t transmitBytes) override;
    bool Purge() override;
    bool SetTimeouts(const PortTimeouts& timeouts) override;
    bool ReadSettings(LineSettings& settings) override;
    bool ApplySettings(const LineSettings& settings) override;
    bool SetDtr(bool raised) override;
    bool SetRts(bool raised) override;
    bool WriteByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> ReadByte(std::uint32_t waitMs) override;

private:
    bool SetModemLine(int line, bool raised);

    int m_fd = -1;
};

}  // namespace quillet::reader
