#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/BlockExchangeReader.h"
#include "reader/SystemClock.h"

namespace quillet::reader {

// Any PC/SC reader of the system, through the system's pcsc-lite, loaded at run time and shared
// by all objects. Whole commands go to the card; the ATR the library reports is replayed through
// Exchange, so the base class parses it as it parses a serial card's.
class ScLinkReader final : public BlockExchangeReader {
public:
    ScLinkReader();
    ~ScLinkReader() override;

    ReaderResult ReadMemoryCard(std::span<std::uint8_t, kMemoryCardBytes> out) override;
    ReaderResult Close() override;
    ReaderResult Open(const std::string& name, std::uint32_t option) override;
    std::uint8_t ConvertByte(std::uint8_t byte) override { return byte; }
    ReaderResult Transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                          std::span<std::uint8_t> data, Direction direction, std::uint16_t& sw) override;
    std::uint16_t Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                           std::uint8_t retries) override;
    ReaderResult GetReaderStatus(std::uint16_t& status) override;
    ReaderResult SendReaderCommand(std::uint8_t code) override;
    ReaderResult StartCard() override;
    ReaderResult SetLineParity(std::uint8_t parity) override;
    ReaderResult Reconnect() override;
    ReaderResult Disconnect() override;
    ReaderResult Connect() override;
    void Delay(std::uint32_t ms) override;

    // Lists the system's PC/SC readers, keeping those the filter strings of the string table
    // (ids 500 to 502) let through; false when the library or its service is missing.
    static bool ListGatewayReaders(std::vector<std::string>& readers);
    // How many objects use the shared library, and whether it is loaded (for tests).
    static int LiveObjects();
    static bool IsLibraryLoaded();

private:
    bool ListReaders(std::vector<std::string>& readers);
    void ReleaseContext();

    std::uint32_t m_atrPosition = 0;
    std::uint32_t m_atrLength = 0;
    std::array<std::uint8_t, 33> m_atr{};
    std::string m_readerName;
    std::intptr_t m_card = 0;
    std::intptr_t m_context = 0;
    bool m_contextEstablished = false;
    SystemClock m_clock;
};

// Keeps a reader name when it contains one of the patterns that are not ".", compared in upper
// case; patterns that are all "." keep every name.
bool PassesReaderFilter(const std::string& name, const std::vector<std::string>& patterns);

}  // namespace quillet::reader
