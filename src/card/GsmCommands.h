#pragma once

#include <cstdint>
#include <span>

#include "reader/CardReader.h"

namespace quillet::card {

// The GSM 11.11 commands, class 0xA0, as this program codes them. Each returns the transport
// result and leaves the card's status word in sw; judging the status word is the caller's.

inline constexpr std::uint8_t kRecordModeAbsolute = 4;

reader::ReaderResult SelectFid(reader::CardReader& reader, std::uint16_t fid, std::uint16_t& sw);
// Fetches `length` response bytes (SW2 of the previous answer) into the front of `out`.
reader::ReaderResult GetResponse(reader::CardReader& reader, std::uint8_t length, std::span<std::uint8_t> out,
                                 std::uint16_t& sw);
// Reads out.size() bytes (1 to 256) from the offset.
reader::ReaderResult ReadBinary(reader::CardReader& reader, std::uint16_t offset, std::span<std::uint8_t> out,
                                std::uint16_t& sw);
reader::ReaderResult UpdateBinary(reader::CardReader& reader, std::uint16_t offset, std::span<const std::uint8_t> data,
                                  std::uint16_t& sw);
reader::ReaderResult ReadRecord(reader::CardReader& reader, std::uint8_t record, std::uint8_t mode,
                                std::span<std::uint8_t> out, std::uint16_t& sw);
reader::ReaderResult UpdateRecord(reader::CardReader& reader, std::uint8_t record, std::uint8_t mode,
                                  std::span<const std::uint8_t> data, std::uint16_t& sw);
reader::ReaderResult Invalidate(reader::CardReader& reader, std::uint16_t& sw);
reader::ReaderResult Rehabilitate(reader::CardReader& reader, std::uint16_t& sw);

}  // namespace quillet::card
