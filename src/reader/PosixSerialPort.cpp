#include "reader/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace quillet::reader {

namespace {

speed_t SpeedOf(std::uint32_t baudRate) {
    switch (baudRate) {
        case 4800:
            return B4800;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        default:
            return B9600;
    }
}

}  // namespace

PosixSerialPort::~PosixSerialPort() { Close(); }

bool PosixSerialPort::Open(const std::string& device) {
    Close();
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Exclusive use: TIOCEXCL keeps other users out, the lock keeps out other processes of ours
    // (TIOCEXCL does not stop root).
    if (!::isatty(fd) || ::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool PosixSerialPort::Close() {
    if (m_fd < 0) {
        return true;
    }
    ::ioctl(m_fd, TIOCNXCL);
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    return closed;
}

// The kernel sizes its own tty queues; nothing to set.
bool PosixSerialPort::SetQueueSizes(std::uint32_t, std::uint32_t) { return m_fd >= 0; }

bool PosixSerialPort::Purge() { return m_fd >= 0 && ::tcflush(m_fd, TCIOFLUSH) == 0; }

// Reads wait with poll() for the time each caller gives; writes go to the kernel queue at once.
bool PosixSerialPort::SetTimeouts(const PortTimeouts&) { return m_fd >= 0; }

bool PosixSerialPort::ReadSettings(LineSettings& settings) {
    termios tio{};
    if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0) {
        return false;
    }
    settings.dataBits = (tio.c_cflag & CSIZE) == CS7 ? 7 : 8;
    settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    if ((tio.c_cflag & PARENB) == 0) {
        settings.parity = Parity::None;
    } else {
        settings.parity = (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    }
    settings.parityChecking = (tio.c_iflag & INPCK) != 0;
    settings.flowControl = (tio.c_cflag & CRTSCTS) != 0 || (tio.c_iflag & (IXON | IXOFF)) != 0;
    return true;
}

bool PosixSerialPort::ApplySettings(const LineSettings& settings) {
    termios tio{};
    if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0) {
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | (settings.dataBits == 7 ? CS7 : CS8);
    if (settings.stopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    if (settings.parity != Parity::None) {
        tio.c_cflag |= PARENB;
        if (settings.parity == Parity::Odd) {
            tio.c_cflag |= PARODD;
        }
    }
    tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    if (settings.parityChecking) {
        tio.c_iflag |= INPCK;
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(settings.baudRate);
    return ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0 && ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
}

bool PosixSerialPort::SetModemLine(int line, bool raised) {
    return m_fd >= 0 && ::ioctl(m_fd, raised ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool PosixSerialPort::SetDtr(bool raised) { return SetModemLine(TIOCM_DTR, raised); }

bool PosixSerialPort::SetRts(bool raised) { return SetModemLine(TIOCM_RTS, raised); }

bool PosixSerialPort::WriteByte(std::uint8_t byte) {
    if (m_fd < 0) {
        return false;
    }
    for (;;) {
        const ssize_t written = ::write(m_fd, &byte, 1);
        if (written == 1) {
            return true;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno == EAGAIN) {
            // The transmit queue is full: wait until it drains.
            pollfd pfd{m_fd, POLLOUT, 0};
            if (::poll(&pfd, 1, 1000) > 0) {
                continue;
            }
        }
        return false;
    }
}

std::optional<std::uint8_t> PosixSerialPort::ReadByte(std::uint32_t waitMs) {
    if (m_fd < 0) {
        return std::nullopt;
    }
    std::uint8_t byte = 0;
    const ssize_t got = ::read(m_fd, &byte, 1);
    if (got == 1) {
        return byte;
    }
    pollfd pfd{m_fd, POLLIN, 0};
    const int timeout = waitMs > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(waitMs);
    const auto start = std::chrono::steady_clock::now();
    if (::poll(&pfd, 1, timeout) > 0 && (pfd.revents & POLLIN) != 0 && ::read(m_fd, &byte, 1) == 1) {
        return byte;
    }
    // A port in error (an unplugged adapter) answers poll() at once; wait out the time anyway,
    // so the callers' timeouts keep their length instead of spinning.
    const auto waited = std::chrono::steady_clock::now() - start;
    const auto wanted = std::chrono::milliseconds(waitMs);
    if (waited < wanted) {
        std::this_thread::sleep_for(wanted - waited);
    }
    return std::nullopt;
}

}  // namespace quillet::reader
