#include "sms/SmsEntry.h"

#include "resources/StringTable.h"

namespace quillet::sms {

namespace {
constexpr std::uint32_t kListStatusText = 57927;
constexpr std::uint32_t kDetailStatusText = 57931;
}  // namespace

std::string_view SmsStatusListText(std::uint32_t status) {
    return status <= kStatusToSend ? resources::LoadString(kListStatusText + status) : std::string_view();
}

std::string_view SmsStatusDetailText(std::uint32_t status) {
    return status <= kStatusToSend ? resources::LoadString(kDetailStatusText + status) : std::string_view();
}

}  // namespace quillet::sms
