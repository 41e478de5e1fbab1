#include "sms/SmsAdoption.h"

#include <algorithm>

namespace quillet::sms {

namespace {

constexpr std::uint8_t kInternational = 1;

bool SameText(const SmsEntry& a, const SmsEntry& b) {
    return FieldText(a.text) == FieldText(b.text) && FieldText(a.serviceCentre) == FieldText(b.serviceCentre) &&
           FieldText(a.address) == FieldText(b.address) && a.status == b.status;
}

bool SameInBackup(const SmsEntry& incoming, const SmsEntry& card) {
    return SameText(incoming, card) && incoming.addressTon == card.addressTon &&
           incoming.addressNpi == card.addressNpi && incoming.centreTon == card.centreTon &&
           incoming.centreNpi == card.centreNpi && FieldText(incoming.dateOrValidity) == FieldText(card.dateOrValidity);
}

// A line shows a number's type only as a leading '+', and a message without a date gets the time the
// file was written.
bool SameInTextFile(const SmsEntry& incoming, const SmsEntry& card) {
    const std::string_view cardDate = FieldText(card.dateOrValidity);
    return SameText(incoming, card) && (incoming.addressTon == kInternational) == (card.addressTon == kInternational) &&
           (incoming.centreTon == kInternational) == (card.centreTon == kInternational) &&
           (cardDate.empty() || FieldText(incoming.dateOrValidity) == cardDate) &&
           incoming.messageRef == card.messageRef;
}

}  // namespace

std::size_t AdoptUnchangedMessages(std::span<SmsEntry> incoming, std::span<const SmsEntry> card, MessageSource source) {
    const auto same = source == MessageSource::Backup ? SameInBackup : SameInTextFile;
    std::size_t adopted = 0;
    for (std::size_t position = 0; position < std::min(incoming.size(), card.size()); ++position) {
        SmsEntry& entry = incoming[position];
        if (entry.used == 0 || card[position].used == 0 || !same(entry, card[position])) continue;
        entry = card[position];
        entry.modified = 0;
        ++adopted;
    }
    return adopted;
}

}  // namespace quillet::sms
