#include "sms/SmsAdoption.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "card/GsmText.h"
#include "card/RecordPlacement.h"
#include "sms/MessageBody.h"
#include "sms/SmsTimeValue.h"

namespace quillet::sms {

namespace {

constexpr std::uint8_t kInternational = 1;

// A card message with its text as it comes back from a file or backup (Windows-1250), so a UCS2 text
// or a concatenated part still counts as the same message after the trip.
struct CardMessage {
    const SmsEntry& entry;
    const std::u32string& text;
};

bool SameText(const SmsEntry& incoming, const CardMessage& onCard) {
    return incoming.status == onCard.entry.status &&
           FieldText(incoming.serviceCentre) == FieldText(onCard.entry.serviceCentre) &&
           FieldText(incoming.address) == FieldText(onCard.entry.address) && MessageText(incoming) == onCard.text;
}

// Times compare by what they say ("1 day" is "24 hours"). A message without a time has none in a
// backup, but a text line gives it the time the file was written, so there any date stands for none.
bool SameTime(std::string_view incoming, std::string_view onCard, bool anyDateForNone) {
    SmsTimeValue a{}, b{};
    const bool parsed = ParseDateOrValidity(incoming, a);
    if (onCard.empty()) return incoming.empty() || (anyDateForNone && parsed && a.isDate != 0);
    if (!parsed || !ParseDateOrValidity(onCard, b)) return incoming == onCard;
    const auto meaning = [](const SmsTimeValue& v) {
        return std::tuple(v.isDate, v.day, v.month, v.year, v.hour, v.minute, v.validity);
    };
    return meaning(a) == meaning(b);
}

bool SameInBackup(const SmsEntry& incoming, const CardMessage& message) {
    const SmsEntry& card = message.entry;
    return SameText(incoming, message) && incoming.addressTon == card.addressTon &&
           incoming.addressNpi == card.addressNpi && incoming.centreTon == card.centreTon &&
           incoming.centreNpi == card.centreNpi &&
           SameTime(FieldText(incoming.dateOrValidity), FieldText(card.dateOrValidity), false);
}

// A line shows a number's type only as a leading '+' and its plan not at all.
bool SameInTextFile(const SmsEntry& incoming, const CardMessage& message) {
    const SmsEntry& card = message.entry;
    return SameText(incoming, message) &&
           (incoming.addressTon == kInternational) == (card.addressTon == kInternational) &&
           (incoming.centreTon == kInternational) == (card.centreTon == kInternational) &&
           SameTime(FieldText(incoming.dateOrValidity), FieldText(card.dateOrValidity), true) &&
           incoming.messageRef == card.messageRef;
}

}  // namespace

std::size_t AdoptUnchangedMessages(std::span<SmsEntry> incoming, std::span<const SmsEntry> card, MessageSource source) {
    const auto same = source == MessageSource::Backup ? SameInBackup : SameInTextFile;
    std::vector<std::u32string> texts(card.size());
    for (std::size_t record = 0; record < card.size(); ++record) {
        if (card[record].used != 0) texts[record] = card::TextFromCp1250(MessageFileText(card[record]));
    }
    // A message moved to another position finds its record elsewhere.
    return card::AdoptCardEntries(incoming, card, [&](std::size_t position, std::size_t record) {
        return same(incoming[position], CardMessage{card[record], texts[record]});
    });
}

}  // namespace quillet::sms
