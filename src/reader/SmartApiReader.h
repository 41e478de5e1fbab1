#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "reader/CardReader.h"
#include "reader/LibraryLoader.h"
#include "reader/SystemClock.h"

namespace quillet::reader {

// The PCMCIA reader "PCMCIA FY-1300" through its vendor library (libsmartapi.so): reader ports
// and a byte stream to the card, under the base class's card activation and T=0 procedure.
class SmartApiReader final : public CardReader {
public:
    // `libraryPath` empty: libsmartapi.so from the system's library search path.
    explicit SmartApiReader(const std::string& libraryPath = {});
    ~SmartApiReader() override;

    ReaderResult Close() override;
    ReaderResult Open(const std::string& name, std::uint32_t option) override;
    // The T=0 procedure, tried a second time when it gives 103 before the reader took any byte
    // of the command.
    ReaderResult Transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                          std::span<std::uint8_t> data, Direction direction, std::uint16_t& sw) override;
    std::uint16_t Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                           std::uint8_t retries) override;
    ReaderResult SetCardPower(std::uint8_t mode) override;
    ReaderResult GetReaderStatus(std::uint16_t& status) override;
    ReaderResult SendReaderCommand(std::uint8_t) override { return result::kOk; }
    ReaderResult StartCard() override { return result::kNonSpecific; }
    ReaderResult SetLineParity(std::uint8_t parity) override;
    ReaderResult Reconnect() override { return Connect(); }
    ReaderResult Disconnect() override;
    ReaderResult Connect() override;
    void Delay(std::uint32_t ms) override { m_clock.SleepMs(ms); }
    void WriteByte(std::uint8_t byte) override;
    bool WriteByteChecked(std::uint8_t byte) override;
    int ReadByteTimed() override;
    void FlushInput() override { DiscardInput(); }
    std::uint8_t ReadByte() override;
    bool ByteAvailable() override;

private:
    struct EntryPoints;
    bool WaitReady();
    // Bytes waiting to be read and bytes still to be sent; false when the library fails.
    bool QueueState(std::uint32_t& waiting, std::uint32_t& toSend);
    bool WaitUntilSent(std::uint32_t limitMs);
    ReaderResult PowerCardAndReadAtr();
    bool Outp(int port, int value);

    LibraryLoader m_library;
    std::unique_ptr<const EntryPoints> m_entries;
    std::uint32_t m_pendingCount = 0;
    std::array<std::uint8_t, 128> m_pending{};
    int m_device = -1;
    std::size_t m_bytesAccepted = 0;  // bytes the library took since the command began
    SystemClock m_clock;
};

}  // namespace quillet::reader
