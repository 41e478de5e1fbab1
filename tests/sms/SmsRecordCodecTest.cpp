// The 7-bit packing and what the record vectors cannot show: limits of the user data, the 256-byte
// window, writing entries the vectors do not hold, and decoding a file image.
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

std::string Decode(const Bytes& userData, std::size_t capacity = 200, std::uint8_t firstOctet = 0x04) {
    std::vector<char> text(capacity, 'x');
    EXPECT_EQ(text.at(DecodeUserData(text, userData, firstOctet)), '\0');
    return text.data();
}

TEST(SmsUserData, PacksAndUnpacksTheStandardExample) {
    const Bytes example = {0x0A, 0xE8, 0x32, 0x9B, 0xFD, 0x46, 0x97, 0xD9, 0xEC, 0x37};  // 3GPP TS 23.038
    Bytes out(12, 0xFF);
    EXPECT_EQ(EncodeUserData("hellohello", out), 10u);
    EXPECT_EQ(out, (Bytes{0x0A, 0xE8, 0x32, 0x9B, 0xFD, 0x46, 0x97, 0xD9, 0xEC, 0x37, 0xFF, 0xFF}));
    EXPECT_EQ(Decode(example), "hellohello");
    EXPECT_EQ(Decode(example, 5), "hell");
    EXPECT_EQ(Decode(example, 200, 0x44), "");  // user-data header
    EXPECT_EQ(Decode({}), "");
    EXPECT_EQ(EncodeUserData("a\tb\xE9@~", out), 6u);
    EXPECT_EQ(Decode(out), "a?b?@~");
}

TEST(SmsUserData, ReadsOnlyTheSeptetsPresent) {
    // "ABCDEFGH" fills exactly seven bytes; its last septet lies wholly in the last byte.
    const Bytes packed = {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91};
    EXPECT_EQ(UnpackSeptet(packed, 7), 'H');
    EXPECT_EQ(UnpackSeptet(packed, 8), 0);
    Bytes userData = {0xFF};  // TP-UDL claims 255 septets
    userData.insert(userData.end(), packed.begin(), packed.end());
    EXPECT_EQ(Decode(userData), "ABCDEFGH");
    userData.pop_back();
    EXPECT_EQ(Decode(userData), "ABCDEF");
}

TEST(SmsRecord, LooksAtNoMoreThan256Bytes) {
    // 255 address digits push TP-UDL to offset 142; of the 255 septets announced (all 0, '@')
    // 113 bytes lie inside the window, which hold 129 septets.
    Bytes record(300, 0x00);
    record[0] = 0x01, record[2] = 0x04, record[3] = 0xFF, record[4] = 0x81, record[142] = 0xFF;
    const SmsEntry entry = DecodeSmsRecord(record, 0);
    EXPECT_EQ(FieldText(entry.address), std::string(20, '0'));
    EXPECT_EQ(FieldText(entry.text), std::string(129, '@'));
}

SmsEntry Message(std::uint32_t status, const char* date, const std::string& text) {
    SmsEntry entry = MakeEmptySmsEntry(3);
    entry.used = 1;
    entry.status = status;
    SetFieldText(entry.address, "5551234");
    SetFieldText(entry.dateOrValidity, date);
    SetFieldText(entry.text, text);
    return entry;
}

TEST(SmsRecord, WritesTheTimeFieldTheMessageKindHas) {
    Bytes record(kSmsRecordLength);
    // Received with a validity text: zero time stamp at offset 11.
    ASSERT_EQ(EncodeSmsRecord(Message(0, "7 days", "hi"), record), SmsEncodeResult::kOk);
    EXPECT_EQ(Bytes(record.begin() + 11, record.begin() + 18), Bytes(7, 0x00));
    // To send with a text that is neither: validity format 0.
    ASSERT_EQ(EncodeSmsRecord(Message(3, "soon", "hi"), record), SmsEncodeResult::kOk);
    EXPECT_EQ(record[2], 0x01);
    for (std::uint32_t status : {0u, 3u}) {
        ASSERT_EQ(EncodeSmsRecord(Message(status, "1.2.2003 4:05", "hi"), record), SmsEncodeResult::kOk);
        EXPECT_EQ(FieldText(DecodeSmsRecord(record, 0).dateOrValidity), "01.02.03 04:05");
    }
}

TEST(SmsRecord, WritingReportsWhatDidNotFit) {
    Bytes record(kSmsRecordLength);
    SmsEntry entry = Message(3, "", std::string(199, 'q'));
    EXPECT_EQ(EncodeSmsRecord(entry, record), SmsEncodeResult::kTextShortened);
    EXPECT_EQ(FieldText(DecodeSmsRecord(record, 0).text), std::string(160, 'q'));
    // The longest header (20-digit centre and address, absolute validity) leaves 139 bytes: 158
    // septets. Fields without their terminator end at their size.
    std::memset(entry.address, '1', sizeof(entry.address));
    std::memset(entry.serviceCentre, '2', sizeof(entry.serviceCentre));
    SetFieldText(entry.dateOrValidity, "1.1.99 0:00");
    EXPECT_EQ(EncodeSmsRecord(entry, record), SmsEncodeResult::kTextShortened);
    const SmsEntry back = DecodeSmsRecord(record, 0);
    EXPECT_EQ(FieldText(back.address), std::string(20, '1'));
    EXPECT_EQ(FieldText(back.serviceCentre), std::string(20, '2'));
    EXPECT_EQ(FieldText(back.text), std::string(158, 'q'));
    Bytes tooShort(12, 0x42);
    EXPECT_EQ(EncodeSmsRecord(Message(0, "", "hi"), tooShort), SmsEncodeResult::kRecordTooShort);
    EXPECT_EQ(tooShort, Bytes(12, 0x42));
}

TEST(SmsRecord, FileImageClearsEveryEntryAndDecodesTheRecordsThatFit) {
    Bytes image = {3, 176, 0x07, 0x00, 0x01, 0x09, 0x04, 0x81, 0x21, 0x43, 0x00, 0x00, 0x00, 0x00};
    image.resize(2 + 176, 0xFF);
    image.push_back(0x00);
    image.resize(2 + 2 * 176, 0xFF);
    image.push_back(0x03);  // the last record is cut after its status byte
    std::vector<SmsEntry> entries(5, Message(1, "", "old"));
    EXPECT_EQ(DecodeSmsFileImage(image, entries), 3u);
    EXPECT_EQ(FieldText(entries[0].address), "1234");
    EXPECT_EQ(entries[0].messageRef, 9u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].index, i);
        EXPECT_EQ(entries[i].used, i == 0 || i == 2 ? 1u : 0u);
        EXPECT_EQ(FieldText(entries[i].text), "");
    }
    std::vector<SmsEntry> two(2);
    EXPECT_EQ(DecodeSmsFileImage(image, two), 2u);
    EXPECT_EQ(DecodeSmsFileImage(Bytes{}, two), 0u);
}

}  // namespace
}  // namespace quillet::sms
