#pragma once

#include <string>
#include <vector>

#include "sim/CardEncoding.h"
#include "sim/DemoCard.h"

namespace quillet::testing {

// The demo card with its last phone-book records and messages replaced by every shape a card may
// hold, assembled byte by byte: what phones and other editors write, not what this program writes.
inline sim::SimProfile BuildEveryShapeCard() {
    sim::SimProfile profile = sim::BuildDemoSimProfile();

    // A dialling record of the demo card's 30 bytes: 16 name bytes, length, TON/NPI, 10 digit
    // bytes, capability and extension identifiers.
    const auto record = [](std::string name, std::vector<std::uint8_t> number, std::uint8_t capability = 0xFF) {
        std::vector<std::uint8_t> bytes(30, 0xFF);
        std::copy(name.begin(), name.end(), bytes.begin());
        if (number.empty()) {
            bytes[16] = 0x01;  // no digits, TON/NPI left as 0xFF
        } else {
            bytes[16] = static_cast<std::uint8_t>(number.size());
            std::copy(number.begin(), number.end(), bytes.begin() + 17);
        }
        bytes[28] = capability;
        return bytes;
    };
    std::vector<std::vector<std::uint8_t>> shapes = {
        record("Plain", {0x91, 0x24, 0x03, 0x21, 0x43, 0xF5}),
        record("", {0x81, 0x60, 0x32, 0x54, 0xF6}),                                          // nameless
        record("Name only", {}),                                                             // no number
        record(std::string("\x80\x04\x1F\x04\x35\x04\x42\x04\x40", 9), {0x81, 0x21, 0xF3}),  // UCS2 "Петр"
        record(std::string("\x81\x03\x08\x8C\x65\x63", 6), {0x81, 0x21, 0xF3}),              // UCS2 0x81 form
        record(std::string("me\0home", 7), {0x91, 0x44, 0x20, 0x79, 0x46}),                  // '@' is 0x00
        record("  Indented", {0x81, 0x10, 0x32}),                                            // leading blanks
        record("5\x1B"
               "e deal",
               {0x81, 0x10, 0x32}),  // extension table: €
        record("\xD8"
               "eho\xF8",
               {0x81, 0x10, 0x32}),                       // Windows-1250 bytes
        record("Tab\tLine\nCR\r", {0x81, 0x10, 0x32}),    // Ç, LF and CR of GSM
        record("Unknown type", {0x01, 0x10, 0x32}),       // TON 0, NPI 0
        record("National", {0xA1, 0x10, 0x32}),           // TON 2
        record("Codes", {0x81, 0xBA, 0xC1, 0xED, 0xF2}),  // * # p D E
        record("Twenty digits", {0x81, 0x21, 0x43, 0x65, 0x87, 0x09, 0x21, 0x43, 0x65, 0x87, 0x09}),
        record("With capability", {0x81, 0x10, 0x32}, 0x01),
        record("Sixteen bytes ok", {0x81, 0x10, 0x32}),
        record("Plus only", {0x91}),  // international, no digits
    };
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    std::copy(shapes.begin(), shapes.end(), adn.end() - static_cast<std::ptrdiff_t>(shapes.size()));

    // Messages: received and sent, numbers of every type, texts of every coding.
    const auto septets = [](std::string_view text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    const sim::SmsTimeStamp stamp{2026, 12, 7, 9, 30, 15, 4};
    const auto deliver = [&](std::string originator, sim::SmsUserData data) {
        sim::SmsDeliver message;
        message.originator = std::move(originator);
        message.timeStamp = stamp;
        message.userData = std::move(data);
        return *sim::EncodeSmsDeliver(message);
    };
    const auto submit = [&](std::string destination, std::uint8_t reference, std::optional<std::uint8_t> validity,
                            sim::SmsUserData data) {
        sim::SmsSubmit message;
        message.destination = std::move(destination);
        message.messageReference = reference;
        message.relativeValidity = validity;
        message.userData = std::move(data);
        return *sim::EncodeSmsSubmit(message);
    };
    const auto gsm7 = [&](std::string_view text) { return *sim::EncodeGsm7UserData(septets(text)); };
    const auto concatenation = sim::ConcatenationElement(0x42, 2, 1);
    std::vector<std::vector<std::uint8_t>> messages = {
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", deliver("+420777123456", gsm7("Plain text"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Unread, "+420603052000", deliver("0777123456", gsm7("National"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "", deliver("+420777123456", gsm7("No centre"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000",
                              deliver("+420777123456", gsm7("Two\nlines\rand\ta tab"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", deliver("+420777123456", gsm7(""))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000",
                              deliver("+420777123456", *sim::EncodeUcs2UserData(u"P\u0159\u00edli\u0161"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000",
                              deliver("+420777123456", *sim::EncodeGsm7UserData(septets("Part one"), concatenation))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Sent, "+420603052000",
                              submit("+420777123456", 17, 0xA7, gsm7("Sent one"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::ToBeSent, "+420603052000",
                              submit("+420777123456", 200, 0xAD, gsm7("Waiting to go"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::ToBeSent, "+420603052000",
                              submit("+420777123456", 5, std::nullopt, gsm7("No validity"))),
        *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", deliver("*#123#", gsm7("Service codes"))),
    };
    // An alphanumeric originator (TON 5): "Info" in packed septets, in place of the 8 address bytes
    // of "+420777123456" after the first octet.
    std::vector<std::uint8_t> alphanumeric = deliver("+420777123456", gsm7("From a name"));
    std::vector<std::uint8_t> infoAddress = {0x08, 0xD0};
    const std::vector<std::uint8_t> info = sim::PackSeptets(septets("Info"));
    infoAddress.insert(infoAddress.end(), info.begin(), info.end());
    alphanumeric.erase(alphanumeric.begin() + 1, alphanumeric.begin() + 1 + 8);
    alphanumeric.insert(alphanumeric.begin() + 1, infoAddress.begin(), infoAddress.end());
    messages.push_back(*sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", alphanumeric));

    auto& sms = profile.FindFile(0x7F10, 0x6F3C)->records;
    std::copy(messages.begin(), messages.end(), sms.end() - static_cast<std::ptrdiff_t>(messages.size()));
    return profile;
}

}  // namespace quillet::testing
