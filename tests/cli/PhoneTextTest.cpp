// A card written by phones, read with quillet-cli onto a terminal: it shows the phone's text. (Files
// get Windows-1250 and keep the card's bytes: the file round trip tests and the file formats' own.)
#include <gtest/gtest.h>

#include <clocale>

#include "CliOnCard.h"
#include "card/GsmText.h"
#include "sim/CardEncoding.h"

namespace quillet::cli {
namespace {

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kAdn = 0x6F3A;
constexpr std::uint16_t kSms = 0x6F3C;
constexpr std::size_t kAlphaLength = 16;  // the demo card's ADN records are 30 bytes

using Bytes = std::vector<std::uint8_t>;

// A name's bytes as a phone stores them, then "+420603123456".
Bytes AdnRecord(const Bytes& name) {
    Bytes record(kAlphaLength + 14, 0xFF);
    std::copy(name.begin(), name.end(), record.begin());
    const Bytes number = {0x07, 0x91, 0x24, 0x60, 0x30, 0x21, 0x43, 0x65};
    std::copy(number.begin(), number.end(), record.begin() + kAlphaLength);
    return record;
}

Bytes Received(const sim::SmsUserData& data) {
    sim::SmsDeliver message;
    message.originator = "+420777123456";
    message.timeStamp = {2026, 12, 7, 9, 30, 15, 4};
    message.userData = data;
    return *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", *sim::EncodeSmsDeliver(message));
}

sim::SmsUserData Gsm7(std::string_view utf8, std::span<const std::uint8_t> header = {}) {
    return *sim::EncodeGsm7UserData(*sim::ToGsmSeptets(utf8), header);
}

// The demo card with the first records holding what phones wrote.
sim::SimProfile PhoneWrittenCard() {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    const std::vector<Bytes> names = {
        {0x80, 0x00, 0x4A, 0x00, 0xFC, 0x00, 0x72, 0x00, 0x67, 0x00, 0x65, 0x00, 0x6E},  // Jürgen
        {0x81, 0x04, 0x02, 0x8C, 0x65, 0x63, 0x68},                                      // Čech
        {0x82, 0x05, 0x01, 0x00, 0xD8, 0x65, 0x68, 0x6F, 0xD9},                          // Řehoř
        {0x6D, 0x65, 0x00, 0x68, 0x6F, 0x6D, 0x65},                                      // me@home
        {0x4D, 0x7E, 0x6C, 0x6C, 0x65, 0x72, 0x11, 0x02},                                // Müller_$
        {0x35, 0x1B, 0x65, 0x20, 0x64, 0x65, 0x61, 0x6C},                                // 5€ deal
    };
    auto& adn = profile.FindFile(kTelecom, kAdn)->records;
    for (std::size_t i = 0; i < names.size(); ++i) adn[i] = AdnRecord(names[i]);

    const auto part = sim::ConcatenationElement(0x42, 2, 1);
    const std::vector<Bytes> messages = {
        Received(Gsm7("Part one", part)),
        Received(*sim::EncodeUcs2UserData(u"Příliš žluťoučký")),
        Received(Gsm7("Price 5€ @ café_$")),
        Received(Gsm7("Two\nlines")),
    };
    auto& sms = profile.FindFile(kTelecom, kSms)->records;
    for (std::size_t i = 0; i < messages.size(); ++i) sms[i] = messages[i];
    return profile;
}

// Runs the command with LC_CTYPE of `codeset`, as a terminal of that character set would.
class LocaleScope {
public:
    explicit LocaleScope(const char* locale) : m_old(std::setlocale(LC_CTYPE, nullptr)) {
        std::setlocale(LC_CTYPE, locale);
    }
    ~LocaleScope() { std::setlocale(LC_CTYPE, m_old.c_str()); }

private:
    std::string m_old;
};

class PhoneText : public testing::CliOnCard {
protected:
    PhoneText() : CliOnCard({"--pin", "1234"}) {}
    void SetUp() override { Save(PhoneWrittenCard()); }
};

TEST_F(PhoneText, ATerminalShowsWhatThePhoneShows) {
    const LocaleScope utf8("C.UTF-8");
    ASSERT_EQ(Run({"phonebook", "read"}, OutputKind::Terminal), kExitOk) << err.str();
    for (const char* name :
         {"1\tJürgen\t", "2\tČech\t", "3\tŘehoř\t", "4\tme@home\t", "5\tMüller_$\t", "6\t5€ deal\t"}) {
        EXPECT_NE(out.str().find(name), std::string::npos) << name << '\n' << out.str();
    }
    ASSERT_EQ(Run({"sms", "read"}, OutputKind::Terminal), kExitOk) << err.str();
    for (const char* text :
         {">Part one (part 1 of 2)\n", ">Příliš žluťoučký\n", ">Price 5€ @ café_$\n", ">Two\n\tlines\n"}) {
        EXPECT_NE(out.str().find(text), std::string::npos) << text << '\n' << out.str();
    }
}

}  // namespace
}  // namespace quillet::cli
