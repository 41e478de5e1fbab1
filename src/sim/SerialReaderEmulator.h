#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "reader/SerialPort.h"
#include "reader/VirtualClock.h"
#include "sim/T0LineAdapter.h"

namespace quillet::sim {

// How the emulated reader and the card in it behave, faults included.
struct SerialReaderSetup {
    std::string identification = "RDX10";  // "RDX10" or "RDX20"; the check byte is added
    bool identifies = true;                // false: the reader never announces itself
    std::vector<std::uint8_t> noiseBeforeIdentification;
    bool statusWithA5 = false;                               // status answers start with an extra 0xA5
    std::uint8_t extraStatusBits = 0;                        // status bits besides 0x40 (the host must ignore them)
    int statusCheckError = 0;                                // added to the status check byte
    bool cardInserted = true;                                // status bit 0x40
    bool inverseConvention = false;                          // the card speaks the inverse convention
    std::optional<std::array<std::uint8_t, 32>> memoryCard;  // a telephone chip card instead of a SIM
    int memoryChecksumError = 0;                             // added to the memory block's check byte
    bool failOpen = false;
    bool failSettings = false;
    bool failModemLines = false;
    bool dropEchoes = false;                           // the line sends nothing back
    std::optional<std::size_t> garbleEchoOfByte;       // index of the host byte whose echo arrives changed
    std::optional<std::size_t> dropAnswerByte;         // index of the reader's or card's byte that is lost
    std::optional<std::size_t> pullCardAfterCommands;  // the card is pulled out after this many commands
    std::uint64_t cardDelayMicros = 0;                 // a slow card: extra time before each answer
    std::uint64_t atrDelayMicros = 5'000;              // from power-up to the first byte of the ATR
};

// The serial reader and its card on one echoing I/O line, as a serial port for SerialCardReader.
// Time is virtual: every character takes 1.25 ms on the line (9600 baud, 8 data bits, even
// parity, 2 stop bits), and waiting for input moves the clock to the moment a byte arrives.
class SerialReaderEmulator final : public reader::SerialPort {
public:
    static constexpr std::uint64_t kCharacterMicros = 1250;

    // `card` may be null (no SIM in the reader). Both must outlive the emulator.
    SerialReaderEmulator(reader::VirtualClock& clock, ApduCard* card, SerialReaderSetup setup = {});

    bool Open(const std::string& device) override;
    bool Close() override;
    bool IsOpen() const override { return m_open; }
    bool SetQueueSizes(std::uint32_t receiveBytes, std::uint32_t transmitBytes) override;
    bool Purge() override;
    bool SetTimeouts(const reader::PortTimeouts& timeouts) override;
    bool ReadSettings(reader::LineSettings& settings) override;
    bool ApplySettings(const reader::LineSettings& settings) override;
    bool SetDtr(bool raised) override;
    bool SetRts(bool raised) override;
    bool WriteByte(std::uint8_t byte) override;
    std::optional<std::uint8_t> ReadByte(std::uint32_t waitMs) override;

    SerialReaderSetup& Setup() { return m_setup; }
    // Puts another card into the reader (or none); it is unpowered until the host powers it.
    void InsertCard(ApduCard* card);
    // The user pulls the card out, even while it works on a command: what it has not yet sent
    // never comes, and the reader sees no card until one is inserted.
    void PullCard();
    ApduCard* Card() const { return m_card; }
    // The card's behaviour on the line; only for an emulator made with a card.
    T0Behaviour& CardBehaviour() { return m_t0->Behaviour(); }
    const std::string& OpenedDevice() const { return m_device; }
    const reader::LineSettings& Settings() const { return m_settings; }
    bool Dtr() const { return m_dtr; }
    bool Rts() const { return m_rts; }
    bool CardPowered() const { return m_mode == Mode::Card; }
    // Reader command codes received after 0x02, in order.
    const std::vector<std::uint8_t>& ReaderCommandCodes() const { return m_commandCodes; }
    // Bytes the card received with the wrong parity for its convention (and therefore ignored).
    int ParityErrors() const { return m_parityErrors; }
    // Time the line has spent carrying characters, in microseconds.
    std::uint64_t WireMicros() const { return m_wireMicros; }
    std::size_t HostBytesWritten() const { return m_hostBytes; }
    // Commands whose header the card in the reader has received.
    std::size_t CardCommandsReceived() const { return m_t0 ? m_t0->CommandsReceived() : 0; }
    // Bytes the reader and the card have sent (echoes not counted).
    std::size_t AnswerBytesSent() const { return m_answerBytes; }

private:
    // Off: the reader is held in reset. Commands: it takes reader commands. Card: the line is
    // connected to a powered card. CardGone: the powered card was pulled out.
    enum class Mode { Off, Commands, Card, CardGone };

    struct TimedByte {
        std::uint8_t value;
        std::uint64_t arrivalMicros;
    };

    // Puts one character on the line no earlier than `readyMicros`; returns when it has arrived.
    std::uint64_t Transmit(std::uint8_t byte, std::uint64_t readyMicros);
    void HandleReaderCommand(std::uint8_t byte, std::uint64_t atMicros);
    void HandleCardByte(std::uint8_t byte, std::uint64_t atMicros);
    void PowerCard(std::uint64_t atMicros);
    void DropPendingInput();
    std::uint8_t StatusByte() const;

    reader::VirtualClock& m_clock;
    ApduCard* m_card;
    SerialReaderSetup m_setup;
    std::optional<T0LineAdapter> m_t0;
    reader::LineSettings m_settings;
    std::string m_device;
    bool m_open = false;
    bool m_dtr = false;
    bool m_rts = false;
    Mode m_mode = Mode::Off;
    bool m_awaitingCommandCode = false;
    std::deque<TimedByte> m_toHost;
    std::uint64_t m_lineFreeMicros = 0;
    std::uint64_t m_wireMicros = 0;
    std::size_t m_hostBytes = 0;
    std::size_t m_answerBytes = 0;
    std::vector<std::uint8_t> m_commandCodes;
    int m_parityErrors = 0;
};

}  // namespace quillet::sim
