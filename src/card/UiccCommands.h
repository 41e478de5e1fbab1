#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "reader/CardReader.h"

namespace quillet::card {

// What a UICC answered: the transport result, the final status word and the data.
struct UiccAnswer {
    reader::ReaderResult transport = reader::result::kOk;
    std::uint16_t sw = 0;
    std::vector<std::uint8_t> data;

    bool Ok() const { return transport == reader::result::kOk && sw == 0x9000; }
};

// The class 00 commands of TS 102 221 over the current reader. Each carries out the T=0
// dialogue itself: 61xx fetches the response with GET RESPONSE, 6Cxx repeats the command with the
// length the card asked for. Counts every command it sends.
class UiccChannel {
public:
    explicit UiccChannel(reader::CardReader& reader) : m_reader(reader) {}

    // Selects a file by its id, with its FCP template or without.
    UiccAnswer SelectId(std::uint16_t id, bool withFcp = false);
    // Selects by a path of file ids from the MF (or, with `fromCurrent`, from the current DF) and
    // returns the FCP template.
    UiccAnswer SelectPath(std::span<const std::uint16_t> path, bool fromCurrent = false);
    // Selects an application by its AID, or by its first bytes, and returns its FCP template.
    UiccAnswer SelectAid(std::span<const std::uint8_t> aid);
    UiccAnswer ReadRecord(std::uint8_t number, std::uint8_t length);
    UiccAnswer UpdateRecord(std::uint8_t number, std::span<const std::uint8_t> data);
    UiccAnswer ReadBinary(std::uint16_t offset, std::uint8_t length);
    UiccAnswer UpdateBinary(std::uint16_t offset, std::span<const std::uint8_t> data);
    // VERIFY without a code: 9000 when the PIN `key` needs none now, 63Cx with the attempts left,
    // 6983 when it is blocked.
    UiccAnswer PinStatus(std::uint8_t key);

    std::size_t CommandCount() const { return m_commands; }

private:
    UiccAnswer Send(std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::span<const std::uint8_t> data);
    UiccAnswer Receive(std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t length);
    UiccAnswer FetchResponse(UiccAnswer answer);

    reader::CardReader& m_reader;
    std::size_t m_commands = 0;
};

}  // namespace quillet::card
