#include "sim/ScriptedApduCard.h"

namespace quillet::sim {

namespace {
constexpr std::uint16_t kInstructionNotSupported = 0x6D00;
}

ScriptedApduCard::ScriptedApduCard(std::vector<std::uint8_t> atr, Responder responder,
                                   std::set<std::uint8_t> dataTakingInstructions)
    : m_atr(std::move(atr)),
      m_responder(std::move(responder)),
      m_dataTakingInstructions(std::move(dataTakingInstructions)) {}

std::vector<std::uint8_t> ScriptedApduCard::Reset() {
    ++m_resets;
    return m_atr;
}

bool ScriptedApduCard::TakesData(const ApduHeader& header) const {
    return m_dataTakingInstructions.contains(header.ins);
}

ApduResponse ScriptedApduCard::Process(const ApduHeader& header, std::span<const std::uint8_t> data) {
    m_commands.push_back(Command{header, std::vector<std::uint8_t>(data.begin(), data.end())});
    if (!m_responder) {
        return ApduResponse{{}, kInstructionNotSupported};
    }
    return m_responder(header, data);
}

}  // namespace quillet::sim
