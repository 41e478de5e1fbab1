#pragma once

#include <functional>
#include <set>
#include <vector>

#include "sim/ApduCard.h"

namespace quillet::sim {

// A card whose answers are given by the test: a fixed answer to reset, the instructions that
// take data from the host, and a function that answers each command. It records every command.
class ScriptedApduCard final : public ApduCard {
public:
    using Responder = std::function<ApduResponse(const ApduHeader&, std::span<const std::uint8_t>)>;

    struct Command {
        ApduHeader header;
        std::vector<std::uint8_t> data;
    };

    explicit ScriptedApduCard(std::vector<std::uint8_t> atr, Responder responder = {},
                              std::set<std::uint8_t> dataTakingInstructions = {});

    std::vector<std::uint8_t> Reset() override;
    bool TakesData(const ApduHeader& header) const override;
    ApduResponse Process(const ApduHeader& header, std::span<const std::uint8_t> data) override;

    const std::vector<Command>& Commands() const { return m_commands; }
    int ResetCount() const { return m_resets; }

private:
    std::vector<std::uint8_t> m_atr;
    Responder m_responder;
    std::set<std::uint8_t> m_dataTakingInstructions;
    std::vector<Command> m_commands;
    int m_resets = 0;
};

}  // namespace quillet::sim
