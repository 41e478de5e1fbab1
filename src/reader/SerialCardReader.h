#pragma once

#include <functional>
#include <memory>
#include <string>

#include "reader/CardReader.h"
#include "reader/Clock.h"
#include "reader/SerialPort.h"

namespace quillet::reader {

// Turns a device name such as "COM3" into the device file to open.
using PortPathResolver = std::function<std::string(const std::string& name)>;

// "COMn" names /dev/ttyS(n-1); any other name is taken as a device file as it stands.
std::string DefaultPortPath(const std::string& name);

// The system's own reader on a serial port: its card I/O line is wired to both the receive and
// the transmit line, so every byte sent comes back as an echo.
class SerialCardReader : public CardReader {
public:
    SerialCardReader(std::unique_ptr<SerialPort> port, Clock& clock, PortPathResolver resolvePath = DefaultPortPath);
    ~SerialCardReader() override;

    ReaderResult Close() override;
    ReaderResult Open(const std::string& name, std::uint32_t option) override;
    ReaderResult SetLineParity(std::uint8_t parity) override;
    ReaderResult Reconnect() override;
    ReaderResult Disconnect() override;
    ReaderResult Connect() override;
    void Delay(std::uint32_t ms) override;
    void WriteByte(std::uint8_t byte) override;
    bool WriteByteChecked(std::uint8_t byte) override;
    int ReadByteTimed() override;
    void FlushInput() override;
    std::uint8_t ReadByte() override;
    bool ByteAvailable() override;

protected:
    void WaitForInput(std::uint32_t ms) override;

private:
    bool WaitForIdentification();

    std::unique_ptr<SerialPort> m_port;
    Clock& m_clock;
    PortPathResolver m_resolvePath;
    int m_lookAhead = -1;
    std::uint32_t m_readStartMs = 0;
};

}  // namespace quillet::reader
