// Reading the 256-bit memory of a synchronous memory card (a prepaid telephone chip card).
#include <algorithm>
#include <array>

#include "reader/BitOrder.h"
#include "reader/CardReader.h"

namespace quillet::reader {

namespace {

constexpr std::uint8_t kReadMemoryCommand = 0x05;
constexpr std::uint16_t kCardInsertedBit = 0x40;

}  // namespace

ReaderResult CardReader::ReadMemoryCard(std::span<std::uint8_t, kMemoryCardBytes> out) {
    m_cardActive = false;
    m_cardPowered = false;
    m_cardInserted = false;
    m_readerConnected = false;

    ReaderResult code = Reconnect();
    if (code != result::kOk) {
        return code;
    }
    if (!m_readerConnected) {
        return result::kReaderNotConnected;
    }
    std::uint16_t status = 0;
    code = GetReaderStatus(status);
    if (code != result::kOk) {
        return code;
    }
    if ((status & kCardInsertedBit) == 0) {
        return result::kMemoryCardNotInserted;
    }
    FlushInput();
    if (!WriteByteChecked(kReadMemoryCommand)) {
        return result::kInvalidReaderId;
    }
    // 32 data bytes, least significant bit first, then a byte that brings the sum of all 33 to 0.
    // The caller's buffer is filled only once the whole block has checked out.
    std::array<std::uint8_t, kMemoryCardBytes> memory{};
    unsigned sum = 0;
    for (std::size_t index = 0; index <= kMemoryCardBytes; ++index) {
        const int byte = ReadByteTimed();
        if (byte < 0) {
            return result::kInvalidReaderId;
        }
        sum += static_cast<unsigned>(byte);
        if (index < kMemoryCardBytes) {
            memory[index] = ReverseBits(static_cast<std::uint8_t>(byte));
        }
    }
    if ((sum & 0xFF) != 0) {
        return result::kInvalidReaderId;
    }
    std::copy(memory.begin(), memory.end(), out.begin());
    return Reconnect();
}

}  // namespace quillet::reader
