#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "reader/AtrParams.h"
#include "reader/ByteBuffer.h"
#include "reader/ReaderResult.h"
#include "reader/ReaderTrace.h"

namespace quillet::reader {

// Which way the data of a T=0 command flows.
enum class Direction : std::uint8_t { FromCard = 0, ToCard = 1 };

// Receive modes of Exchange.
enum ExchangeMode : std::uint8_t {
    kSendOnly = 0,       // send, receive nothing
    kTakeAvailable = 1,  // take what has already arrived
    kWaitForBytes = 2,   // wait for the bytes, up to `retries` pauses of 10 ms
    kWaitThenFlush = 3,  // wait like kWaitForBytes, then discard whatever else arrives
};

// The abstract smart-card reader. The virtual operations are declared in the order of the
// reader interface's slots; "base" operations are implemented here over the byte primitives,
// which every back end supplies.
class CardReader {
public:
    static constexpr std::size_t kIccidLength = 10;
    static constexpr std::size_t kMemoryCardBytes = 32;
    // ISO 7816-3 bounds an answer to reset to TS and 32 further bytes.
    static constexpr std::size_t kMaxAtrLength = 33;

    CardReader();
    virtual ~CardReader();
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    virtual ReaderResult ReadMemoryCard(std::span<std::uint8_t, kMemoryCardBytes> out);
    virtual ReaderResult Close() = 0;
    virtual ReaderResult Open(const std::string& name, std::uint32_t option) = 0;
    virtual std::uint8_t ConvertByte(std::uint8_t byte);
    virtual ReaderResult Transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                                  std::span<std::uint8_t> data, Direction direction, std::uint16_t& sw);
    // Sends the first `count` bytes of the buffer and receives into it from its first byte on,
    // at most the buffer's size; returns the number of bytes received.
    virtual std::uint16_t Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                                   std::uint8_t retries);
    virtual ReaderResult ResetCard(ByteBuffer* atr);
    virtual ReaderResult PowerOff();
    virtual ReaderResult PowerOn(ByteBuffer* atr);
    virtual ReaderResult SetCardPower(std::uint8_t mode);
    virtual ReaderResult GetReaderStatus(std::uint16_t& status);
    virtual ReaderResult SendReaderCommand(std::uint8_t code);
    virtual ReaderResult StartCard();
    virtual ReaderResult SetLineParity(std::uint8_t parity) = 0;
    virtual ReaderResult Reconnect() = 0;
    virtual ReaderResult Disconnect() = 0;
    virtual ReaderResult Connect() = 0;
    virtual void Delay(std::uint32_t ms) = 0;
    virtual void WriteByte(std::uint8_t byte) = 0;
    virtual bool WriteByteChecked(std::uint8_t byte) = 0;
    virtual int ReadByteTimed() = 0;
    virtual void FlushInput() = 0;
    virtual std::uint8_t ReadByte() = 0;
    virtual bool ByteAvailable() = 0;

    // State shared by all back ends.
    bool IsPortOpen() const { return m_portOpen; }
    bool IsCardActive() const { return m_cardActive; }
    bool IsCardPowered() const { return m_cardPowered; }
    bool IsCardInserted() const { return m_cardInserted; }
    bool IsReaderConnected() const { return m_readerConnected; }
    bool IsSessionOpen() const { return m_sessionOpen; }
    void SetSessionOpen(bool open) { m_sessionOpen = open; }
    const AtrParams& GetAtrParams() const { return m_atrParams; }
    std::array<std::uint8_t, kIccidLength>& CachedIccid() { return m_cachedIccid; }

    // Every Transmit is reported to the hook, when one is set.
    void SetTraceHook(TraceHook hook) { m_traceHook = std::move(hook); }

    std::uint32_t PowerDownSettleMs() const { return m_powerDownSettleMs; }
    std::uint32_t ResetLowMs() const { return m_resetLowMs; }
    std::uint32_t ByteTimeoutMs() const { return m_byteTimeoutMs; }
    std::uint32_t IdentificationTimeoutMs() const { return m_identificationTimeoutMs; }

protected:
    // The pause between two polls of a waiting Exchange. A back end that can wait for a byte
    // returns as soon as one arrives; the limit stays the same.
    virtual void WaitForInput(std::uint32_t ms) { Delay(ms); }

    // Exchange with every sent byte passed through ConvertByte before, and every received byte after.
    std::uint16_t ConvertedExchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                                    std::uint8_t retries);
    // One converted byte received in mode kWaitForBytes; -1 when none arrives.
    int ReceiveConvertedByte(std::uint8_t retries);
    // Reads and discards input, but never more than a receive queue's worth, so a card that
    // keeps sending cannot hold the program.
    void DiscardInput();
    // Hands one finished command to the trace hook (codes of CHV commands withheld); returns code.
    ReaderResult ReportCommand(const std::array<std::uint8_t, 5>& header, std::span<const std::uint8_t> data,
                               std::size_t length, Direction direction, std::uint16_t sw, ReaderResult code);

    std::uint32_t m_powerDownSettleMs = 300;
    std::uint32_t m_resetLowMs = 200;
    std::uint32_t m_byteTimeoutMs = 100;
    std::uint32_t m_identificationTimeoutMs = 300;
    bool m_portOpen = false;
    std::array<std::uint8_t, kIccidLength> m_cachedIccid;
    bool m_cardActive = false;
    bool m_cardPowered = false;
    bool m_cardInserted = false;
    bool m_readerConnected = false;
    bool m_sessionOpen = false;
    AtrParams m_atrParams;

private:
    class AtrLine;
    ReaderResult ReadAnswerToReset(ByteBuffer* atr);
    bool ReadConvention(AtrLine& line);
    bool ReadInterfaceBytes(AtrLine& line, bool& checkBytePresent);
    ReaderResult RunT0Procedure(std::uint8_t ins, std::span<std::uint8_t> data, std::uint16_t length,
                                Direction direction, std::uint8_t firstProcedureByte, std::uint16_t& sw);
    ReaderResult SendBlock(std::span<const std::uint8_t> block);
    ReaderResult ReceiveBlock(std::span<std::uint8_t> block);

    TraceHook m_traceHook;
};

}  // namespace quillet::reader
