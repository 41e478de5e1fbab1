// The 7-bit packing and the record codec beyond what the vector files cover: limits of the user
// data, the 256-byte window, the in-use rule, writing entries back and decoding a file image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "sms/SmsRecordCodec.h"
#include "sms/SmsUserData.h"

namespace quillet::sms {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 3GPP TS 23.038 6.1.2.1.1 example.
const Bytes kHelloHello = {0x0A, 0xE8, 0x32, 0x9B, 0xFD, 0x46, 0x97, 0xD9, 0xEC, 0x37};

std::string Decode(const Bytes& userData, std::size_t capacity = 200, std::uint8_t firstOctet = 0x04) {
    std::vector<char> text(capacity, 'x');
    const std::size_t length = DecodeUserData(text, userData, firstOctet);
    EXPECT_EQ(text.at(length), '\0');
    return text.data();
}

TEST(SmsUserData, PacksAndUnpacksTheStandardExample) {
    Bytes out(20, 0xFF);
    EXPECT_EQ(EncodeUserData("hellohello", out), 10u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), kHelloHello);
    EXPECT_EQ(out[10], 0xFF);  // nothing written past the packed text
    EXPECT_EQ(Decode(kHelloHello), "hellohello");
    EXPECT_EQ(Decode(kHelloHello, 5), "hell");                   // cut to capacity − 1
    EXPECT_EQ(Decode(kHelloHello, 200, 0x44), "");               // user-data header
    EXPECT_EQ(Decode({}), "");
}

TEST(SmsUserData, ReadsOnlyTheSeptetsPresent) {
    // "ABCDEFGH" fills exactly seven bytes; its last septet sits wholly in the last byte.
    const Bytes packed = {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91};
    EXPECT_EQ(UnpackSeptet(packed, 7), 'H');
    EXPECT_EQ(UnpackSeptet(packed, 8), 0);  // beyond the data
    Bytes userData = {0xFF};                // TP-UDL claims 255 septets
    userData.insert(userData.end(), packed.begin(), packed.end());
    EXPECT_EQ(Decode(userData), "ABCDEFGH");
    userData.pop_back();  // the last byte gone: its septet and the one before it cannot be read
    EXPECT_EQ(Decode(userData), "ABCDEF");
}

TEST(SmsUserData, ForeignCharactersBecomeQuestionMarks) {
    Bytes out(20, 0);
    EXPECT_EQ(EncodeUserData("a\tb\xE9@~", out), 6u);
    EXPECT_EQ(Decode(out), "a?b?@~");
    EXPECT_EQ(SeptetOfChar('@'), 0);
    EXPECT_EQ(SeptetOfChar('\n'), '?');
}

TEST(SmsUserData, WritesNoMoreThan160SeptetsOrTheSpaceGiven) {
    const std::string longText(199, 'z');
    Bytes out(200, 0);
    EXPECT_EQ(EncodeUserData(longText, out), kMaxSeptets);
    EXPECT_EQ(out[0], 160);
    Bytes small(8, 0);  // TP-UDL and 7 bytes: 8 septets
    EXPECT_EQ(EncodeUserData(longText, small), 8u);
    EXPECT_EQ(Decode(small), "zzzzzzzz");
    Bytes none;
    EXPECT_EQ(EncodeUserData(longText, none), 0u);
}

TEST(SmsRecord, InUseRuleLooksAtTheLowStatusBits) {
    for (std::uint8_t status : {0x00, 0xFF, 0x08, 0xF8, 0x10}) {
        EXPECT_FALSE(IsSmsRecordInUse(Bytes{status, 0x00})) << int(status);
        EXPECT_EQ(DecodeSmsRecord(Bytes{status, 0x00}, 4).used, 0u);
    }
    const std::pair<std::uint8_t, std::uint32_t> used[] = {{0x01, 0}, {0x03, 1}, {0x05, 2}, {0x07, 3}, {0x0D, 2}};
    for (auto [status, expected] : used) {
        EXPECT_TRUE(IsSmsRecordInUse(Bytes{status}));
        EXPECT_EQ(DecodeSmsRecord(Bytes{status}, 0).status, expected) << int(status);
    }
    EXPECT_FALSE(IsSmsRecordInUse(Bytes{}));
}

TEST(SmsRecord, LooksAtNoMoreThan256Bytes) {
    // 255 address digits push TP-UDL to offset 142; the user data (all septet 0, '@') then has
    // 113 bytes inside the window, enough for 129 septets of the 255 announced.
    Bytes record(300, 0x00);
    record[0] = 0x01;
    record[2] = 0x04;
    record[3] = 0xFF;
    record[4] = 0x81;
    record[142] = 0xFF;
    const SmsEntry entry = DecodeSmsRecord(record, 0);
    EXPECT_EQ(FieldText(entry.address), std::string(20, '0'));
    EXPECT_EQ(FieldText(entry.text), std::string(129, '@'));
}

SmsEntry Message(std::uint32_t status, const char* date, const char* text) {
    SmsEntry entry = MakeEmptySmsEntry(3);
    entry.used = 1;
    entry.status = status;
    SetFieldText(entry.address, "5551234");
    SetFieldText(entry.dateOrValidity, date);
    SetFieldText(entry.text, text);
    return entry;
}

TEST(SmsRecord, WritesStatusTimeAndValidityAsTheMessageKindNeeds) {
    Bytes record(kSmsRecordLength);
    // Received: the status byte from the status; a text that is no date gives a zero time stamp.
    const std::pair<std::uint32_t, std::uint8_t> statusBytes[] = {{0, 0x01}, {1, 0x03}, {2, 0x05}, {3, 0x07}};
    for (auto [status, byte] : statusBytes) {
        ASSERT_EQ(EncodeSmsRecord(Message(status, "", "x"), record), SmsEncodeResult::kOk);
        EXPECT_EQ(record[0], byte);
    }
    ASSERT_EQ(EncodeSmsRecord(Message(0, "7 days", "hi"), record), SmsEncodeResult::kOk);
    EXPECT_EQ(Bytes(record.begin() + 11, record.begin() + 18), Bytes(7, 0x00));
    EXPECT_EQ(FieldText(DecodeSmsRecord(record, 0).dateOrValidity), "00.00.00 00:00");
    // To send: a text that parses as neither gives no validity at all.
    ASSERT_EQ(EncodeSmsRecord(Message(3, "soon", "hi"), record), SmsEncodeResult::kOk);
    EXPECT_EQ(record[2], 0x01);
    EXPECT_EQ(FieldText(DecodeSmsRecord(record, 0).dateOrValidity), "");
    // A normalised date is kept by both kinds.
    for (std::uint32_t status : {0u, 3u}) {
        ASSERT_EQ(EncodeSmsRecord(Message(status, "1.2.2003 4:05", "hi"), record), SmsEncodeResult::kOk);
        EXPECT_EQ(FieldText(DecodeSmsRecord(record, 0).dateOrValidity), "01.02.03 04:05");
    }
}

TEST(SmsRecord, WritingReportsWhatDidNotFit) {
    Bytes record(kSmsRecordLength);
    const std::string longText(199, 'q');
    EXPECT_EQ(EncodeSmsRecord(Message(3, "", longText.c_str()), record), SmsEncodeResult::kTextShortened);
    EXPECT_EQ(FieldText(DecodeSmsRecord(record, 0).text), std::string(160, 'q'));

    Bytes tooShort(12, 0x42);
    EXPECT_EQ(EncodeSmsRecord(Message(0, "", "hi"), tooShort), SmsEncodeResult::kRecordTooShort);
    EXPECT_EQ(tooShort, Bytes(12, 0x42));  // untouched

    Bytes freed(kSmsRecordLength, 0x42);
    EXPECT_EQ(EncodeSmsRecord(MakeEmptySmsEntry(0), freed), SmsEncodeResult::kOk);
    EXPECT_EQ(freed[0], 0x00);
    EXPECT_EQ(std::count(freed.begin(), freed.end(), 0xFF), static_cast<long>(kSmsRecordLength - 1));
}

TEST(SmsRecord, FieldsWithoutTerminatorStopAtTheirSize) {
    SmsEntry entry = Message(3, "", "hi");
    std::memset(entry.address, '1', sizeof(entry.address));  // runs into addressTon
    std::memset(entry.serviceCentre, '2', sizeof(entry.serviceCentre));
    Bytes record(kSmsRecordLength);
    ASSERT_EQ(EncodeSmsRecord(entry, record), SmsEncodeResult::kOk);
    const SmsEntry back = DecodeSmsRecord(record, 0);
    EXPECT_EQ(FieldText(back.address), std::string(20, '1'));
    EXPECT_EQ(FieldText(back.serviceCentre), std::string(20, '2'));
}

TEST(SmsRecord, FileImageFillsTheEntriesThatFit) {
    // Three records of 176 bytes: in use, free, in use; the image's last record is cut short.
    Bytes image = {3, 176};
    const Bytes first = {0x07, 0x00, 0x01, 0x09, 0x04, 0x81, 0x21, 0x43, 0x00, 0x00, 0x00, 0x00};
    image.insert(image.end(), first.begin(), first.end());
    image.resize(2 + 176, 0xFF);
    image.push_back(0x00);
    image.resize(2 + 2 * 176, 0xFF);
    image.push_back(0x03);

    std::vector<SmsEntry> entries(5, Message(1, "", "old"));
    EXPECT_EQ(DecodeSmsFileImage(image, entries), 3u);
    EXPECT_EQ(entries[0].used, 1u);
    EXPECT_EQ(entries[0].messageRef, 9u);
    EXPECT_EQ(FieldText(entries[0].address), "1234");
    EXPECT_EQ(entries[1].used, 0u);
    EXPECT_EQ(entries[2].used, 1u);
    EXPECT_EQ(entries[2].status, 1u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].index, i);
        EXPECT_EQ(FieldText(entries[i].text), "");
    }
    std::vector<SmsEntry> two(2);
    EXPECT_EQ(DecodeSmsFileImage(image, two), 2u);
    EXPECT_EQ(DecodeSmsFileImage(Bytes{0, 0}, two), 0u);
    EXPECT_EQ(DecodeSmsFileImage(Bytes{}, two), 0u);
}

TEST(SmsRecord, StatusWordsComeFromTheStringTable) {
    EXPECT_EQ(SmsStatusListText(1), "Rcvd.");
    EXPECT_EQ(SmsStatusListText(3), "To send");
    EXPECT_EQ(SmsStatusDetailText(1), "Received");
    EXPECT_EQ(SmsStatusDetailText(3), "To be sent");
    EXPECT_EQ(SmsStatusListText(4), "");
}

}  // namespace
}  // namespace quillet::sms
