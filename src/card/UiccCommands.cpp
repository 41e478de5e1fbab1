#include "card/UiccCommands.h"

#include <algorithm>
#include <array>

namespace quillet::card {

namespace {

constexpr std::uint8_t kUiccClass = 0x00;
constexpr std::uint8_t kSelect = 0xA4;
constexpr std::uint8_t kReadBinary = 0xB0;
constexpr std::uint8_t kUpdateBinary = 0xD6;
constexpr std::uint8_t kReadRecord = 0xB2;
constexpr std::uint8_t kUpdateRecord = 0xDC;
constexpr std::uint8_t kGetResponse = 0xC0;
constexpr std::uint8_t kVerify = 0x20;
constexpr std::uint8_t kRecordAbsolute = 0x04;
constexpr std::uint8_t kByAid = 0x04;
constexpr std::uint8_t kPathFromMf = 0x08;
constexpr std::uint8_t kPathFromCurrent = 0x09;
constexpr std::uint8_t kById = 0x00;
constexpr std::uint8_t kReturnFcp = 0x04;
constexpr std::uint8_t kReturnNothing = 0x0C;

bool ResponseWaiting(std::uint16_t sw) { return (sw & 0xFF00) == 0x6100 || (sw & 0xFF00) == 0x9F00; }
bool WrongLength(std::uint16_t sw) { return (sw & 0xFF00) == 0x6C00; }

std::vector<std::uint8_t> PathBytes(std::span<const std::uint16_t> path) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint16_t id : path) {
        bytes.push_back(static_cast<std::uint8_t>(id >> 8));
        bytes.push_back(static_cast<std::uint8_t>(id));
    }
    return bytes;
}

}  // namespace

UiccAnswer UiccChannel::Send(std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::span<const std::uint8_t> data) {
    UiccAnswer answer;
    if (data.size() > 255) {
        answer.transport = reader::result::kNonSpecific;
        return answer;
    }
    std::array<std::uint8_t, 255> copy{};
    std::copy(data.begin(), data.end(), copy.begin());
    ++m_commands;
    answer.transport = m_reader.Transmit(kUiccClass, ins, p1, p2, static_cast<std::uint8_t>(data.size()),
                                         std::span(copy).first(data.size()), reader::Direction::ToCard, answer.sw);
    return FetchResponse(std::move(answer));
}

UiccAnswer UiccChannel::Receive(std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t length) {
    UiccAnswer answer;
    // The card may ask once for another length (6Cxx); a second such answer is its last word.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<std::uint8_t> buffer(length == 0 ? 256 : length);
        ++m_commands;
        answer.transport =
            m_reader.Transmit(kUiccClass, ins, p1, p2, length, buffer, reader::Direction::FromCard, answer.sw);
        if (answer.transport != reader::result::kOk || !WrongLength(answer.sw)) {
            if (answer.Ok()) answer.data = std::move(buffer);
            return answer;
        }
        length = static_cast<std::uint8_t>(answer.sw & 0xFF);
    }
    return answer;
}

UiccAnswer UiccChannel::FetchResponse(UiccAnswer answer) {
    if (answer.transport != reader::result::kOk || !ResponseWaiting(answer.sw)) return answer;
    return Receive(kGetResponse, 0, 0, static_cast<std::uint8_t>(answer.sw & 0xFF));
}

UiccAnswer UiccChannel::SelectId(std::uint16_t id, bool withFcp) {
    const std::uint16_t path[] = {id};
    return Send(kSelect, kById, withFcp ? kReturnFcp : kReturnNothing, PathBytes(path));
}

UiccAnswer UiccChannel::PinStatus(std::uint8_t key) { return Send(kVerify, 0, key, {}); }

UiccAnswer UiccChannel::SelectPath(std::span<const std::uint16_t> path, bool fromCurrent) {
    return Send(kSelect, fromCurrent ? kPathFromCurrent : kPathFromMf, kReturnFcp, PathBytes(path));
}

UiccAnswer UiccChannel::SelectAid(std::span<const std::uint8_t> aid) { return Send(kSelect, kByAid, kReturnFcp, aid); }

UiccAnswer UiccChannel::ReadRecord(std::uint8_t number, std::uint8_t length) {
    return Receive(kReadRecord, number, kRecordAbsolute, length);
}

UiccAnswer UiccChannel::UpdateRecord(std::uint8_t number, std::span<const std::uint8_t> data) {
    return Send(kUpdateRecord, number, kRecordAbsolute, data);
}

UiccAnswer UiccChannel::ReadBinary(std::uint16_t offset, std::uint8_t length) {
    return Receive(kReadBinary, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset), length);
}

UiccAnswer UiccChannel::UpdateBinary(std::uint16_t offset, std::span<const std::uint8_t> data) {
    return Send(kUpdateBinary, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset), data);
}

}  // namespace quillet::card
