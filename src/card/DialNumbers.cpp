#include "card/DialNumbers.h"

namespace quillet::card {

namespace {
constexpr std::size_t kMaxNumberLength = 60;
}  // namespace

bool IsValidCentreNumber(std::string_view text) {
    constexpr std::size_t kMaxCentreDigits = 20;
    return text.size() - (text.starts_with('+') ? 1 : 0) <= kMaxCentreDigits && IsValidNumber(text);
}

bool IsWritableCentreNumber(std::string_view text) {
    return text.size() > (text.starts_with('+') ? 1u : 0u) && IsValidCentreNumber(text);
}

bool IsValidNumber(std::string_view text) {
    if (text.size() > kMaxNumberLength) return false;
    for (std::size_t position = 0; position < text.size(); ++position) {
        if (position == 0 && text[position] == '+') continue;
        if (!IsDialChar(text[position])) return false;
    }
    return true;
}

void SplitInternational(std::string_view text, std::string& number, std::uint8_t& ton, std::size_t capacity) {
    const bool international = !text.empty() && text.front() == '+';
    ton = international ? 1 : 0;
    if (international) text.remove_prefix(1);
    const std::size_t keep = capacity == 0 ? 0 : capacity - 1;
    number.assign(text.substr(0, keep));
}

std::string JoinInternational(std::string_view number, std::uint8_t ton) {
    return (ton == 1 ? "+" : "") + std::string(number);
}

}  // namespace quillet::card
