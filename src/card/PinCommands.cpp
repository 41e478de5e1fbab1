#include "card/PinCommands.h"

namespace quillet::card {

void EnterPin(CardSession&, ProgressOwner, unsigned) {}
bool ChangePin(CardSession&, ProgressOwner, unsigned) { return false; }
void EnableDisablePin(CardSession&, ProgressOwner) {}
void UnblockCard(CardSession&, ProgressOwner) {}
std::optional<std::uint32_t> CheckChangedCodes(std::string_view, std::string_view, std::string_view) {
    return std::nullopt;
}
std::optional<std::uint32_t> CheckUnblockCodes(std::string_view, std::string_view) { return std::nullopt; }

}  // namespace quillet::card
