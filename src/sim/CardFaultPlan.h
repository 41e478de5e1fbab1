#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillet::sim {

// One thing the virtual card does wrong. Commands are numbered from 0, counting every command the
// card receives after its plan was armed.
struct CardFault {
    enum class Kind {
        StatusWord,   // the card answers `statusWord` and does not carry the command out
        CardPulled,   // the card is pulled out as the command arrives: not carried out, no answer, gone
        GarbledByte,  // the command is carried out and byte `byte` of its answer arrives XORed with `mask`
    };

    Kind kind = Kind::StatusWord;
    std::size_t command = 0;
    std::uint16_t statusWord = 0x6F00;
    // The answer is its data followed by SW1 and SW2; a negative position counts from its end, so
    // -2 is SW1 whatever the data. A position outside the answer garbles nothing.
    std::ptrdiff_t byte = -2;
    std::uint8_t mask = 0xFF;
};

// The faults a card injects, built step by step: FailCommand(3, 0x6581).PullCard(7).
class CardFaultPlan {
public:
    CardFaultPlan& FailCommand(std::size_t command, std::uint16_t statusWord) {
        return Add({CardFault::Kind::StatusWord, command, statusWord});
    }
    CardFaultPlan& PullCard(std::size_t command) { return Add({CardFault::Kind::CardPulled, command}); }
    CardFaultPlan& GarbleAnswer(std::size_t command, std::ptrdiff_t byte, std::uint8_t mask = 0xFF) {
        return Add({CardFault::Kind::GarbledByte, command, 0, byte, mask});
    }

    const std::vector<CardFault>& Faults() const { return m_faults; }

private:
    CardFaultPlan& Add(const CardFault& fault) {
        m_faults.push_back(fault);
        return *this;
    }

    std::vector<CardFault> m_faults;
};

}  // namespace quillet::sim
