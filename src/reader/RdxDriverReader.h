#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "reader/BlockExchangeReader.h"
#include "reader/SystemClock.h"

namespace quillet::reader {

// The family of the operating system as the reader drivers know it: 1 the "95" family, 2 the
// "NT" family. This system counts as NT; tests put in the others.
using PlatformQuery = std::function<int()>;
int NtFamilyPlatform();

// The system's own readers through their driver library (librdxint.so, or librdxi95.so on the
// "95" family): byte exchanges, reader control and memory-card reads as driver calls, under
// the base class's card activation and T=0 procedure.
class RdxDriverReader final : public BlockExchangeReader {
public:
    // `libraryFolder` empty: the system's library search path.
    explicit RdxDriverReader(PlatformQuery platform = NtFamilyPlatform, std::string libraryFolder = {});
    ~RdxDriverReader() override;

    ReaderResult ReadMemoryCard(std::span<std::uint8_t, kMemoryCardBytes> out) override;
    ReaderResult Close() override;
    ReaderResult Open(const std::string& name, std::uint32_t option) override;
    std::uint16_t Exchange(std::span<std::uint8_t> buffer, std::uint16_t count, std::uint8_t mode,
                           std::uint8_t retries) override;
    ReaderResult GetReaderStatus(std::uint16_t& status) override;
    ReaderResult SendReaderCommand(std::uint8_t) override { return result::kNonSpecific; }
    ReaderResult StartCard() override;
    ReaderResult SetLineParity(std::uint8_t parity) override;
    ReaderResult Reconnect() override;
    ReaderResult Disconnect() override;
    ReaderResult Connect() override;
    void Delay(std::uint32_t ms) override { m_clock.SleepMs(ms); }

    // The driver's last error number.
    std::uint32_t LastDriverError() const { return m_lastError; }

private:
    struct Request;
    bool Call(Request& request);
    ReaderResult Control(std::uint32_t subFunction, std::uint32_t lineWord, bool withLineWord);
    ReaderResult Failed() const;

    PlatformQuery m_platform;
    std::string m_libraryFolder;
    bool m_libraryOpen = false;
    std::uint32_t m_lastError = 0;
    SystemClock m_clock;
};

}  // namespace quillet::reader
