#include "reader/CardReader.h"

#include <algorithm>

#include "reader/BitOrder.h"

namespace quillet::reader {

namespace {

// Never discard more than the serial port's receive queue holds: beyond that the input is a card
// or reader that does not stop sending, and the next step will report it.
constexpr int kMaxDiscardedBytes = 1024;
constexpr std::uint32_t kPollPauseMs = 10;
constexpr std::size_t kFirstEarlyCollectedByte = 9;

constexpr std::uint8_t kReaderStatusCommand = 0x01;
constexpr std::uint8_t kReaderCommandPrefix = 0x02;
constexpr std::uint8_t kStartCardCommand = 0x07;
constexpr std::uint8_t kStatusPrefix = 0xA5;
constexpr std::uint8_t kCardInsertedBit = 0x40;

bool ChecksumMatches(int status, int check) { return ((status + check) & 0xFF) == 0; }

}  // namespace

CardReader::CardReader() { m_cachedIccid.fill(0xFF); }

CardReader::~CardReader() = default;

std::uint8_t CardReader::ConvertByte(std::uint8_t byte) {
    if (m_atrParams.inverseConvention == 0) {
        return byte;
    }
    return ReverseBits(static_cast<std::uint8_t>(~byte));
}

std::uint16_t CardReader::Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                                   std::uint8_t retries) {
    const std::size_t capacity = std::min<std::size_t>(buffer.size(), 0xFFFF);
    const std::size_t toSend = std::min<std::size_t>(count, capacity);
    std::size_t stored = 0;

    // Received bytes overwrite the buffer from the front; collecting starts only after the tenth
    // byte is sent, so a stored byte never overwrites one still to be sent.
    for (std::size_t index = 0; index < toSend; ++index) {
        WriteByte(buffer[index]);
        if (index >= kFirstEarlyCollectedByte && mode != kSendOnly && stored < capacity && ByteAvailable()) {
            buffer[stored++] = ReadByte();
        }
    }
    if (mode != kSendOnly) {
        while (stored < capacity) {
            if (ByteAvailable()) {
                buffer[stored++] = ReadByte();
            } else if (mode == kTakeAvailable || retries == 0) {
                break;
            } else {
                --retries;
                WaitForInput(kPollPauseMs);
            }
        }
    }
    if (mode == kWaitThenFlush) {
        DiscardInput();
    }
    return static_cast<std::uint16_t>(stored);
}

std::uint16_t CardReader::ConvertedExchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                                            std::uint8_t retries) {
    const std::size_t toSend = std::min<std::size_t>(count, buffer.size());
    for (std::size_t index = 0; index < toSend; ++index) {
        buffer[index] = ConvertByte(buffer[index]);
    }
    const std::uint16_t received = Exchange(buffer, count, mode, retries);
    for (std::size_t index = 0; index < received; ++index) {
        buffer[index] = ConvertByte(buffer[index]);
    }
    return received;
}

int CardReader::ReceiveConvertedByte(std::uint8_t retries) {
    std::array<std::uint8_t, 1> byte{};
    if (ConvertedExchange(byte, 0, kWaitForBytes, retries) != 1) {
        return -1;
    }
    return byte[0];
}

void CardReader::DiscardInput() {
    for (int discarded = 0; discarded < kMaxDiscardedBytes && ByteAvailable(); ++discarded) {
        ReadByte();
    }
}

ReaderResult CardReader::GetReaderStatus(std::uint16_t& status) {
    FlushInput();
    WriteByte(kReaderStatusCommand);
    int echo = ReadByteTimed();
    if (echo == kStatusPrefix) {
        echo = ReadByteTimed();
    }
    if (echo != kReaderStatusCommand) {
        return result::kGeneralReaderError;
    }
    const int readerStatus = ReadByteTimed();
    const int check = ReadByteTimed();
    if (readerStatus < 0 || check < 0 || !ChecksumMatches(readerStatus, check)) {
        return result::kGeneralReaderError;
    }
    Delay(1);
    status = static_cast<std::uint16_t>(readerStatus);
    m_cardInserted = (readerStatus & kCardInsertedBit) != 0;
    return result::kOk;
}

ReaderResult CardReader::SendReaderCommand(std::uint8_t code) {
    FlushInput();
    if (!WriteByteChecked(kReaderCommandPrefix) || !WriteByteChecked(code)) {
        return result::kInvalidReaderId;
    }
    Delay(1);
    return result::kOk;
}

ReaderResult CardReader::StartCard() {
    if (!WriteByteChecked(kStartCardCommand)) {
        return result::kInvalidReaderId;
    }
    const int readerStatus = ReadByteTimed();
    const int check = ReadByteTimed();
    if (readerStatus < 0 || check < 0 || !ChecksumMatches(readerStatus, check)) {
        return result::kInvalidReaderId;
    }
    m_cardInserted = (readerStatus & kCardInsertedBit) != 0;
    return SetLineParity(2);
}

ReaderResult CardReader::SetCardPower(std::uint8_t mode) {
    FlushInput();
    ReaderResult code = result::kOk;
    switch (mode) {
        case 0:
            code = Reconnect();
            if (code != result::kOk) {
                code = Connect();
            }
            break;
        case 1:
            code = StartCard();
            if (code != result::kOk) {
                // Bring the reader back, but report that the card was not powered.
                Connect();
            }
            break;
        case 2:
            code = Reconnect();
            if (code == result::kOk) {
                code = StartCard();
                if (code != result::kOk) {
                    Connect();
                }
            }
            break;
        default:
            break;
    }
    Delay(1);
    return code;
}

ReaderResult CardReader::PowerOff() {
    m_cardPowered = false;
    m_cardActive = false;
    return SetCardPower(0);
}

ReaderResult CardReader::ResetCard(ByteBuffer* atr) {
    if (!m_cardPowered) {
        return result::kCardNotActive;
    }
    const ReaderResult code = PowerOff();
    if (code != result::kOk) {
        return code;
    }
    return PowerOn(atr);
}

}  // namespace quillet::reader
