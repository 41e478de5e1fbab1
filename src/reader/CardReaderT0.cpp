// The T=0 command procedure over the byte primitives.
#include <algorithm>

#include "reader/CardAnswer.h"
#include "reader/CardReader.h"
#include "reader/SecureWipe.h"

namespace quillet::reader {

namespace {

constexpr std::uint8_t kNullByte = 0x60;
constexpr std::uint8_t kByteRetries = 100;
constexpr std::size_t kMaxBlock = 62;
// A card may send NULL bytes to ask for more time, and repeat an acknowledgement once all data
// has moved, but not for ever: after this many procedure bytes that move no data the command is
// given up. At 9600 baud that is more than ten seconds of nothing else.
constexpr int kMaxIdleProcedureBytes = 8192;

// VERIFY, CHANGE, DISABLE, ENABLE and UNBLOCK CHV carry secret codes.
bool CarriesSecretCodes(std::uint8_t ins) {
    return ins == 0x20 || ins == 0x24 || ins == 0x26 || ins == 0x28 || ins == 0x2C;
}

bool IsStatusByte(std::uint8_t byte) {
    const std::uint8_t nibble = byte >> 4;
    return nibble == 0x6 || nibble == 0x9;
}

}  // namespace

ReaderResult CardReader::Transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                                  std::span<std::uint8_t> data, Direction direction, std::uint16_t& sw) {
    const std::array<std::uint8_t, 5> header = {cla, ins, p1, p2, p3};
    const std::uint16_t length = (direction == Direction::FromCard && p3 == 0) ? 256 : p3;
    auto finish = [&](ReaderResult code) { return ReportCommand(header, data, length, direction, sw, code); };

    if (!m_portOpen || !m_cardActive || !m_cardPowered) {
        return finish(result::kCardNotActive);
    }
    if (data.size() < length) {
        return finish(result::kNonSpecific);  // the caller's buffer cannot hold the transfer
    }

    std::array<std::uint8_t, 6> answer{};
    std::copy(header.begin(), header.end(), answer.begin());
    if (ConvertedExchange(answer, 5, kWaitForBytes, kByteRetries) != 6 ||
        !std::equal(header.begin(), header.end(), answer.begin())) {
        return finish(result::kCommandError);
    }
    return finish(RunT0Procedure(ins, data, length, direction, answer[5], sw));
}

ReaderResult CardReader::ReportCommand(const std::array<std::uint8_t, 5>& header, std::span<const std::uint8_t> data,
                                       std::size_t length, Direction direction, std::uint16_t sw, ReaderResult code) {
    if (m_traceHook) {
        TraceRecord record;
        record.header = header;
        record.dataToCard = direction == Direction::ToCard;
        record.dataWithheld = CarriesSecretCodes(header[1]);
        if (!record.dataWithheld) record.data = data.first(std::min<std::size_t>(length, data.size()));
        record.statusWord = sw;
        record.result = code;
        m_traceHook(record);
    }
    return code;
}

ReaderResult CardReader::RunT0Procedure(std::uint8_t ins, std::span<std::uint8_t> data, std::uint16_t length,
                                        Direction direction, std::uint8_t firstProcedureByte, std::uint16_t& sw) {
    const std::uint8_t singleStep = static_cast<std::uint8_t>(~ins);
    const std::uint8_t allRemainingAlt = static_cast<std::uint8_t>(ins + 1);
    std::uint16_t transferred = 0;
    int procedureByte = firstProcedureByte;
    int idleProcedureBytes = 0;

    for (;;) {
        const auto pb = static_cast<std::uint8_t>(procedureByte);
        if (pb == kNullByte) {
            if (++idleProcedureBytes > kMaxIdleProcedureBytes) {
                return result::kCommandError;
            }
            procedureByte = ReceiveConvertedByte(kByteRetries);
            if (procedureByte < 0) {
                return result::kCommandError;
            }
            continue;
        }

        if (IsStatusByte(pb)) {
            const int sw2 = ReceiveConvertedByte(kByteRetries);
            if (sw2 < 0) {
                return result::kStatusError;
            }
            sw = static_cast<std::uint16_t>(pb << 8 | sw2);
            // A read may end early only with a status that says why.
            if (direction == Direction::FromCard && !IsCompleteAnswer(transferred, length, sw)) {
                return result::kCommandError;
            }
            return result::kOk;
        }

        if ((pb == singleStep || pb == ins || pb == allRemainingAlt) && transferred == length &&
            ++idleProcedureBytes > kMaxIdleProcedureBytes) {
            return result::kCommandError;
        }

        if (pb == singleStep) {
            if (transferred == length) {
                procedureByte = ReceiveConvertedByte(kByteRetries);
                if (procedureByte < 0) {
                    return result::kCommandError;
                }
                continue;
            }
            std::array<std::uint8_t, 2> step{};
            bool moved = false;
            if (direction == Direction::ToCard) {
                step[0] = data[transferred];
                moved = ConvertedExchange(step, 1, kWaitForBytes, kByteRetries) == 2 && step[0] == data[transferred];
            } else {
                moved = ConvertedExchange(step, 0, kWaitForBytes, kByteRetries) == 2;
                if (moved) data[transferred] = step[0];
            }
            procedureByte = step[1];
            // The byte may be part of a secret code.
            SecureWipe(step.data(), step.size());
            if (!moved) {
                return result::kDataBlockError;
            }
            ++transferred;
            continue;
        }

        if (pb == ins || pb == allRemainingAlt) {
            while (transferred < length) {
                const std::size_t blockLength = std::min<std::size_t>(length - transferred, kMaxBlock);
                const std::span<std::uint8_t> block = data.subspan(transferred, blockLength);
                const ReaderResult code = direction == Direction::ToCard ? SendBlock(block) : ReceiveBlock(block);
                if (code != result::kOk) {
                    return code;
                }
                transferred = static_cast<std::uint16_t>(transferred + blockLength);
            }
            procedureByte = ReceiveConvertedByte(kByteRetries);
            if (procedureByte < 0) {
                return result::kStatusError;
            }
            continue;
        }

        return result::kCommandError;
    }
}

ReaderResult CardReader::SendBlock(std::span<const std::uint8_t> block) {
    std::array<std::uint8_t, kMaxBlock> echo{};
    const std::span<std::uint8_t> buffer(echo.data(), block.size());
    std::copy(block.begin(), block.end(), buffer.begin());
    const std::uint16_t received =
        ConvertedExchange(buffer, static_cast<std::uint16_t>(block.size()), kWaitForBytes, kByteRetries);
    const bool echoed = received >= block.size() && std::equal(block.begin(), block.end(), buffer.begin());
    // The block may hold secret codes.
    SecureWipe(echo.data(), echo.size());
    return echoed ? result::kOk : result::kDataBlockError;
}

ReaderResult CardReader::ReceiveBlock(std::span<std::uint8_t> block) {
    if (ConvertedExchange(block, 0, kWaitForBytes, kByteRetries) < block.size()) {
        return result::kCommandError;
    }
    return result::kOk;
}

}  // namespace quillet::reader
