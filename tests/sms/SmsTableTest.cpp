// A message window's document without a card: pasted text, the private payload and the details
// dialog's fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card/GsmText.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsTable.h"
#include "support/ScriptedUserInterface.h"

namespace quillet::sms {
namespace {

using card::RowSelection;
using testing::ScriptedUserInterface;

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }
std::string Utf8(const SmsEntry& entry) { return card::Utf8FromText(MessageText(entry)); }

const SmsTableSettings kSettings{false, "+420603052000", 167};

TEST(SmsTablePaste, EachLineBecomesAMessageToSendFromTheFocusedRow) {
    const std::string cyrillic100 = [] {
        std::string text;
        for (int i = 0; i < 100; ++i) text += "ж";
        return text;
    }();
    const struct {
        std::string text;
        long focused;
        std::vector<std::string> messages;  // the texts from the focused row on
        std::uint32_t shown;
    } cases[] = {
        {"one\r\n\r\n  two\n\tthree", 97, {"one", "two"}, 5505},  // the third line finds no row
        {std::string(200, 'a'), 0, {std::string(159, 'a')}, 0},
        {cyrillic100 + "\r\n", 0, {cyrillic100.substr(0, 140)}, 0},  // 70 characters in UCS2
        {"\r\nx \r\n", 5, {"", "x "}, 0},                            // an empty first line is a message
    };
    for (const auto& c : cases) {
        ScriptedUserInterface ui;
        SmsTable table(ui);
        table.SetSettings(kSettings);
        table.PasteText(c.text, RowSelection{{}, c.focused});
        EXPECT_EQ(table.SelectAll().size(), c.messages.size()) << c.text;
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            const SmsEntry& entry = table.At(static_cast<std::size_t>(c.focused) + i);
            EXPECT_EQ(Utf8(entry), c.messages[i]) << c.text;
            EXPECT_EQ(entry.index, c.focused + static_cast<long>(i));
            EXPECT_EQ(entry.status, kStatusToSend);
            EXPECT_EQ(entry.modified, 1u);
            EXPECT_EQ(table.DetailOf(entry.index).centre, "+420603052000");
            EXPECT_EQ(FieldText(entry.dateOrValidity), "24 hours");
        }
        ASSERT_EQ(ui.messages.size(), c.shown != 0 ? 1u : 0u) << c.text;
        if (c.shown != 0) {
            EXPECT_EQ(ui.messages[0].first, Text(c.shown));
        }
    }

    // Used positions are overwritten only when agreed, and asked about once.
    ScriptedUserInterface ui;
    SmsTable table(ui);
    table.PasteText("a\nb\nc", RowSelection{{}, 0});
    table.PasteText("x\ny", RowSelection{{}, 1});
    ui.answers = {card::Answer::Yes};
    table.PasteText("x\ny", RowSelection{{}, 0});
    EXPECT_EQ(ui.questions, (std::vector<std::string>{Text(57586), Text(57586)}));
    EXPECT_EQ(Utf8(table.At(0)) + Utf8(table.At(1)) + Utf8(table.At(2)), "xyc");
}

// One message as the payload carries it, assembled by hand.
const std::vector<std::uint8_t> kOneMessage = {
    0x07, 0,    0,    0,                       // source
    0x05, 0,    0,    0,                       // index
    0x01, 0,    0,    0,                       // used
    0x06, 0x00, 0x00, 0x02, 0x02, 0xC8, 0x34,  // body: DCS, flags, 2 octets, 2 septets "Hi"
    0x03, '1',  '2',  '3',                     // centre
    0x02, '4',  '5',                           // address
    0x01, 0x01, 0x01, 0x01,                    // TON/NPI of address and centre
    0x06, '7',  ' ',  'd',  'a',  'y',  's',   // validity
    0x03, 0,    0,    0,                       // to be sent
    0x01, 0,    0,    0,                       // modified
    0xFF, 0xFF, 0xFF, 0xFF,                    // end
};

TEST(SmsPayload, OneMessageRoundTripsAndEveryDamageIsRefused) {
    const std::optional<SmsPayload> payload = ParseSmsPayload(kOneMessage);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->source, 7u);
    ASSERT_EQ(payload->entries.size(), 1u);
    const SmsEntry& entry = payload->entries[0];
    EXPECT_EQ(entry.index, 5);
    EXPECT_EQ(Utf8(entry), "Hi");
    EXPECT_EQ(FieldText(entry.serviceCentre), "123");
    EXPECT_EQ(FieldText(entry.address), "45");
    EXPECT_EQ(FieldText(entry.dateOrValidity), "7 days");
    EXPECT_EQ(entry.status + entry.modified + entry.messageRef, 4u);
    EXPECT_EQ(PackSmsPayload(7, payload->entries), kOneMessage);
    EXPECT_EQ(SmsEntriesAsText(std::vector<SmsEntry>{entry, MakeEmptySmsEntry(6), entry}), "Hi\r\n\r\nHi\r\n");

    for (std::size_t length = 0; length < kOneMessage.size(); ++length) {
        EXPECT_FALSE(ParseSmsPayload(std::span(kOneMessage).first(length))) << length;
    }
    const struct {
        std::size_t offset;
        std::uint8_t value;
    } damages[] = {
        {6, 0x01},   // an index beyond any record number
        {15, 0x03},  // an octet count other than what follows
        {20, 'x'},   // a centre of other than dialling characters
        {37, 0x04},  // status 4
    };
    for (const auto& damage : damages) {
        std::vector<std::uint8_t> bytes = kOneMessage;
        bytes[damage.offset] = damage.value;
        EXPECT_FALSE(ParseSmsPayload(bytes)) << damage.offset;
    }
    // Fields longer than an entry keeps: a body of 141 octets, an address of 21 digits.
    const std::vector<std::uint8_t> head(kOneMessage.begin(), kOneMessage.begin() + 12);
    std::vector<std::uint8_t> longBody = head;
    longBody.insert(longBody.end(), {145, 0x04, 0x00, 141, 160});
    longBody.resize(longBody.size() + 141, 0x41);
    longBody.insert(longBody.end(), kOneMessage.begin() + 19, kOneMessage.end());
    EXPECT_FALSE(ParseSmsPayload(longBody));
    std::vector<std::uint8_t> longAddress(kOneMessage.begin(), kOneMessage.begin() + 23);
    longAddress.push_back(21);
    longAddress.resize(longAddress.size() + 21, '5');
    longAddress.insert(longAddress.end(), kOneMessage.begin() + 26, kOneMessage.end());
    EXPECT_FALSE(ParseSmsPayload(longAddress));
}

SmsEntry Message(std::uint32_t status, std::string_view when) {
    SmsEntry entry = MakeEmptySmsEntry(0);
    entry.used = 1;
    entry.status = status;
    SetFieldText(entry.serviceCentre, "420603052000");
    entry.centreTon = 1;
    SetFieldText(entry.dateOrValidity, when);
    return entry;
}

std::string Shown(const SmsDetailsForm& form) {
    const SmsDetailsFields& f = form.Fields();
    return std::to_string(f.status) + "|" + f.dateOrValidity + "|" + std::to_string(f.validityChoice) + "|" +
           (f.validityEnabled ? "on" : "off");
}

TEST(SmsDetailsForm, StatusAndValidityFollowEachOther) {
    std::tm now{};
    now.tm_min = 58;
    now.tm_hour = 21;
    now.tm_mday = 7;
    now.tm_mon = 11;
    now.tm_year = 126;
    SmsDetailsForm received(Message(kStatusRead, "03.12.01 14:25"));
    EXPECT_EQ(Shown(received), "0|03.12.01 14:25|-1|off");
    EXPECT_EQ(received.Fields().centre, "+420603052000");
    received.ChangeStatus(kStatusToSend, now);
    EXPECT_EQ(Shown(received), "3|7 days|2|on");
    received.ChangeStatus(kStatusUnread, now);  // its own time stamp comes back
    EXPECT_EQ(Shown(received), "1|03.12.01 14:25|-1|off");
    received.ChooseValidity(1);
    EXPECT_EQ(Shown(received), "3|24 hours|1|on");

    SmsDetailsForm sent(Message(kStatusSent, "12 hours"));
    EXPECT_EQ(Shown(sent), "2|12 hours|-1|on");  // no standard choice is exactly 12 hours
    sent.ChangeStatus(kStatusToSend, now);
    EXPECT_EQ(Shown(sent), "3|12 hours|1|on");
    sent.ChangeStatus(kStatusRead, now);  // never had a time stamp: now
    EXPECT_EQ(Shown(sent), "0|07.12.26 21:58|-1|off");

    ScriptedUserInterface ui;
    SmsEntry entry = Message(kStatusSent, "12 hours");
    for (const std::string& centre : std::vector<std::string>{"+1234x", "+" + std::string(21, '1')}) {
        sent.SetCentre(centre);
        EXPECT_FALSE(sent.Apply(entry, ui)) << centre;
    }
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].first, Text(57660));
    sent.SetCentre("4930");
    ASSERT_TRUE(sent.Apply(entry, ui));
    EXPECT_EQ(entry.status, kStatusRead);
    EXPECT_EQ(FieldText(entry.serviceCentre), "4930");
    EXPECT_EQ(entry.centreTon, 0);
    EXPECT_EQ(FieldText(entry.dateOrValidity), "07.12.26 21:58");
}

}  // namespace
}  // namespace quillet::sms
