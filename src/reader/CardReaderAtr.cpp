// Card activation: power the card and read and parse its answer to reset.
#include "reader/CardReader.h"

namespace quillet::reader {

namespace {

constexpr std::uint8_t kDirectTs = 0x3B;
constexpr std::uint8_t kInverseTs = 0x3F;
constexpr std::uint8_t kAtrByteRetries = 50;
constexpr std::uint16_t kCardInsertedBit = 0x40;

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

// Reads every byte of the answer to reset, including the interface bytes of all levels and the
// check byte, so that the next command finds no ATR byte left on the line.
ReaderResult CardReader::ReadAnswerToReset(ByteBuffer* atr) {
    std::size_t received = 0;
    if (atr != nullptr) {
        atr->length = 0;
    }
    auto store = [&](std::uint8_t byte) {
        if (atr != nullptr && atr->length < atr->storage.size()) {
            atr->storage[atr->length++] = byte;
        }
    };
    // The next byte of the answer, or -1 when it does not arrive or the answer grows beyond
    // what a card may send.
    auto next = [&]() -> int {
        if (received >= kMaxAtrLength) {
            return -1;
        }
        const int byte = ReceiveConvertedByte(kAtrByteRetries);
        if (byte >= 0) {
            ++received;
            store(static_cast<std::uint8_t>(byte));
        }
        return byte;
    };

    // TS: the convention. An inverse-convention card's TS reads as the converted form of 0x3F.
    int ts = ReceiveConvertedByte(kAtrByteRetries);
    if (ts < 0) {
        return result::kBadAtr;
    }
    ++received;
    if (ts != kDirectTs && ts != kInverseTs) {
        m_atrParams.inverseConvention = 1;
        ts = ConvertByte(static_cast<std::uint8_t>(ts));
        if (ts != kInverseTs) {
            m_atrParams.inverseConvention = 0;
            return result::kBadAtr;
        }
    }
    store(static_cast<std::uint8_t>(ts));

    const int t0 = next();
    if (t0 < 0) {
        return result::kBadAtr;
    }
    m_atrParams.k = static_cast<std::uint8_t>(t0 & 0x0F);
    m_atrParams.y1 = static_cast<std::uint8_t>(t0 >> 4);

    // Interface bytes, level by level, chained through TDi. TCK follows the historical bytes
    // when any protocol other than T=0 is offered.
    unsigned indicator = m_atrParams.y1;
    bool checkBytePresent = false;
    for (int level = 1; indicator != 0; ++level) {
        if (indicator & 0x1) {
            const int ta = next();
            if (ta < 0) return result::kBadAtr;
            if (level == 1) {
                m_atrParams.fi = static_cast<std::uint8_t>(ta >> 4);
                m_atrParams.di = static_cast<std::uint8_t>(ta & 0x0F);
            }
        }
        if (indicator & 0x2) {
            const int tb = next();
            if (tb < 0) return result::kBadAtr;
            if (level == 1) {
                m_atrParams.ii = static_cast<std::uint8_t>(tb >> 6);
                m_atrParams.pi1 = static_cast<std::uint8_t>(tb & 0x3F);
            } else if (level == 2) {
                m_atrParams.tb2 = static_cast<std::uint8_t>(tb);
            }
        }
        if (indicator & 0x4) {
            const int tc = next();
            if (tc < 0) return result::kBadAtr;
            if (level == 1) {
                m_atrParams.n = static_cast<std::uint8_t>(tc);
            } else if (level == 2) {
                m_atrParams.wi = static_cast<std::uint8_t>(tc);
            }
        }
        if ((indicator & 0x8) == 0) {
            break;
        }
        const int td = next();
        if (td < 0) return result::kBadAtr;
        if (level == 1) {
            m_atrParams.t = static_cast<std::uint8_t>(td & 0x0F);
            m_atrParams.y2 = static_cast<std::uint8_t>(td >> 4);
        }
        if ((td & 0x0F) != 0) {
            checkBytePresent = true;
        }
        indicator = static_cast<unsigned>(td) >> 4;
    }

    for (unsigned index = 0; index < m_atrParams.k; ++index) {
        if (next() < 0) return result::kBadAtr;
    }
    if (checkBytePresent && next() < 0) {
        return result::kBadAtr;
    }
    return result::kOk;
}

}  // namespace quillet::reader
