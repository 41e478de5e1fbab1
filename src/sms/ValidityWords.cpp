#include "sms/ValidityWords.h"

#include <cstdint>

#include "resources/StringTable.h"

namespace quillet::sms {

namespace {

// String ids in the order of ValidityWords::Unit and ValidityWords::Standard.
constexpr std::uint32_t kUnitIds[] = {4000, 4001, 4002, 4003, 4004, 4005, 4011};
constexpr std::uint32_t kStandardIds[] = {4006, 4007, 4008, 4009, 4010};

void Fill(ValidityWords::Word& word, std::string_view text) {
    word.fill('\0');
    for (std::size_t i = 0; i < text.size() && i + 1 < word.size(); ++i) word[i] = text[i];
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

const ValidityWords& ValidityWords::Get() {
    static const ValidityWords words;
    return words;
}

ValidityWords::ValidityWords() {
    for (int unit = 0; unit < kUnitCount; ++unit) {
        Fill(m_units[unit], resources::LoadString(kUnitIds[unit]));
        for (std::size_t i = 0; i < m_units[unit].size(); ++i) m_display[unit][i] = LowerAscii(m_units[unit][i]);
    }
    for (int which = 0; which < kStandardCount; ++which) {
        Fill(m_standard[which], resources::LoadString(kStandardIds[which]));
    }
}

}  // namespace quillet::sms
