#include "sms/SmsMessageForms.h"

namespace quillet::sms {

SmsEditForm EditFormOf(const SmsEntry&) { return {}; }
SmsRoom EditRoom(const SmsEntry&, std::string_view) { return {}; }
std::string EditRoomText(const SmsRoom&) { return {}; }

SmsDetailsForm::SmsDetailsForm(const SmsEntry& caller) : m_caller(caller) {}
void SmsDetailsForm::ChangeStatus(std::uint32_t, const std::tm&) {}
void SmsDetailsForm::ChooseValidity(int) {}
bool SmsDetailsForm::Apply(SmsEntry&, card::UserInterface&) const { return false; }

}  // namespace quillet::sms
