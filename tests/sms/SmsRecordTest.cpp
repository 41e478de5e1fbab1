// EF_SMS records and their texts. The vectors of tests/vectors/sms, each run four ways: decoded,
// decoded with extra 0xFF padding, written back, and decoded from every cut of the record. Then what
// the vectors cannot show: messages as phones write them, the 7-bit packing, bodies too long for the
// record (refused), the 256-byte window, writing entries the vectors do not hold, and decoding a file image.
// Last the date-or-validity texts: the cases of tests/vectors/sms/date-texts.txt, then the limits of
// parsing, display and normalisation.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "card/GsmText.h"
#include "sms/MessageBody.h"
#include "sms/PhoneMessages.h"
#include "sms/SmsRecordCodec.h"
#include "sms/SmsTimeValue.h"
#include "sms/SmsUserData.h"
#include "support/VectorFile.h"

namespace quillet::sms {
namespace {

struct Vector {
    std::string name;
    std::vector<std::uint8_t> record;  // padded with 0xFF to the card's record length
    SmsEntry expected{};
    std::string text;  // as the list shows it; "\n" and "\r" stand for line feed and carriage return
    bool exact = false;
    bool roundTrip = true;
};

bool SetField(Vector& v, const std::string& key, const std::string& value) {
    SmsEntry& e = v.expected;
    const auto number = [&] { return static_cast<std::uint8_t>(std::stoul(value)); };
    std::istringstream bytes(value);
    if (key == "used")
        e.used = number();
    else if (key == "status")
        e.status = number();
    else if (key == "messageRef")
        e.messageRef = number();
    else if (key == "centreTon")
        e.centreTon = number();
    else if (key == "centreNpi")
        e.centreNpi = number();
    else if (key == "addressTon")
        e.addressTon = number();
    else if (key == "addressNpi")
        e.addressNpi = number();
    else if (key == "centre")
        SetFieldText(e.serviceCentre, value);
    else if (key == "address")
        SetFieldText(e.address, value);
    else if (key == "date")
        SetFieldText(e.dateOrValidity, value);
    else if (key == "text")
        v.text = value;
    else if (key == "exact")
        v.exact = value == "yes";
    else if (key == "roundtrip")
        v.roundTrip = value != "no";
    else if (key != "record")
        return false;
    for (std::string hex; key == "record" && bytes >> hex;) v.record.push_back(std::stoul(hex, nullptr, 16));
    return true;
}

std::vector<Vector> LoadVectors() {
    std::vector<Vector> vectors;
    for (const std::string file : {"deliver.txt", "submit.txt", "malformed.txt"}) {
        for (Vector& v :
             quillet::testing::ReadVectorCases<Vector>(QUILLET_VECTORS_DIR "/sms/" + file, file + ":", SetField)) {
            v.record.resize(std::max(v.record.size(), kSmsRecordLength), 0xFF);
            for (const auto& [escape, character] : {std::pair("\\n", "\n"), std::pair("\\r", "\r")}) {
                for (std::size_t at; (at = v.text.find(escape)) != std::string::npos;) v.text.replace(at, 2, character);
            }
            vectors.push_back(v);
        }
    }
    return vectors;
}

const std::vector<Vector>& Vectors() {
    static const std::vector<Vector> vectors = LoadVectors();
    return vectors;
}

auto AllFields(const SmsEntry& e) {
    return std::tuple(e.used, e.status, e.messageRef, e.index, e.centreTon, e.centreNpi, e.addressTon, e.addressNpi,
                      FieldText(e.serviceCentre), FieldText(e.address), FieldText(e.dateOrValidity));
}
void ExpectFields(const SmsEntry& a, const Vector& v) {
    EXPECT_EQ(AllFields(a), AllFields(v.expected));
    EXPECT_EQ(MessageListText(a), v.text);
}

std::u32string U(std::string_view utf8) { return card::TextFromUtf8(utf8).value_or(U"<bad UTF-8>"); }

// Decoded as given and with extra 0xFF padding, up to and past the 256 bytes looked at.
TEST(SmsVectors, DecodeGivesTheExpectedFieldsWithAnyPadding) {
    ASSERT_GE(Vectors().size(), 24u);
    for (const Vector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        EXPECT_EQ(IsSmsRecordInUse(v.record), v.expected.used != 0);
        for (std::size_t length : {176, 200, 256, 300}) {
            std::vector<std::uint8_t> padded = v.record;
            padded.resize(length, 0xFF);
            ExpectFields(DecodeSmsRecord(padded, 0), v);
        }
    }
}

// The decoded record, and for exact vectors also their fields with the text typed in.
TEST(SmsVectors, WritingTheFieldsBackReadsTheSame) {
    for (const Vector& v : Vectors()) {
        if (!v.roundTrip) continue;
        SCOPED_TRACE(v.name);
        std::vector<SmsEntry> entries = {DecodeSmsRecord(v.record, 0)};
        if (v.exact) {
            entries.push_back(v.expected);
            ASSERT_TRUE(SetMessageText(entries.back(), U(v.text)));
        }
        for (const SmsEntry& entry : entries) {
            std::vector<std::uint8_t> written(kSmsRecordLength, 0x5A);
            ASSERT_EQ(EncodeSmsRecord(entry, written), SmsEncodeResult::kOk);
            ExpectFields(DecodeSmsRecord(written, 0), v);
            if (v.exact) {
                EXPECT_EQ(written, v.record);
            }
        }
    }
}

// Each cut is its own heap block, so a sanitizer build sees any read past it. Every field comes
// out complete or shortened: texts to a prefix, numbers and the date to nothing.
TEST(SmsVectors, CutRecordsGiveShortenedFields) {
    const auto partOf = [](auto got, auto want) { return got == want || got == decltype(got){}; };
    for (const Vector& v : Vectors()) {
        for (std::size_t length = 0; length <= v.record.size(); ++length) {
            SCOPED_TRACE(v.name + " cut to " + std::to_string(length));
            const SmsEntry a = DecodeSmsRecord(std::vector(v.record.begin(), v.record.begin() + length), 7);
            const SmsEntry& e = v.expected;
            EXPECT_EQ(a.index, 7);
            EXPECT_TRUE(a.used == (length == 0 ? 0 : e.used) && a.status == (length == 0 ? 0 : e.status));
            EXPECT_TRUE(FieldText(e.serviceCentre).starts_with(FieldText(a.serviceCentre)));
            EXPECT_TRUE(FieldText(e.address).starts_with(FieldText(a.address)));
            EXPECT_TRUE(U(v.text).starts_with(MessageText(a)));
            EXPECT_TRUE(partOf(FieldText(a.dateOrValidity), FieldText(e.dateOrValidity)));
            EXPECT_TRUE(partOf(a.centreTon, e.centreTon) && partOf(a.centreNpi, e.centreNpi) &&
                        partOf(a.addressTon, e.addressTon) && partOf(a.addressNpi, e.addressNpi) &&
                        partOf(a.messageRef, e.messageRef));
        }
    }
}

using Bytes = std::vector<std::uint8_t>;

// Decoded, shown and written back byte for byte, padding included.
TEST(SmsPhoneMessages, DecodeToThePhonesTextAndWriteBackUnchanged) {
    for (const testing::PhoneMessage& message : testing::PhoneMessages()) {
        SCOPED_TRACE(message.name);
        const SmsEntry entry = DecodeSmsRecord(message.record, 0);
        EXPECT_EQ(card::Utf8FromText(MessageText(entry)), message.text);
        EXPECT_EQ(MessageListText(entry), message.shown);
        Bytes written(message.record.size(), 0x5A);
        EXPECT_EQ(EncodeSmsRecord(entry, written), SmsEncodeResult::kOk);
        EXPECT_EQ(written, message.record);
    }
}

// An edit keeps what the message was: UCS2 stays UCS2 though the new text needs no more than the
// default alphabet, a part keeps its header.
TEST(SmsPhoneMessages, EditedMessagesKeepTheirCodingAndHeader) {
    for (const testing::PhoneMessage& message : testing::PhoneMessages()) {
        SCOPED_TRACE(message.name);
        SmsEntry entry = DecodeSmsRecord(message.record, 0);
        const SmsCoding coding = MessageCoding(entry);
        const auto parts = MessageParts(entry);
        ASSERT_TRUE(SetMessageText(entry, U"Edited"));
        Bytes written(kSmsRecordLength, 0x5A);
        ASSERT_EQ(EncodeSmsRecord(entry, written), SmsEncodeResult::kOk);
        const SmsEntry back = DecodeSmsRecord(written, 0);
        EXPECT_EQ(MessageText(back), U"Edited");
        EXPECT_EQ(MessageCoding(back), coding);
        EXPECT_EQ(MessageParts(back), parts);
        EXPECT_EQ(written[2 + written[1]] & 0x40, message.record[2 + message.record[1]] & 0x40);  // TP-UDHI
    }
}

// Text from a file: é and the line feed have their places in the default alphabet.
TEST(SmsPhoneMessages, TypedTextIsCodedAsAPhoneCodesIt) {
    SmsEntry entry = MakeEmptySmsEntry(0);
    ASSERT_TRUE(SetMessageFileText(entry, "Caf\xE9\nx"));  // Windows-1250
    EXPECT_EQ(MessageText(entry), U"Café\nx");
    const SmsEntry phone = DecodeSmsRecord(testing::PhoneRecord(testing::PhoneGsm7("Café\nx")), 0);
    EXPECT_EQ(BodyUserData(entry), BodyUserData(phone));
}

TEST(SmsUserData, ReadsOnlyTheSeptetsPresent) {
    // "ABCDEFGH" fills exactly seven bytes; its last septet lies wholly in the last byte.
    const Bytes packed = {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91};
    EXPECT_EQ(UnpackSeptet(packed, 7), 'H');
    EXPECT_EQ(UnpackSeptet(packed, 8), 0);
}

TEST(SmsRecord, LooksAtNoMoreThan256Bytes) {
    // 255 address digits push TP-UDL to offset 142; of the 255 septets announced (all 0, '@')
    // 113 bytes lie inside the window, which hold 129 septets.
    Bytes record(300, 0x00);
    record[0] = 0x01, record[2] = 0x04, record[3] = 0xFF, record[4] = 0x81, record[142] = 0xFF;
    const SmsEntry entry = DecodeSmsRecord(record, 0);
    EXPECT_EQ(FieldText(entry.address), std::string(20, '0'));
    EXPECT_EQ(MessageText(entry), std::u32string(129, U'@'));
}

SmsEntry Message(std::uint32_t status, const char* date, const std::string& text) {
    SmsEntry entry = MakeEmptySmsEntry(3);
    entry.used = 1;
    entry.status = status;
    SetFieldText(entry.address, "5551234");
    SetFieldText(entry.dateOrValidity, date);
    EXPECT_TRUE(SetMessageText(entry, U(text)));
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

Bytes UserData(const sim::SmsUserData& data) {
    Bytes bytes(1 + data.bytes.size());
    bytes[0] = data.length;
    std::copy(data.bytes.begin(), data.bytes.end(), bytes.begin() + 1);
    return bytes;
}

// The longest header (20-digit centre and address, absolute validity) leaves 139 octets of user
// data: 158 septets, 69 UCS2 units or 139 octets go whole, one more is refused and nothing written.
TEST(SmsRecord, ABodyTooLongForTheRecordIsRefused) {
    const auto gsm7 = [](std::size_t length, std::span<const std::uint8_t> udh = {}) {
        return UserData(testing::PhoneGsm7(std::string(length, 'q'), udh));
    };
    const auto ucs2 = [](std::size_t length) { return UserData(testing::PhoneUcs2(std::string(length, 'a'))); };
    const auto data8 = [](std::size_t length) {
        Bytes bytes = {static_cast<std::uint8_t>(length)};
        for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
        return bytes;
    };
    const auto header = sim::ConcatenationElement(1, 2, 2);
    const struct {
        const char* name;
        std::uint8_t dcs;
        Bytes fits, tooLong;
        bool hasHeader = false;
    } cases[] = {
        {"septets", 0x00, gsm7(158), gsm7(159)},
        {"after a header", 0x00, gsm7(151, header), gsm7(152, header), true},
        {"ucs2", 0x08, ucs2(69), ucs2(70)},
        {"8-bit data", 0x04, data8(139), data8(140)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        SmsEntry entry = Message(3, "1.1.99 0:00", "");
        std::memset(entry.address, '1', sizeof(entry.address));  // no terminator: ends at the field's size
        std::memset(entry.serviceCentre, '2', sizeof(entry.serviceCentre));
        SetBodyUserData(entry, test.dcs, test.hasHeader, test.fits);
        Bytes record(kSmsRecordLength, 0x5A);
        ASSERT_EQ(EncodeSmsRecord(entry, record), SmsEncodeResult::kOk);
        const SmsEntry back = DecodeSmsRecord(record, 0);
        EXPECT_EQ(FieldText(back.address), std::string(20, '1'));
        EXPECT_EQ(FieldText(back.serviceCentre), std::string(20, '2'));
        EXPECT_EQ(BodyUserData(back), BodyUserData(entry));

        SetBodyUserData(entry, test.dcs, test.hasHeader, test.tooLong);
        record.assign(kSmsRecordLength, 0x5A);
        EXPECT_EQ(EncodeSmsRecord(entry, record), SmsEncodeResult::kTextTooLong);
        EXPECT_EQ(record, Bytes(kSmsRecordLength, 0x5A));
    }
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
        EXPECT_EQ(MessageText(entries[i]), U"");
    }
    std::vector<SmsEntry> two(2);
    EXPECT_EQ(DecodeSmsFileImage(image, two), 2u);
    EXPECT_EQ(DecodeSmsFileImage(Bytes{}, two), 0u);
}

std::string Format(const SmsTimeValue& value, std::size_t capacity = 64) {
    std::string buffer(capacity, 'x');
    const std::size_t length = FormatDateOrValidity(value, buffer);
    EXPECT_EQ(buffer.at(length), '\0');
    return buffer.substr(0, length);
}

// A parsed text as the vectors write it: "-" when refused, the byte of a relative validity, or the
// date's fields as dd.mm.yy hh:mm (seconds must be 0).
std::string Parsed(const std::string& text) {
    SmsTimeValue v{};
    if (!ParseDateOrValidity(text, v)) return "-";
    if (v.isDate == 0) return std::to_string(v.validity);
    char date[40];
    std::snprintf(date, sizeof(date), "%02d.%02d.%02d %02d:%02d%s", v.day, v.month, v.year, v.hour, v.minute,
                  v.second == 0 ? "" : " with seconds");
    return date;
}

TEST(SmsDateTexts, VectorsParseShowAndChoose) {
    std::ifstream in(QUILLET_VECTORS_DIR "/sms/date-texts.txt");
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' '), bar = line.rfind(" | ");
        ASSERT_TRUE(space != std::string::npos && bar != std::string::npos && bar >= space) << line;
        const std::string kind = line.substr(0, space), text = line.substr(space + 1, bar - space - 1);
        const std::string want = line.substr(bar + 3);
        SCOPED_TRACE(line);
        ++cases;
        if (kind == "parse") {
            EXPECT_EQ(Parsed(text), want);
        } else if (kind == "show") {
            SmsTimeValue value{};
            value.validity = static_cast<std::uint8_t>(std::stoi(text));
            EXPECT_EQ(Format(value), want);
        } else if (kind == "offered") {
            EXPECT_EQ(ValidityChoiceText(std::stoi(text)), want == "-" ? "" : want);
        } else {
            ASSERT_EQ(kind, "choice");
            EXPECT_EQ(
                std::to_string(ValidityChoiceOf(text, true)) + " " + std::to_string(ValidityChoiceOf(text, false)),
                want);
        }
    }
    EXPECT_GE(cases, 77);
}

TEST(SmsDateTexts, ParsingReadsTransliteratedTextUpTo63Characters) {
    SmsTimeValue value{};
    ASSERT_TRUE(ParseDateOrValidity("10 d\xC1ys", value));  // Windows-1250 A-acute reads as A
    EXPECT_EQ(value.validity, 176);
    // 0x91 turns into 0x92 and then into '.', as does any unknown byte such as 0x80.
    EXPECT_TRUE(ParseDateOrValidity(std::string("1\x91") + "1\x80" + "99 10:00", value));
    EXPECT_TRUE(ParseDateOrValidity("1.1.99 10:00" + std::string(51, ' ') + "x", value));
    EXPECT_FALSE(ParseDateOrValidity("1.1.99 10:00" + std::string(50, ' ') + "x", value));
}

TEST(SmsDateTexts, NormalizeKeepsValidTextsAndOtherwiseWritesTheTime) {
    std::tm now{};
    now.tm_min = 7, now.tm_hour = 8, now.tm_mday = 9, now.tm_mon = 0, now.tm_year = 124;
    const auto normalize = [&](std::string text) {
        text.resize(16, '\0');
        NormalizeDateText(text, now);
        return std::string(text.c_str());
    };
    // Empty texts and the usual ones are the message file tests' own.
    EXPECT_EQ(normalize("12.5.99 7:05"), "12.5.99 7:05");
    EXPECT_EQ(normalize("0 days"), "09.01.24 08:07");
    EXPECT_EQ(normalize("abcdefghijklmnop"), "09.01.24 08:07");  // no terminator in the buffer
    char field[16] = "bad";
    NormalizeDateText(field);
    SmsTimeValue value{};
    EXPECT_TRUE(ParseDateOrValidity(field, value) && value.isDate == 1);
}

}  // namespace
}  // namespace quillet::sms
