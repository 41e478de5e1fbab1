#include "reader/SmartApiReader.h"

#include <algorithm>
#include <memory>

#include "reader/Clock.h"

namespace quillet::reader {

namespace {

// The library's status record: bytes waiting to be read, bytes still to be sent.
struct SmartStatus {
    std::uint16_t waiting;
    std::uint16_t toSend;
};

using SmartOpenFn = int (*)(int, int, int);
using SmartCloseFn = int (*)(int);
using SmartInpFn = int (*)(int, int);
using SmartOutpFn = int (*)(int, int, int);
using SmartReadFn = int (*)(int, std::uint8_t*, int);
using SmartWriteFn = int (*)(int, const std::uint8_t*, int);
using GetSmartErrorFn = int (*)(int, SmartStatus*);
using SmartCwtFn = int (*)(int, int);

constexpr std::uint32_t kReadyTimeoutMs = 1000;
constexpr std::uint32_t kFirstAtrByteMs = 2000;
constexpr std::uint32_t kNextAtrByteMs = 400;
constexpr std::uint32_t kWriteDrainMs = 500;
constexpr int kDataPort = 0;
constexpr int kLinePort = 1;
constexpr int kControlPort = 2;
constexpr int kByteReady = 0x02;
constexpr int kCommandDone = 0x04;
constexpr int kCardPresent = 0x10;

}  // namespace

struct SmartApiReader::EntryPoints {
    SmartOpenFn open;
    SmartCloseFn close;
    SmartInpFn inp;
    SmartOutpFn outp;
    SmartReadFn read;
    SmartWriteFn write;
    GetSmartErrorFn error;
};

SmartApiReader::SmartApiReader(const std::string& libraryPath) {
    if (!m_library.Load(libraryPath.empty() ? std::string("libsmartapi.so") : libraryPath)) return;
    // All nine must be there, even the two this program never calls.
    const char* names[] = {"SmartOpen",  "SmartClose",    "SmartInp",    "SmartOutp",  "SmartRead",
                           "SmartWrite", "GetSmartError", "SetSmartCWT", "GetSmartCWT"};
    void* found[9] = {};
    for (int index = 0; index < 9; ++index) {
        found[index] = m_library.Find(names[index]);
        if (found[index] == nullptr) {
            m_library.Unload();
            return;
        }
    }
    auto entries = std::make_unique<EntryPoints>(
        EntryPoints{reinterpret_cast<SmartOpenFn>(found[0]), reinterpret_cast<SmartCloseFn>(found[1]),
                    reinterpret_cast<SmartInpFn>(found[2]), reinterpret_cast<SmartOutpFn>(found[3]),
                    reinterpret_cast<SmartReadFn>(found[4]), reinterpret_cast<SmartWriteFn>(found[5]),
                    reinterpret_cast<GetSmartErrorFn>(found[6])});
    m_entries = std::move(entries);
}

SmartApiReader::~SmartApiReader() { Close(); }

bool SmartApiReader::Outp(int port, int value) { return m_entries->outp(m_device, port, value) >= 0; }

bool SmartApiReader::WaitReady() {
    const std::uint32_t start = m_clock.NowMs();
    for (;;) {
        const int value = m_entries->inp(m_device, kControlPort);
        if (value < 0) return false;
        if (value & kCommandDone) return true;
        if (HasTimedOut(m_clock, start, kReadyTimeoutMs)) return false;
        m_clock.SleepMs(1);
    }
}

bool SmartApiReader::QueueState(std::uint32_t& waiting, std::uint32_t& toSend) {
    SmartStatus status{};
    if (m_entries->error(m_device, &status) < 0) return false;
    waiting = status.waiting;
    toSend = status.toSend;
    return true;
}

bool SmartApiReader::WaitUntilSent(std::uint32_t limitMs) {
    const std::uint32_t start = m_clock.NowMs();
    for (;;) {
        std::uint32_t waiting = 0;
        std::uint32_t toSend = 0;
        if (!QueueState(waiting, toSend)) return false;
        if (toSend == 0) return true;
        if (HasTimedOut(m_clock, start, limitMs)) return false;
        m_clock.SleepMs(1);
    }
}

ReaderResult SmartApiReader::Open(const std::string& /*name*/, std::uint32_t /*option*/) {
    if (m_entries == nullptr) return result::kReaderLibraryError;
    if (m_device >= 0) {
        m_entries->close(m_device);
        m_device = -1;
    }
    m_device = m_entries->open(1, 256, 256);
    if (m_device < 0) {
        m_device = -1;
        return result::kSmartcardInitError;
    }
    m_portOpen = true;
    const ReaderResult code = Disconnect();
    if (code != result::kOk) return code;
    return Connect();
}

ReaderResult SmartApiReader::Close() {
    ReaderResult kept = result::kOk;
    if (m_entries != nullptr && m_device >= 0) {
        kept = Disconnect();
        m_entries->close(m_device);
        m_device = -1;
    }
    m_readerConnected = false;
    m_portOpen = false;
    return kept;
}

ReaderResult SmartApiReader::Connect() {
    m_pendingCount = 0;
    m_readerConnected = false;
    if (m_entries == nullptr || m_device < 0) return result::kPortNotSet;
    if (Outp(kControlPort, 0x80) && WaitReady() && Outp(3, 0x00) && WaitReady() && Outp(4, 0x00) && WaitReady()) {
        m_readerConnected = true;
        return result::kOk;
    }
    Outp(kControlPort, 0x80);
    return result::kNonSpecific;
}

ReaderResult SmartApiReader::Disconnect() {
    m_readerConnected = false;
    if (m_entries == nullptr || m_device < 0) return result::kPortNotSet;
    if (Outp(kControlPort, 0x80) && WaitReady()) return result::kOk;
    Outp(kControlPort, 0x80);
    return result::kNonSpecific;
}

ReaderResult SmartApiReader::SetLineParity(std::uint8_t parity) {
    if (m_entries == nullptr || m_device < 0) return result::kReaderNotConnected;
    const bool first = Outp(kLinePort, 0x40);
    const bool second = Outp(kLinePort, parity == 1 ? 0xDE : parity == 2 ? 0xFE : 0xCE);
    Outp(kLinePort, 0x15);
    return first && second ? result::kOk : result::kPortError;
}

ReaderResult SmartApiReader::GetReaderStatus(std::uint16_t& status) {
    if (m_entries == nullptr || m_device < 0) return result::kPortNotSet;
    const int value = m_entries->inp(m_device, kControlPort);
    if (value < 0) return result::kNonSpecific;
    // The present bit moved to where the serial reader reports a card.
    status = static_cast<std::uint16_t>((value & kCardPresent) * 4);
    m_cardInserted = (status & 0x40) != 0;
    return result::kOk;
}

ReaderResult SmartApiReader::PowerCardAndReadAtr() {
    if (!Outp(kControlPort, 0x0B)) return result::kNonSpecific;
    m_pendingCount = 0;
    std::uint32_t last = m_clock.NowMs();
    std::size_t expected = 1;  // the header, then as many as it announces
    for (std::size_t index = 0; index < expected; ++index) {
        const std::uint32_t limit = index == 0 ? kFirstAtrByteMs : kNextAtrByteMs;
        for (;;) {
            const int line = m_entries->inp(m_device, kLinePort);
            if (line >= 0 && (line & kByteReady)) break;
            if (line < 0 || HasTimedOut(m_clock, last, limit)) {
                Reconnect();
                Disconnect();
                return result::kDataBlockError;
            }
            m_clock.SleepMs(1);
        }
        if (index == 0 && !Outp(kControlPort, 0x03)) return result::kNonSpecific;
        const int byte = m_entries->inp(m_device, kDataPort);
        if (byte < 0) return result::kNonSpecific;
        last = m_clock.NowMs();
        if (index == 0) {
            expected = 1 + (static_cast<std::size_t>(byte) & 0x3F);
        } else if (index >= 2 && m_pendingCount < m_pending.size()) {
            m_pending[m_pendingCount++] = static_cast<std::uint8_t>(byte);  // the second byte is not the ATR's
        }
    }
    Delay(30);
    return Outp(3, 0x03) && Outp(4, 0x80) ? result::kOk : result::kNonSpecific;
}

ReaderResult SmartApiReader::SetCardPower(std::uint8_t mode) {
    if (m_entries == nullptr || m_device < 0) return result::kPortNotSet;
    if (mode == 0) {
        const ReaderResult code = Reconnect();
        if (code != result::kOk) Connect();
        return code;
    }
    if (mode == 2) {
        const ReaderResult code = Reconnect();
        if (code != result::kOk) {
            Disconnect();
            return code;
        }
    }
    if (mode == 1 || mode == 2) {
        const ReaderResult code = PowerCardAndReadAtr();
        if (code != result::kOk) Disconnect();
        return code;
    }
    return result::kOk;
}

ReaderResult SmartApiReader::Transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                                      std::uint8_t p3, std::span<std::uint8_t> data, Direction direction,
                                      std::uint16_t& sw) {
    m_bytesAccepted = 0;
    const ReaderResult first = CardReader::Transmit(cla, ins, p1, p2, p3, data, direction, sw);
    // Once a byte of the command is out, the card may have carried it out: a second VERIFY would
    // cost a second attempt, and a second header would be taken for the first one's data.
    if (first != result::kCommandError || m_bytesAccepted != 0) return first;
    FlushInput();
    return CardReader::Transmit(cla, ins, p1, p2, p3, data, direction, sw);
}

void SmartApiReader::WriteByte(std::uint8_t byte) {
    if (m_entries == nullptr || m_device < 0) return;
    WaitUntilSent(kWriteDrainMs);
    m_entries->write(m_device, &byte, 1);
}

bool SmartApiReader::WriteByteChecked(std::uint8_t byte) {
    WriteByte(byte);
    return ReadByteTimed() == byte;
}

bool SmartApiReader::ByteAvailable() {
    if (m_entries == nullptr || m_device < 0) return false;
    if (m_pendingCount > 0) return true;
    std::uint32_t waiting = 0;
    std::uint32_t toSend = 0;
    return QueueState(waiting, toSend) && waiting != 0;
}

std::uint8_t SmartApiReader::ReadByte() {
    if (m_pendingCount > 0) {
        const std::uint8_t byte = m_pending[0];
        std::copy(m_pending.begin() + 1, m_pending.begin() + m_pendingCount, m_pending.begin());
        --m_pendingCount;
        return byte;
    }
    std::uint8_t byte = 0;
    if (m_entries != nullptr && m_device >= 0) m_entries->read(m_device, &byte, 1);
    return byte;
}

int SmartApiReader::ReadByteTimed() {
    const std::uint32_t start = m_clock.NowMs();
    while (!ByteAvailable()) {
        if (HasTimedOut(m_clock, start, m_byteTimeoutMs)) return -1;
        m_clock.SleepMs(1);
    }
    return ReadByte();
}

std::uint16_t SmartApiReader::Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t /*mode*/,
                                       std::uint8_t retries) {
    if (m_entries == nullptr || m_device < 0) return 0;
    const std::size_t capacity = std::min<std::size_t>(buffer.size(), 0xFFFF);
    const std::size_t toSend = std::min<std::size_t>(count, capacity);
    WaitUntilSent(static_cast<std::uint32_t>(retries) * 10);
    if (toSend > 0) {
        const int written = m_entries->write(m_device, buffer.data(), static_cast<int>(toSend));
        if (written > 0) m_bytesAccepted += static_cast<std::size_t>(written);
        if (written < static_cast<int>(toSend)) return 0;
    }
    // The sent bytes stay in front: the T=0 procedure takes them as the echo.
    if (capacity <= toSend) return static_cast<std::uint16_t>(toSend);
    std::size_t stored = toSend;
    const std::size_t fromPending = std::min<std::size_t>(capacity - stored, m_pendingCount);
    for (std::size_t index = 0; index < fromPending; ++index) buffer[stored++] = ReadByte();
    const std::size_t needed = capacity - stored;
    if (needed > 0) {
        const std::uint32_t start = m_clock.NowMs();
        std::uint32_t waiting = 0;
        std::uint32_t sending = 0;
        while (QueueState(waiting, sending) && waiting < needed &&
               !HasTimedOut(m_clock, start, static_cast<std::uint32_t>(retries) * 20)) {
            m_clock.SleepMs(1);
        }
        const std::size_t take = std::min<std::size_t>(needed, waiting);
        if (take > 0) {
            const int read = m_entries->read(m_device, buffer.data() + stored, static_cast<int>(take));
            if (read > 0) stored += std::min<std::size_t>(static_cast<std::size_t>(read), take);
        }
    }
    return static_cast<std::uint16_t>(stored);
}

}  // namespace quillet::reader
