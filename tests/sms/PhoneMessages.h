#pragma once

// EF_SMS records as phones write them, assembled with the virtual card's encoders (never the
// program's own), and the text a phone shows for each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/CardEncoding.h"

namespace quillet::testing {

struct PhoneMessage {
    std::string name;
    std::vector<std::uint8_t> record;
    std::string text;   // UTF-8, what a phone shows
    std::string shown;  // the list's text: with " (part n of m)" for a part
    std::string file;   // Windows-1250, as files and backups hold the text
};

inline std::vector<std::uint8_t> PhoneRecord(const sim::SmsUserData& data) {
    sim::SmsDeliver deliver;
    deliver.originator = "+420603111222";
    deliver.timeStamp = {2024, 3, 9, 18, 30, 0, 0};  // the date text keeps neither seconds nor zone
    deliver.userData = data;
    const auto tpdu = sim::EncodeSmsDeliver(deliver);
    EXPECT_TRUE(tpdu.has_value());
    return sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", tpdu.value_or(std::vector<std::uint8_t>{}))
        .value_or(std::vector<std::uint8_t>{});
}

inline sim::SmsUserData PhoneGsm7(const std::string& utf8, std::span<const std::uint8_t> header = {}) {
    const auto septets = sim::ToGsmSeptets(utf8);
    EXPECT_TRUE(septets.has_value()) << utf8;
    return sim::EncodeGsm7UserData(septets.value_or(std::vector<std::uint8_t>{}), header).value_or(sim::SmsUserData{});
}

inline sim::SmsUserData PhoneUcs2(const std::string& utf8, std::span<const std::uint8_t> header = {}) {
    const auto units = sim::ToUcs2(utf8);
    EXPECT_TRUE(units.has_value()) << utf8;
    return sim::EncodeUcs2UserData(units.value_or(std::u16string{}), header).value_or(sim::SmsUserData{});
}

// The messages that showed wrongly while texts were read as plain ASCII.
inline std::vector<PhoneMessage> PhoneMessages() {
    const auto part = sim::ConcatenationElement(0x42, 2, 1);
    const auto ucs2Part = sim::ConcatenationElement(0x07, 3, 3);
    return {
        {"concatenated", PhoneRecord(PhoneGsm7("Part one", part)), "Part one", "Part one (part 1 of 2)", "Part one"},
        {"ucs2", PhoneRecord(PhoneUcs2("Příliš žluťoučký")), "Příliš žluťoučký", "Příliš žluťoučký",
         "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD"},
        {"ucs2-part", PhoneRecord(PhoneUcs2("Ωmega", ucs2Part)), "Ωmega", "Ωmega (part 3 of 3)", ".mega"},
        {"extension-and-letters", PhoneRecord(PhoneGsm7("Price 5€ @ café_$")), "Price 5€ @ café_$", "Price 5€ @ café_$",
         "Price 5\x80 @ caf\xE9_$"},
        {"line-feed", PhoneRecord(PhoneGsm7("Line one\nLine two")), "Line one\nLine two", "Line one\nLine two",
         "Line one\nLine two"},
    };
}

}  // namespace quillet::testing
