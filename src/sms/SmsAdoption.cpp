#include "sms/SmsAdoption.h"

#include <algorithm>

#include "card/GsmText.h"
#include "sms/MessageBody.h"

namespace quillet::sms {

namespace {

constexpr std::uint8_t kInternational = 1;

// Files and backups hold the text in Windows-1250: the card's message is compared as it comes back
// from one, so a UCS2 text or a concatenated part keeps its bytes after the trip.
bool SameText(const SmsEntry& incoming, const SmsEntry& onCard) {
    return card::TextFromCp1250(MessageFileText(onCard)) == MessageText(incoming) &&
           FieldText(incoming.serviceCentre) == FieldText(onCard.serviceCentre) &&
           FieldText(incoming.address) == FieldText(onCard.address) && incoming.status == onCard.status;
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
