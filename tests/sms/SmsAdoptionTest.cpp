// Messages written back from a backup or a message file take the card's entry when they are the same
// message as far as their source can tell, so what the source cannot carry stays on the card.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sms/MessageBody.h"
#include "sms/PhoneMessages.h"
#include "sms/SmsAdoption.h"
#include "sms/SmsRecordCodec.h"

namespace quillet::sms {
namespace {

// A message to send as the card holds it: international numbers in the ISDN plan, a validity, and
// a message reference no file keeps.
SmsEntry CardMessage(std::uint16_t index) {
    SmsEntry entry = MakeEmptySmsEntry(index);
    entry.used = 1;
    SetMessageText(entry, U"Don't forget the tickets");
    SetFieldText(entry.serviceCentre, "420603052000");
    SetFieldText(entry.address, "420603987654");
    entry.addressTon = entry.centreTon = 1;
    entry.addressNpi = entry.centreNpi = 1;
    SetFieldText(entry.dateOrValidity, "7 days");
    entry.status = kStatusToSend;
    entry.messageRef = 42;
    return entry;
}

// The same message as the source gives it: a backup has no reference; a text line has no NPI and
// marks an entry as changed.
SmsEntry FromSource(const SmsEntry& card, MessageSource source) {
    SmsEntry entry = card;
    if (source == MessageSource::Backup) {
        entry.messageRef = 0;
    } else {
        entry.addressNpi = entry.centreNpi = 0;
        entry.modified = 1;
    }
    return entry;
}

struct Case {
    const char* change;
    std::function<void(SmsEntry& incoming, SmsEntry& card)> apply;
    bool adoptedFromBackup;
    bool adoptedFromTextFile;
};

TEST(SmsAdoption, AMessageIsAdoptedWhenItsSourceShowsNoDifference) {
    const Case cases[] = {
        {"nothing", [](SmsEntry&, SmsEntry&) {}, true, true},
        {"text", [](SmsEntry& in, SmsEntry&) { SetMessageText(in, U"Don't forget the ticket"); }, false, false},
        {"centre", [](SmsEntry& in, SmsEntry&) { SetFieldText(in.serviceCentre, "420603052001"); }, false, false},
        {"address", [](SmsEntry& in, SmsEntry&) { SetFieldText(in.address, "42060398765"); }, false, false},
        {"status", [](SmsEntry& in, SmsEntry&) { in.status = kStatusSent; }, false, false},
        {"validity", [](SmsEntry& in, SmsEntry&) { SetFieldText(in.dateOrValidity, "24 hours"); }, false, false},
        {"validity in other words", [](SmsEntry& in, SmsEntry&) { SetFieldText(in.dateOrValidity, "07 DAYS"); }, true,
         true},
        {"address national", [](SmsEntry& in, SmsEntry&) { in.addressTon = 0; }, false, false},
        {"centre national", [](SmsEntry& in, SmsEntry&) { in.centreTon = 0; }, false, false},
        // Both not international: a text line cannot tell 0 from 2.
        {"address type 2", [](SmsEntry& in, SmsEntry& card) { in.addressTon = 0, card.addressTon = 2; }, false, true},
        {"centre type 2", [](SmsEntry& in, SmsEntry& card) { in.centreTon = 0, card.centreTon = 2; }, false, true},
        {"address plan", [](SmsEntry& in, SmsEntry&) { in.addressNpi = 9; }, false, true},
        {"centre plan", [](SmsEntry& in, SmsEntry&) { in.centreNpi = 9; }, false, true},
        {"reference", [](SmsEntry& in, SmsEntry&) { in.messageRef = 43; }, true, false},
        // The file writer dates a message that has no date or validity with the time of writing.
        {"no date on the card",
         [](SmsEntry& in, SmsEntry& card) {
             SetFieldText(card.dateOrValidity, "");
             SetFieldText(in.dateOrValidity, "05.06.24 10:15");
         },
         false, true},
        {"validity where the card has none",
         [](SmsEntry& in, SmsEntry& card) {
             SetFieldText(card.dateOrValidity, "");
             SetFieldText(in.dateOrValidity, "1 day");
         },
         false, false},
        {"no date anywhere",
         [](SmsEntry& in, SmsEntry& card) {
             SetFieldText(card.dateOrValidity, "");
             SetFieldText(in.dateOrValidity, "");
         },
         true, true},
        {"unused on the card", [](SmsEntry&, SmsEntry& card) { card.used = 0; }, false, false},
        {"unused incoming", [](SmsEntry& in, SmsEntry&) { in.used = 0; }, false, false},
    };
    for (const MessageSource source : {MessageSource::Backup, MessageSource::TextFile}) {
        for (const Case& test : cases) {
            SCOPED_TRACE(std::string(test.change) + (source == MessageSource::Backup ? " (backup)" : " (text file)"));
            std::vector<SmsEntry> card = {CardMessage(0), CardMessage(1)};
            std::vector<SmsEntry> incoming = {FromSource(card[0], source), FromSource(card[1], source)};
            test.apply(incoming[1], card[1]);
            const SmsEntry before = incoming[1];
            const bool adopted = source == MessageSource::Backup ? test.adoptedFromBackup : test.adoptedFromTextFile;

            EXPECT_EQ(AdoptUnchangedMessages(incoming, card, source), adopted ? 2u : 1u);
            EXPECT_EQ(std::memcmp(&incoming[0], &card[0], sizeof(SmsEntry)), 0);
            const SmsEntry& expected = adopted ? card[1] : before;
            EXPECT_EQ(std::memcmp(&incoming[1], &expected, sizeof(SmsEntry)), 0);
        }
    }
}

// A file or backup holds the text in Windows-1250 and gives it back coded anew (UCS2 as the default
// alphabet where it can, no header): the card's message still counts as the same and keeps its bytes.
TEST(SmsAdoption, PhonesMessagesComeBackFromAFileAsTheCardHasThem) {
    for (const testing::PhoneMessage& message : testing::PhoneMessages()) {
        for (const MessageSource source : {MessageSource::Backup, MessageSource::TextFile}) {
            SCOPED_TRACE(message.name + (source == MessageSource::Backup ? " (backup)" : " (text file)"));
            const std::vector<SmsEntry> card = {DecodeSmsRecord(message.record, 0)};
            SmsEntry fromFile = FromSource(card[0], source);
            SetBodyUserData(fromFile, 0, false, {});
            ASSERT_TRUE(SetMessageFileText(fromFile, MessageFileText(card[0])));

            std::vector<SmsEntry> incoming = {fromFile};
            EXPECT_EQ(AdoptUnchangedMessages(incoming, card, source), 1u);
            EXPECT_EQ(std::memcmp(&incoming[0], &card[0], sizeof(SmsEntry)), 0);
            incoming = {fromFile};
            ASSERT_TRUE(SetMessageText(incoming[0], MessageText(fromFile) + U"!"));
            EXPECT_EQ(AdoptUnchangedMessages(incoming, card, source), 0u);
        }
    }
}

TEST(SmsAdoption, AMovedMessageFindsItsRecordAndEachRecordServesOneMessage) {
    // Swapped lines: each takes the other position's card entry and keeps its own index.
    std::vector<SmsEntry> card = {CardMessage(0), CardMessage(1), CardMessage(2)};
    SetMessageText(card[1], U"Another message");
    std::vector<SmsEntry> incoming = {card[1], card[0], card[0]};
    for (std::size_t i = 0; i < incoming.size(); ++i) incoming[i].index = static_cast<std::uint16_t>(i);
    card[2].used = 0;
    for (SmsEntry& entry : incoming) entry.modified = 1;
    EXPECT_EQ(AdoptUnchangedMessages(incoming, card, MessageSource::TextFile), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        SmsEntry expected = card[1 - i];
        expected.index = static_cast<std::uint16_t>(i);
        EXPECT_EQ(std::memcmp(&incoming[i], &expected, sizeof(SmsEntry)), 0) << i;
    }
    EXPECT_EQ(incoming[2].modified, 1u);  // card[0] went to position 1 already

    // Its own position comes first; a card with a marked entry gives it unmarked.
    incoming = {card[0], card[0], card[1]};
    for (SmsEntry& entry : incoming) entry.modified = 1;
    card[0].modified = 1;
    EXPECT_EQ(AdoptUnchangedMessages(incoming, card, MessageSource::Backup), 2u);
    EXPECT_EQ(incoming[0].modified, 0u);
    EXPECT_EQ(incoming[1].modified, 1u);
    EXPECT_EQ(incoming[2].modified, 0u);
    EXPECT_EQ(AdoptUnchangedMessages(incoming, {}, MessageSource::Backup), 0u);
}

}  // namespace
}  // namespace quillet::sms
