#include "sms/SmsMessageForms.h"

#include <array>
#include <string>

#include "card/DialNumbers.h"
#include "card/DiallingDigits.h"
#include "card/GsmText.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsTimeValue.h"
#include "sms/ValidityWords.h"

namespace quillet::sms {

namespace {

constexpr std::uint32_t kBadCentre = 57660;
constexpr int kOneWeekChoice = 2;

enum class TimeKind { None, Date, Validity };

TimeKind KindOf(std::string_view text) {
    SmsTimeValue value{};
    if (!ParseDateOrValidity(text, value)) return TimeKind::None;
    return value.isDate != 0 ? TimeKind::Date : TimeKind::Validity;
}

// What a radio button writes: the parameters dialog offers "1 day", a message says "24 hours".
std::string_view ChoiceText(int choice) {
    if (choice == 1) return ValidityWords::Get().StandardText(ValidityWords::kOneDayWritten);
    return ValidityChoiceText(choice);
}

bool IsReceived(std::uint32_t status) { return status < kStatusSent; }

}  // namespace

SmsEditForm EditFormOf(const SmsEntry& entry) {
    return {card::Utf8FromText(MessageText(entry)),
            card::JoinInternational(FieldText(entry.address), entry.addressTon)};
}

SmsRoom EditRoom(const SmsEntry& entry, std::string_view typedText) {
    const std::optional<std::u32string> text = card::TextFromUtf8(typedText);
    if (text) return MessageRoom(entry, *text);
    // Nothing a keyboard gives; counted as too long, so OK refuses it.
    SmsRoom room = MessageRoom(entry, U"");
    room.used = room.capacity + 1;
    return room;
}

std::string EditRoomText(const SmsRoom& room) {
    std::string text = std::to_string(room.used) + "/" + std::to_string(room.capacity);
    if (room.coding == SmsCoding::Ucs2) text += " UCS2";
    return text;
}

SmsDetailsForm::SmsDetailsForm(const SmsEntry& caller) : m_caller(caller) {
    m_fields.status = caller.status;
    m_fields.centre = card::JoinInternational(FieldText(caller.serviceCentre), caller.centreTon);
    m_fields.dateOrValidity = std::string(FieldText(caller.dateOrValidity));
    m_fields.validityEnabled = !IsReceived(caller.status);
    m_fields.validityChoice = m_fields.validityEnabled ? ValidityChoiceOf(m_fields.dateOrValidity, true) : -1;
}

void SmsDetailsForm::ChangeStatus(std::uint32_t status, const std::tm& now) {
    const TimeKind kind = KindOf(m_fields.dateOrValidity);
    m_fields.status = status;
    m_fields.validityEnabled = !IsReceived(status);
    if (m_fields.validityEnabled) {
        // A message to send has a validity, not a time stamp.
        if (kind == TimeKind::Date) m_fields.dateOrValidity = std::string(ChoiceText(kOneWeekChoice));
        m_fields.validityChoice = ValidityChoiceOf(m_fields.dateOrValidity, false);
        return;
    }
    m_fields.validityChoice = -1;
    if (kind != TimeKind::Validity) return;
    // A received message gets its time stamp back, or else the time now.
    const std::string_view callerDate = FieldText(m_caller.dateOrValidity);
    if (KindOf(callerDate) == TimeKind::Date) {
        m_fields.dateOrValidity = std::string(callerDate);
        return;
    }
    std::array<char, sizeof(SmsEntry::dateOrValidity)> date{};
    NormalizeDateText(date, now);
    m_fields.dateOrValidity = date.data();
}

void SmsDetailsForm::ChooseValidity(int choice) {
    const std::string_view text = ChoiceText(choice);
    if (text.empty()) return;
    if (IsReceived(m_fields.status)) m_fields.status = kStatusToSend;
    m_fields.validityEnabled = true;
    m_fields.validityChoice = choice;
    m_fields.dateOrValidity = std::string(text);
}

bool SmsDetailsForm::Apply(SmsEntry& entry, card::UserInterface& ui) const {
    // The record holds 20 digits of a centre; more would be cut without a word.
    if (!card::IsValidCentreNumber(m_fields.centre)) {
        ui.ShowMessage(resources::LoadString(kBadCentre), card::MessageIcon::Error);
        return false;
    }
    entry.status = m_fields.status;
    if (m_fields.centre != card::JoinInternational(FieldText(entry.serviceCentre), entry.centreTon)) {
        std::string digits;
        card::SplitInternational(m_fields.centre, digits, entry.centreTon, sizeof entry.serviceCentre);
        SetFieldText(entry.serviceCentre, digits);
        entry.centreNpi = digits.empty() ? 0 : card::kIsdnTelephonyPlan;
    }
    SetFieldText(entry.dateOrValidity, m_fields.dateOrValidity);
    return true;
}

}  // namespace quillet::sms
