#pragma once

#include <string>
#include <vector>

#include "sim/ApduCard.h"

namespace quillet::testing {

// GSM 11.11 commands sent straight to a card model, coded by hand here.
struct SimCommands {
    explicit SimCommands(sim::ApduCard& card) : m_card(card) {}

    sim::ApduResponse Send(std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                           std::vector<std::uint8_t> data = {}, std::uint8_t cla = 0xA0) {
        return m_card.Process({cla, ins, p1, p2, p3}, data);
    }
    sim::ApduResponse Select(std::uint16_t id) {
        return Send(0xA4, 0, 0, 2, {static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id)});
    }
    // Selects and fetches the response the select announced.
    std::vector<std::uint8_t> SelectResponse(std::uint16_t id) {
        const sim::ApduResponse selected = Select(id);
        if ((selected.sw & 0xFF00) != 0x9F00) return {};
        return Send(0xC0, 0, 0, static_cast<std::uint8_t>(selected.sw)).data;
    }
    void SelectPath(std::initializer_list<std::uint16_t> ids) {
        for (std::uint16_t id : ids) Select(id);
    }
    sim::ApduResponse ReadRecord(std::uint8_t record, std::uint8_t mode, std::uint8_t length) {
        return Send(0xB2, record, mode, length);
    }
    sim::ApduResponse UpdateRecord(std::uint8_t record, std::uint8_t mode, std::vector<std::uint8_t> data) {
        return Send(0xDC, record, mode, static_cast<std::uint8_t>(data.size()), data);
    }
    // A code as 11.11 codes it: ASCII digits padded with 0xFF to 8 bytes.
    static std::vector<std::uint8_t> Code(const std::string& digits) {
        std::vector<std::uint8_t> bytes(digits.begin(), digits.end());
        bytes.resize(8, 0xFF);
        return bytes;
    }
    static std::vector<std::uint8_t> Codes(const std::string& first, const std::string& second) {
        std::vector<std::uint8_t> bytes = Code(first);
        const std::vector<std::uint8_t> rest = Code(second);
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        return bytes;
    }
    sim::ApduResponse Verify(std::uint8_t chv, const std::string& digits) {
        return Send(0x20, 0, chv, 8, Code(digits));
    }

private:
    sim::ApduCard& m_card;
};

}  // namespace quillet::testing
