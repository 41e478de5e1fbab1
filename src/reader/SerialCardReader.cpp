#include "reader/SerialCardReader.h"

#include <array>
#include <charconv>

namespace quillet::reader {

namespace {

constexpr std::uint32_t kReceiveQueueBytes = 1024;
// One byte read within the port timeouts: total constant plus the multiplier for one byte.
constexpr std::uint32_t kSingleReadWaitMs = 5 + 2;
// ByteAvailable sleeps this long after a read that found nothing; here the port keeps watching
// during that time, so a byte arriving then ends the wait at once.
constexpr std::uint32_t kNothingReadPauseMs = 3;
constexpr std::uint8_t kResetCommandCode = 0x1A;

// After a reset the reader announces itself with one of these, the sixth byte making the sum 0.
constexpr std::array<std::uint8_t, 6> kIdentificationRdx10 = {'R', 'D', 'X', '1', '0', 0xB1};
constexpr std::array<std::uint8_t, 6> kIdentificationRdx20 = {'R', 'D', 'X', '2', '0', 0xB0};

}  // namespace

std::string DefaultPortPath(const std::string& name) {
    unsigned number = 0;
    if (name.size() > 3 && name.compare(0, 3, "COM") == 0) {
        const char* first = name.data() + 3;
        const char* last = name.data() + name.size();
        const auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc() && end == last && number >= 1) {
            return "/dev/ttyS" + std::to_string(number - 1);
        }
    }
    return name;
}

SerialCardReader::SerialCardReader(std::unique_ptr<SerialPort> port, Clock& clock, PortPathResolver resolvePath)
    : m_port(std::move(port)), m_clock(clock), m_resolvePath(std::move(resolvePath)) {}

SerialCardReader::~SerialCardReader() {
    if (m_portOpen) {
        m_port->SetDtr(false);
        m_port->SetRts(false);
        m_port->Close();
    }
}

ReaderResult SerialCardReader::Open(const std::string& name, std::uint32_t /*option*/) {
    if (m_portOpen) {
        m_port->Close();
        m_portOpen = false;
    }
    m_lookAhead = -1;
    if (!m_port->Open(m_resolvePath(name))) {
        return result::kPortNotSet;
    }
    m_portOpen = true;
    if (!m_port->SetQueueSizes(kReceiveQueueBytes, 0) || !m_port->Purge() || !m_port->SetTimeouts(PortTimeouts{})) {
        return result::kPortError;
    }
    const ReaderResult code = Disconnect();
    if (code != result::kOk) {
        return code;
    }
    return Connect();
}

ReaderResult SerialCardReader::Close() {
    ReaderResult kept = result::kOk;
    bool closeFailed = false;
    if (m_portOpen) {
        kept = Disconnect();
        closeFailed = !m_port->Close();
    }
    m_readerConnected = false;
    m_portOpen = false;
    m_lookAhead = -1;
    if (closeFailed) {
        return result::kNonSpecific;
    }
    return kept;
}

ReaderResult SerialCardReader::SetLineParity(std::uint8_t parity) {
    if (!m_portOpen) {
        return result::kPortNotSet;
    }
    LineSettings settings;
    if (!m_port->ReadSettings(settings)) {
        return result::kPortError;
    }
    settings = LineSettings{};
    settings.parity = static_cast<Parity>(parity > 2 ? 0 : parity);
    return m_port->ApplySettings(settings) ? result::kOk : result::kPortError;
}

ReaderResult SerialCardReader::Reconnect() { return Connect(); }

ReaderResult SerialCardReader::Disconnect() {
    m_readerConnected = false;
    if (!m_portOpen) {
        return result::kPortNotSet;
    }
    const bool dtrDropped = m_port->SetDtr(false);
    const bool rtsDropped = m_port->SetRts(false);
    if (!dtrDropped || !rtsDropped) {
        return result::kPortError;
    }
    Delay(m_powerDownSettleMs);
    return result::kOk;
}

ReaderResult SerialCardReader::Connect() {
    m_readerConnected = false;
    if (!m_portOpen) {
        return result::kPortNotSet;
    }
    ReaderResult code = SetLineParity(2);
    if (code != result::kOk) {
        return code;
    }
    const bool dtrDropped = m_port->SetDtr(false);
    const bool rtsRaised = m_port->SetRts(true);
    if (!dtrDropped || !rtsRaised) {
        return result::kPortError;
    }
    Delay(m_resetLowMs);
    if (!m_port->SetDtr(true)) {
        return result::kPortError;
    }
    if (!WaitForIdentification()) {
        return result::kReaderNotConnected;
    }
    code = SendReaderCommand(kResetCommandCode);
    if (code == result::kOk) {
        m_readerConnected = true;
    }
    return code;
}

// Matches the incoming bytes against both identifications at once, with one shared position.
bool SerialCardReader::WaitForIdentification() {
    m_readStartMs = m_clock.NowMs();
    std::size_t position = 0;
    bool matches10 = true;
    bool matches20 = true;
    while (position < kIdentificationRdx10.size()) {
        if (HasTimedOut(m_clock, m_readStartMs, m_identificationTimeoutMs)) {
            return false;
        }
        if (!ByteAvailable()) {
            continue;
        }
        const std::uint8_t byte = ReadByte();
        matches10 = matches10 && byte == kIdentificationRdx10[position];
        matches20 = matches20 && byte == kIdentificationRdx20[position];
        if (!matches10 && !matches20) {
            // The byte that broke the match is not tried as the start of a new one.
            position = 0;
            matches10 = true;
            matches20 = true;
        } else {
            ++position;
        }
    }
    return true;
}

void SerialCardReader::Delay(std::uint32_t ms) {
    if (ms > 10) {
        const std::uint32_t slices = (ms - 1) / 10;
        for (std::uint32_t slice = 0; slice < slices; ++slice) {
            m_clock.SleepMs(10);
        }
        m_clock.SleepMs(ms - slices * 10);
    } else {
        m_clock.SleepMs(ms);
    }
}

void SerialCardReader::WriteByte(std::uint8_t byte) {
    if (m_portOpen) {
        m_port->WriteByte(byte);
    }
}

bool SerialCardReader::WriteByteChecked(std::uint8_t byte) {
    WriteByte(byte);
    return ReadByteTimed() == byte;
}

int SerialCardReader::ReadByteTimed() {
    m_readStartMs = m_clock.NowMs();
    while (!ByteAvailable()) {
        if (HasTimedOut(m_clock, m_readStartMs, m_byteTimeoutMs)) {
            return -1;
        }
    }
    return ReadByte();
}

void SerialCardReader::FlushInput() { DiscardInput(); }

std::uint8_t SerialCardReader::ReadByte() {
    if (!m_portOpen) {
        return 0;
    }
    if (m_lookAhead >= 0) {
        const auto byte = static_cast<std::uint8_t>(m_lookAhead);
        m_lookAhead = -1;
        return byte;
    }
    return m_port->ReadByte(kSingleReadWaitMs).value_or(0);
}

bool SerialCardReader::ByteAvailable() {
    if (!m_portOpen) {
        return false;
    }
    if (m_lookAhead >= 0) {
        return true;
    }
    const std::optional<std::uint8_t> byte = m_port->ReadByte(kSingleReadWaitMs + kNothingReadPauseMs);
    if (!byte) {
        return false;
    }
    m_lookAhead = *byte;
    return true;
}

void SerialCardReader::WaitForInput(std::uint32_t ms) {
    if (!m_portOpen || m_lookAhead >= 0) {
        return;
    }
    if (const std::optional<std::uint8_t> byte = m_port->ReadByte(ms)) {
        m_lookAhead = *byte;
    }
}

}  // namespace quillet::reader
