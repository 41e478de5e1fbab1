#pragma once

#include <cstdint>

#include "reader/CardReader.h"

namespace quillet::reader {

// A back end whose driver exchanges whole blocks with the card: there is no byte line under it,
// so the byte primitives of the base class's serial algorithms have nothing to do.
class BlockExchangeReader : public CardReader {
public:
    void WriteByte(std::uint8_t) final {}
    bool WriteByteChecked(std::uint8_t) final { return false; }
    int ReadByteTimed() final { return 0; }
    void FlushInput() final {}
    std::uint8_t ReadByte() final { return 0; }
    bool ByteAvailable() final { return true; }
};

}  // namespace quillet::reader
