#include "sms/SmsClipboard.h"

namespace quillet::sms {

std::vector<std::uint8_t> PackSmsPayload(std::uint32_t, std::span<const SmsEntry>) { return {}; }

std::optional<SmsPayload> ParseSmsPayload(std::span<const std::uint8_t>) { return std::nullopt; }

std::string SmsEntriesAsText(std::span<const SmsEntry>) { return {}; }

}  // namespace quillet::sms
