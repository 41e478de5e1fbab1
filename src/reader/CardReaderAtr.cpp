// Card activation: power the card and read and parse its answer to reset.
#include "reader/CardReader.h"

namespace quillet::reader {

namespace {

constexpr std::uint8_t kDirectTs = 0x3B;
constexpr std::uint8_t kInverseTs = 0x3F;
constexpr std::uint8_t kAtrByteRetries = 50;
constexpr std::uint16_t kCardInsertedBit = 0x40;
// The bits of T0 and TDi that announce the next level's TA, TB, TC and TD.
constexpr unsigned kTa = 0x1;
constexpr unsigned kTb = 0x2;
constexpr unsigned kTc = 0x4;
constexpr unsigned kTd = 0x8;

// Keeps what the program uses of TA1, TB1, TC1, TB2 and TC2.
void NoteInterfaceByte(AtrParams& params, int level, unsigned kind, std::uint8_t value) {
    if (level == 1 && kind == kTa) {
        params.fi = static_cast<std::uint8_t>(value >> 4);
        params.di = static_cast<std::uint8_t>(value & 0x0F);
    } else if (level == 1 && kind == kTb) {
        params.ii = static_cast<std::uint8_t>(value >> 6);
        params.pi1 = static_cast<std::uint8_t>(value & 0x3F);
    } else if (level == 1 && kind == kTc) {
        params.n = value;
    } else if (level == 2 && kind == kTb) {
        params.tb2 = value;
    } else if (level == 2 && kind == kTc) {
        params.wi = value;
    }
}

}  // namespace

ReaderResult CardReader::PowerOn(ByteBuffer* atr) {
    m_cardActive = false;
    if (m_cardPowered) {
        return result::kRepeatActivation;
    }
    m_atrParams = AtrParams{};

    std::uint16_t status = 0;
    ReaderResult code = GetReaderStatus(status);
    if (code != result::kOk) {
        return code;
    }
    if ((status & kCardInsertedBit) == 0) {
        return result::kCardNotInserted;
    }
    code = SetCardPower(1);
    if (code != result::kOk) {
        return code;
    }
    m_cardPowered = true;

    code = ReadAnswerToReset(atr);
    if (code != result::kOk) {
        return code;
    }
    code = SetLineParity(m_atrParams.inverseConvention != 0 ? 1 : 2);
    if (code == result::kOk) {
        m_cardActive = true;
    }
    return code;
}

// The bytes of one answer to reset as they arrive: each is counted against the longest answer a
// card may send and kept in the caller's buffer while it has room.
class CardReader::AtrLine {
public:
    AtrLine(CardReader& reader, ByteBuffer* atr) : m_reader(reader), m_atr(atr) {
        if (m_atr != nullptr) {
            m_atr->length = 0;
        }
    }

    // The next byte, counted but not kept; -1 when it does not arrive or the answer grows beyond
    // what a card may send.
    int Receive() {
        if (m_received >= kMaxAtrLength) {
            return -1;
        }
        const int byte = m_reader.ReceiveConvertedByte(kAtrByteRetries);
        if (byte >= 0) {
            ++m_received;
        }
        return byte;
    }

    void Keep(std::uint8_t byte) {
        if (m_atr != nullptr && m_atr->length < m_atr->storage.size()) {
            m_atr->storage[m_atr->length++] = byte;
        }
    }

    // The next byte, counted and kept.
    int Next() {
        const int byte = Receive();
        if (byte >= 0) {
            Keep(static_cast<std::uint8_t>(byte));
        }
        return byte;
    }

private:
    CardReader& m_reader;
    ByteBuffer* m_atr;
    std::size_t m_received = 0;
};

// Reads every byte of the answer to reset, including the interface bytes of all levels and the
// check byte, so that the next command finds no ATR byte left on the line.
ReaderResult CardReader::ReadAnswerToReset(ByteBuffer* atr) {
    AtrLine line(*this, atr);
    if (!ReadConvention(line)) {
        return result::kBadAtr;
    }
    const int t0 = line.Next();
    if (t0 < 0) {
        return result::kBadAtr;
    }
    m_atrParams.k = static_cast<std::uint8_t>(t0 & 0x0F);
    m_atrParams.y1 = static_cast<std::uint8_t>(t0 >> 4);

    bool checkBytePresent = false;
    if (!ReadInterfaceBytes(line, checkBytePresent)) {
        return result::kBadAtr;
    }
    for (unsigned index = 0; index < m_atrParams.k; ++index) {
        if (line.Next() < 0) return result::kBadAtr;
    }
    if (checkBytePresent && line.Next() < 0) {
        return result::kBadAtr;
    }
    return result::kOk;
}

// TS: the convention. An inverse-convention card's TS reads as the converted form of 0x3F.
bool CardReader::ReadConvention(AtrLine& line) {
    int ts = line.Receive();
    if (ts < 0) {
        return false;
    }
    if (ts != kDirectTs && ts != kInverseTs) {
        m_atrParams.inverseConvention = 1;
        ts = ConvertByte(static_cast<std::uint8_t>(ts));
        if (ts != kInverseTs) {
            m_atrParams.inverseConvention = 0;
            return false;
        }
    }
    line.Keep(static_cast<std::uint8_t>(ts));
    return true;
}

// Interface bytes, level by level, chained through TDi. TCK follows the historical bytes when any
// protocol other than T=0 is offered.
bool CardReader::ReadInterfaceBytes(AtrLine& line, bool& checkBytePresent) {
    unsigned indicator = m_atrParams.y1;
    for (int level = 1; indicator != 0; ++level) {
        for (const unsigned kind : {kTa, kTb, kTc}) {
            if ((indicator & kind) == 0) continue;
            const int value = line.Next();
            if (value < 0) return false;
            NoteInterfaceByte(m_atrParams, level, kind, static_cast<std::uint8_t>(value));
        }
        if ((indicator & kTd) == 0) {
            break;
        }
        const int td = line.Next();
        if (td < 0) return false;
        if (level == 1) {
            m_atrParams.t = static_cast<std::uint8_t>(td & 0x0F);
            m_atrParams.y2 = static_cast<std::uint8_t>(td >> 4);
        }
        if ((td & 0x0F) != 0) {
            checkBytePresent = true;
        }
        indicator = static_cast<unsigned>(td) >> 4;
    }
    return true;
}

}  // namespace quillet::reader
