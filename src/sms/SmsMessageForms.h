#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "card/UserInterface.h"
#include "sms/SmsEntry.h"
#include "sms/SmsText.h"

namespace quillet::sms {

// The edit dialog's fields as the user typed them (UTF-8).
struct SmsEditForm {
    std::string text;
    std::string number;
};

// The edit dialog's fields for an entry (the decoded text, the number with its '+'), and its live
// counter: what the text typed so far takes of the record in the alphabet it needs, the entry's
// header counted (160 default-alphabet characters with extension characters counting two, or 70
// UCS2 characters, less for a part with a header).
SmsEditForm EditFormOf(const SmsEntry& entry);
SmsRoom EditRoom(const SmsEntry& entry, std::string_view typedText);
// The counter's text: "12/160", or "3/70 UCS2" when the text needs UCS2.
std::string EditRoomText(const SmsRoom& room);

// The Edit Message Details dialog's fields and the coupling between them, on a copy of the entry
// the edit dialog works on.
struct SmsDetailsFields {
    std::uint32_t status = kStatusToSend;  // the combo: 0 read, 1 received, 2 sent, 3 to be sent
    std::string centre;                    // with '+' for international
    std::string dateOrValidity;            // the read-only text of the group
    int validityChoice = -1;               // the checked radio button 0..3, -1 none
    bool validityEnabled = false;          // the radio buttons can be clicked
};

class SmsDetailsForm {
public:
    // `caller` is the edit dialog's copy; its date gives a received message its time back.
    explicit SmsDetailsForm(const SmsEntry& caller);

    const SmsDetailsFields& Fields() const { return m_fields; }
    // The centre as the user types it.
    void SetCentre(std::string centre) { m_fields.centre = std::move(centre); }
    // A new status from the combo: sent ones get a validity ("7 days" in place of a date), received
    // ones a date (the caller's when it has one, else `now`).
    void ChangeStatus(std::uint32_t status, const std::tm& now);
    // A click on a radio button: a received message becomes one to be sent.
    void ChooseValidity(int choice);
    // OK: false with 57660 when the centre is not a number; else the fields go into `entry`.
    bool Apply(SmsEntry& entry, card::UserInterface& ui) const;

private:
    SmsEntry m_caller;
    SmsDetailsFields m_fields;
};

}  // namespace quillet::sms
