#include "sim/SerialReaderEmulator.h"

#include <algorithm>

namespace quillet::sim {

namespace {

constexpr std::uint8_t kStatusCommand = 0x01;
constexpr std::uint8_t kCommandPrefix = 0x02;
constexpr std::uint8_t kReadMemoryCommand = 0x05;
constexpr std::uint8_t kStartCardCommand = 0x07;
constexpr std::uint8_t kStatusPrefix = 0xA5;
constexpr std::uint8_t kCardInsertedBit = 0x40;
// The reader's firmware needs a moment after reset before it announces itself.
constexpr std::uint64_t kBootMicros = 20'000;

// Inverse convention on the line: every bit complemented and sent most significant first.
std::uint8_t InverseCoding(std::uint8_t byte) {
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (((byte >> bit) & 1) == 0) {
            out = static_cast<std::uint8_t>(out | (0x80 >> bit));
        }
    }
    return out;
}

}  // namespace

SerialReaderEmulator::SerialReaderEmulator(reader::VirtualClock& clock, ApduCard* card, SerialReaderSetup setup)
    : m_clock(clock), m_card(card), m_setup(std::move(setup)) {
    if (m_card != nullptr) {
        m_t0.emplace(*m_card);
    }
}

bool SerialReaderEmulator::Open(const std::string& device) {
    if (m_setup.failOpen || m_open) {
        return false;
    }
    m_open = true;
    m_device = device;
    return true;
}

bool SerialReaderEmulator::Close() {
    m_open = false;
    m_mode = Mode::Off;
    m_toHost.clear();
    return true;
}

bool SerialReaderEmulator::SetQueueSizes(std::uint32_t, std::uint32_t) { return m_open; }

bool SerialReaderEmulator::Purge() {
    const std::uint64_t now = m_clock.NowMicros();
    std::erase_if(m_toHost, [now](const TimedByte& byte) { return byte.arrivalMicros <= now; });
    return m_open;
}

bool SerialReaderEmulator::SetTimeouts(const reader::PortTimeouts&) { return m_open; }

bool SerialReaderEmulator::ReadSettings(reader::LineSettings& settings) {
    settings = m_settings;
    return m_open && !m_setup.failSettings;
}

bool SerialReaderEmulator::ApplySettings(const reader::LineSettings& settings) {
    if (!m_open || m_setup.failSettings) {
        return false;
    }
    m_settings = settings;
    return true;
}

bool SerialReaderEmulator::SetDtr(bool raised) {
    if (!m_open || m_setup.failModemLines) {
        return false;
    }
    const std::uint64_t now = m_clock.NowMicros();
    if (!raised && m_dtr) {
        // Reset: the reader and the card lose power; nothing more comes from them.
        m_mode = Mode::Off;
        m_awaitingCommandCode = false;
        DropPendingInput();
    } else if (raised && !m_dtr) {
        // The reader leaves reset; it is powered from RTS and stays silent without it.
        m_mode = m_rts ? Mode::Commands : Mode::Off;
        if (!m_rts) {
            m_dtr = raised;
            return true;
        }
        std::uint64_t ready = now + kBootMicros;
        for (std::uint8_t byte : m_setup.noiseBeforeIdentification) {
            ready = Transmit(byte, ready);
        }
        if (m_setup.identifies) {
            unsigned sum = 0;
            for (char character : m_setup.identification) {
                const auto byte = static_cast<std::uint8_t>(character);
                sum += byte;
                ready = Transmit(byte, ready);
            }
            Transmit(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)), ready);
        }
    }
    m_dtr = raised;
    return true;
}

bool SerialReaderEmulator::SetRts(bool raised) {
    if (!m_open || m_setup.failModemLines) {
        return false;
    }
    m_rts = raised;
    return true;
}

bool SerialReaderEmulator::WriteByte(std::uint8_t byte) {
    if (!m_open) {
        return false;
    }
    const std::uint64_t index = m_hostBytes++;
    // The host's character occupies the line; its echo arrives when it has been sent.
    const std::uint64_t start = std::max(m_clock.NowMicros(), m_lineFreeMicros);
    const std::uint64_t done = start + kCharacterMicros;
    m_lineFreeMicros = done;
    m_wireMicros += kCharacterMicros;

    if (m_mode == Mode::Commands && byte == kStatusCommand && !m_awaitingCommandCode && m_setup.statusWithA5) {
        m_toHost.push_back({kStatusPrefix, done});
    }
    if (!m_setup.dropEchoes) {
        const bool garbled = m_setup.garbleEchoOfByte && *m_setup.garbleEchoOfByte == index;
        m_toHost.push_back({static_cast<std::uint8_t>(garbled ? byte ^ 0x5A : byte), done});
    }

    if (m_mode == Mode::Commands) {
        HandleReaderCommand(byte, done);
    } else if (m_mode == Mode::Card) {
        HandleCardByte(byte, done);
    }
    return true;
}

std::optional<std::uint8_t> SerialReaderEmulator::ReadByte(std::uint32_t waitMs) {
    if (!m_open) {
        return std::nullopt;
    }
    const std::uint64_t deadline = m_clock.NowMicros() + static_cast<std::uint64_t>(waitMs) * 1000;
    if (m_toHost.empty() || m_toHost.front().arrivalMicros > deadline) {
        m_clock.AdvanceTo(deadline);
        return std::nullopt;
    }
    const TimedByte byte = m_toHost.front();
    m_toHost.pop_front();
    m_clock.AdvanceTo(byte.arrivalMicros);
    return byte.value;
}

std::uint64_t SerialReaderEmulator::Transmit(std::uint8_t byte, std::uint64_t readyMicros) {
    const std::uint64_t start = std::max(readyMicros, m_lineFreeMicros);
    const std::uint64_t done = start + kCharacterMicros;
    m_lineFreeMicros = done;
    m_wireMicros += kCharacterMicros;
    const bool lost = m_setup.dropAnswerByte && *m_setup.dropAnswerByte == m_answerBytes;
    ++m_answerBytes;
    if (!lost) {
        m_toHost.push_back({byte, done});
    }
    return done;
}

void SerialReaderEmulator::InsertCard(ApduCard* card) {
    m_card = card;
    m_t0.reset();
    if (m_card != nullptr) {
        m_t0.emplace(*m_card);
    }
    m_setup.cardInserted = m_card != nullptr;
    if (m_mode == Mode::Card) {
        m_mode = Mode::CardGone;
    }
}

void SerialReaderEmulator::PullCard() {
    m_setup.cardInserted = false;
    if (m_mode == Mode::Card) {
        m_mode = Mode::CardGone;
    }
}

std::uint8_t SerialReaderEmulator::StatusByte() const {
    return static_cast<std::uint8_t>((m_setup.cardInserted ? kCardInsertedBit : 0) | m_setup.extraStatusBits);
}

void SerialReaderEmulator::HandleReaderCommand(std::uint8_t byte, std::uint64_t atMicros) {
    if (m_awaitingCommandCode) {
        m_awaitingCommandCode = false;
        m_commandCodes.push_back(byte);
        return;
    }
    switch (byte) {
        case kStatusCommand: {
            const std::uint8_t status = StatusByte();
            const std::uint64_t done = Transmit(status, atMicros);
            Transmit(static_cast<std::uint8_t>(0x100 - status + m_setup.statusCheckError), done);
            break;
        }
        case kCommandPrefix:
            m_awaitingCommandCode = true;
            break;
        case kReadMemoryCommand:
            if (m_setup.cardInserted && m_setup.memoryCard) {
                unsigned sum = 0;
                std::uint64_t done = atMicros;
                for (std::uint8_t value : *m_setup.memoryCard) {
                    // The chip's bits come least significant first.
                    std::uint8_t wire = 0;
                    for (int bit = 0; bit < 8; ++bit) {
                        wire = static_cast<std::uint8_t>(wire | (((value >> bit) & 1) << (7 - bit)));
                    }
                    sum += wire;
                    done = Transmit(wire, done);
                }
                Transmit(static_cast<std::uint8_t>(0x100 - (sum & 0xFF) + m_setup.memoryChecksumError), done);
            }
            break;
        case kStartCardCommand: {
            const std::uint8_t status = StatusByte();
            std::uint64_t done = Transmit(status, atMicros);
            done = Transmit(static_cast<std::uint8_t>(0x100 - status), done);
            if (m_setup.cardInserted && m_t0) {
                PowerCard(done + m_setup.atrDelayMicros);
            }
            break;
        }
        default:
            break;
    }
}

void SerialReaderEmulator::PowerCard(std::uint64_t atMicros) {
    m_mode = Mode::Card;
    std::uint64_t ready = atMicros;
    for (std::uint8_t byte : m_t0->Reset()) {
        ready = Transmit(m_setup.inverseConvention ? InverseCoding(byte) : byte, ready);
    }
}

void SerialReaderEmulator::HandleCardByte(std::uint8_t byte, std::uint64_t atMicros) {
    const reader::Parity expected = m_setup.inverseConvention ? reader::Parity::Odd : reader::Parity::Even;
    if (m_settings.parity != expected) {
        ++m_parityErrors;
        return;
    }
    const std::uint8_t logical = m_setup.inverseConvention ? InverseCoding(byte) : byte;
    std::uint64_t ready = atMicros + m_setup.cardDelayMicros;
    const std::vector<std::uint8_t> answers = m_t0->Receive(logical);
    if (m_mode != Mode::Card) {
        return;  // pulled out while it worked on the command
    }
    for (std::uint8_t answer : answers) {
        ready = Transmit(m_setup.inverseConvention ? InverseCoding(answer) : answer, ready);
    }
    if (m_setup.pullCardAfterCommands && m_t0->AtCommandStart() &&
        m_t0->CommandsReceived() >= *m_setup.pullCardAfterCommands) {
        // Pulled right after its answer: what it sent still arrives, nothing more comes.
        m_setup.cardInserted = false;
        m_mode = Mode::CardGone;
    }
}

void SerialReaderEmulator::DropPendingInput() {
    const std::uint64_t now = m_clock.NowMicros();
    std::erase_if(m_toHost, [now](const TimedByte& byte) { return byte.arrivalMicros > now; });
    m_lineFreeMicros = std::min(m_lineFreeMicros, now);
}

}  // namespace quillet::sim
