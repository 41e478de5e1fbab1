// The POSIX serial port against a real pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include "reader/PosixSerialPort.h"
#include "reader/SerialCardReader.h"
#include "reader/SystemClock.h"

namespace quillet::reader {
namespace {

class PseudoTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(::openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
        m_path = name;
    }
    void TearDown() override {
        ::close(m_master);
        ::close(m_slave);
    }

    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};

TEST_F(PseudoTerminal, BytesTravelBothWaysAndReadsEndWhenTheByteArrives) {
    PosixSerialPort port;
    ASSERT_TRUE(port.Open(m_path));
    LineSettings settings;
    settings.parity = Parity::None;
    ASSERT_TRUE(port.ApplySettings(settings));
    ASSERT_TRUE(port.Purge());

    ASSERT_TRUE(port.WriteByte(0x5A));
    std::uint8_t received = 0;
    ASSERT_EQ(::read(m_master, &received, 1), 1);
    EXPECT_EQ(received, 0x5A);

    const std::uint8_t sent = 0xC3;
    ASSERT_EQ(::write(m_master, &sent, 1), 1);
    EXPECT_EQ(port.ReadByte(1000), std::optional<std::uint8_t>(0xC3));
    EXPECT_EQ(port.ReadByte(5), std::nullopt);
}

TEST_F(PseudoTerminal, SettingsAreAppliedAndReadBack) {
    // A pseudo-terminal keeps no parity (it has no wire), so only the rest is checked here.
    PosixSerialPort port;
    ASSERT_TRUE(port.Open(m_path));
    LineSettings odd;
    odd.parity = Parity::Odd;
    ASSERT_TRUE(port.ApplySettings(odd));
    LineSettings read;
    read.flowControl = true;
    ASSERT_TRUE(port.ReadSettings(read));
    EXPECT_EQ(read.dataBits, 8);
    EXPECT_FALSE(read.flowControl);
}

TEST_F(PseudoTerminal, ThePortIsOpenedExclusively) {
    PosixSerialPort first;
    PosixSerialPort second;
    ASSERT_TRUE(first.Open(m_path));
    EXPECT_FALSE(second.Open(m_path));
    EXPECT_TRUE(first.Close());
    EXPECT_TRUE(second.Open(m_path));
}

TEST_F(PseudoTerminal, TheSerialReaderReportsItsPortErrors) {
    SystemClock clock;
    SerialCardReader missing(std::make_unique<PosixSerialPort>(), clock);
    EXPECT_EQ(missing.Open("/dev/quillet-no-such-port", 0), result::kPortNotSet);

    // A regular file is not a serial port.
    SerialCardReader notATty(std::make_unique<PosixSerialPort>(), clock);
    EXPECT_EQ(notATty.Open("/dev/null", 0), result::kPortNotSet);

    // A pseudo-terminal has no modem lines to drop.
    SerialCardReader pty(std::make_unique<PosixSerialPort>(), clock);
    EXPECT_EQ(pty.Open(m_path, 0), result::kPortError);
    EXPECT_TRUE(pty.IsPortOpen());
    EXPECT_EQ(pty.Close(), result::kPortError);
    EXPECT_FALSE(pty.IsPortOpen());
}

}  // namespace
}  // namespace quillet::reader
