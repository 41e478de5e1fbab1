#include "card/GsmCommands.h"

#include <algorithm>
#include <array>

namespace quillet::card {

namespace {

constexpr std::uint8_t kClass = 0xA0;
constexpr std::size_t kMaxTransfer = 256;  // P3 = 0 reads 256 bytes

// Data for the card travels from a copy: Transmit works on a writable buffer.
reader::ReaderResult SendData(reader::CardReader& reader, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                              std::span<const std::uint8_t> data, std::uint16_t& sw) {
    if (data.size() > 255) {
        return reader::result::kNonSpecific;
    }
    std::array<std::uint8_t, 255> copy{};
    std::copy(data.begin(), data.end(), copy.begin());
    return reader.Transmit(kClass, ins, p1, p2, static_cast<std::uint8_t>(data.size()),
                           std::span(copy).first(data.size()), reader::Direction::ToCard, sw);
}

reader::ReaderResult ReceiveData(reader::CardReader& reader, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                                 std::span<std::uint8_t> out, std::uint16_t& sw) {
    if (out.empty() || out.size() > kMaxTransfer) {
        return reader::result::kNonSpecific;
    }
    return reader.Transmit(kClass, ins, p1, p2, static_cast<std::uint8_t>(out.size() & 0xFF), out,
                           reader::Direction::FromCard, sw);
}

}  // namespace

reader::ReaderResult SelectFid(reader::CardReader& reader, std::uint16_t fid, std::uint16_t& sw) {
    const std::array<std::uint8_t, 2> id = {static_cast<std::uint8_t>(fid >> 8), static_cast<std::uint8_t>(fid)};
    return SendData(reader, 0xA4, 0, 0, id, sw);
}

reader::ReaderResult GetResponse(reader::CardReader& reader, std::uint8_t length, std::span<std::uint8_t> out,
                                 std::uint16_t& sw) {
    const std::size_t count = length == 0 ? kMaxTransfer : length;
    if (out.size() < count) {
        return reader::result::kNonSpecific;
    }
    return ReceiveData(reader, 0xC0, 0, 0, out.first(count), sw);
}

reader::ReaderResult ReadBinary(reader::CardReader& reader, std::uint16_t offset, std::span<std::uint8_t> out,
                                std::uint16_t& sw) {
    return ReceiveData(reader, 0xB0, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset), out,
                       sw);
}

reader::ReaderResult UpdateBinary(reader::CardReader& reader, std::uint16_t offset, std::span<const std::uint8_t> data,
                                  std::uint16_t& sw) {
    return SendData(reader, 0xD6, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset), data, sw);
}

reader::ReaderResult ReadRecord(reader::CardReader& reader, std::uint8_t record, std::uint8_t mode,
                                std::span<std::uint8_t> out, std::uint16_t& sw) {
    return ReceiveData(reader, 0xB2, record, mode, out, sw);
}

reader::ReaderResult UpdateRecord(reader::CardReader& reader, std::uint8_t record, std::uint8_t mode,
                                  std::span<const std::uint8_t> data, std::uint16_t& sw) {
    return SendData(reader, 0xDC, record, mode, data, sw);
}

reader::ReaderResult Invalidate(reader::CardReader& reader, std::uint16_t& sw) {
    return SendData(reader, 0x04, 0, 0, {}, sw);
}

reader::ReaderResult Rehabilitate(reader::CardReader& reader, std::uint16_t& sw) {
    return SendData(reader, 0x44, 0, 0, {}, sw);
}

}  // namespace quillet::card
