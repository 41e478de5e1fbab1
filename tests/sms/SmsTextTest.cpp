// Message text by data coding and header. The vectors of tests/vectors/smstext, each decoded, decoded
// from every cut, and (where exact) written back byte for byte. Then what vectors cannot show: the
// alphabet of every scheme, the scheme a write leaves, the limits of 160 septets and 70 UCS2
// characters with and without a header, round trips, and the room an edit dialog counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "card/GsmText.h"
#include "sms/SmsText.h"
#include "support/VectorFile.h"

namespace quillet::sms {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::u32string U(std::string_view utf8) { return card::TextFromUtf8(utf8).value_or(U"<bad UTF-8>"); }
std::string Utf8(std::u32string_view text) { return card::Utf8FromText(text); }

struct Vector {
    std::string name;
    std::uint8_t dcs = 0;
    bool udhi = false;
    Bytes userData;
    std::u32string text;
    SmsCoding coding = SmsCoding::Gsm7;
    Bytes header;
    std::optional<Concatenation> parts;
    bool exact = false;
};

std::u32string VectorText(std::string value) {
    for (std::size_t at; (at = value.find("\\n")) != std::string::npos;) value.replace(at, 2, "\n");
    return U(value);
}

bool SetField(Vector& v, const std::string& key, const std::string& value) {
    const std::vector<std::pair<std::string, SmsCoding>> codings = {
        {"gsm7", SmsCoding::Gsm7}, {"data8", SmsCoding::Data8}, {"ucs2", SmsCoding::Ucs2}};
    if (key == "dcs") {
        v.dcs = static_cast<std::uint8_t>(std::stoul(value, nullptr, 16));
    } else if (key == "udhi") {
        v.udhi = value == "1";
    } else if (key == "userdata") {
        const Bytes more = quillet::testing::HexBytes(value);
        v.userData.insert(v.userData.end(), more.begin(), more.end());
    } else if (key == "text") {
        v.text = VectorText(value);
    } else if (key == "header") {
        v.header = quillet::testing::HexBytes(value);
    } else if (key == "exact") {
        v.exact = value == "yes";
    } else if (key == "coding") {
        const auto it = std::find_if(codings.begin(), codings.end(), [&](const auto& c) { return c.first == value; });
        if (it == codings.end()) return false;
        v.coding = it->second;
    } else if (key == "parts") {
        std::istringstream in(value);
        std::string reference;
        unsigned part = 0, total = 0;
        if (!(in >> reference >> part >> total)) return false;
        v.parts = Concatenation{static_cast<std::uint16_t>(std::stoul(reference, nullptr, 16)),
                                static_cast<std::uint8_t>(total), static_cast<std::uint8_t>(part)};
    } else {
        return false;
    }
    return true;
}

std::vector<Vector> LoadVectors() {
    return quillet::testing::ReadVectorCases<Vector>(QUILLET_VECTORS_DIR "/smstext/userdata.txt", "", SetField);
}

const std::vector<Vector>& Vectors() {
    static const std::vector<Vector> vectors = LoadVectors();
    return vectors;
}

TEST(SmsTextVectors, Decode) {
    ASSERT_GE(Vectors().size(), 25u);
    for (const Vector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        const DecodedUserData d = DecodeUserDataText(v.dcs, v.udhi, v.userData);
        EXPECT_EQ(Utf8(d.text), Utf8(v.text));
        EXPECT_EQ(d.coding, v.coding);
        EXPECT_EQ(d.header, v.header);
        EXPECT_EQ(d.parts, v.parts);
    }
}

// Every cut of the input decodes to a prefix of the whole text and never reads past the cut (the
// sanitizer build checks the reads). Only the last character may differ: a cut between an escape
// and its code leaves a lone escape, which shows as a space.
TEST(SmsTextVectors, DecodeEveryCut) {
    for (const Vector& v : Vectors()) {
        for (std::size_t size = 0; size <= v.userData.size(); ++size) {
            SCOPED_TRACE(v.name + " cut to " + std::to_string(size));
            const Bytes cut(v.userData.begin(), v.userData.begin() + static_cast<std::ptrdiff_t>(size));
            const DecodedUserData d = DecodeUserDataText(v.dcs, v.udhi, cut);
            const DecodedUserData whole = DecodeUserDataText(v.dcs, v.udhi, v.userData);
            ASSERT_LE(d.text.size(), whole.text.size());
            const std::size_t same = d.text.empty() ? 0 : d.text.size() - 1;
            EXPECT_EQ(whole.text.substr(0, same), d.text.substr(0, same));
            EXPECT_LE(d.header.size(), whole.header.size());
        }
    }
}

TEST(SmsTextVectors, ExactWritesGiveTheSameBytes) {
    for (const Vector& v : Vectors()) {
        if (!v.exact) continue;
        SCOPED_TRACE(v.name);
        std::uint8_t dcs = v.dcs;
        const auto bytes = EncodeUserDataText(v.text, v.header, dcs);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, v.userData);
        EXPECT_EQ(dcs, v.dcs);
    }
}

TEST(SmsText, CodingOfSchemes) {
    const std::vector<std::tuple<std::uint8_t, SmsCoding>> cases = {
        {0x00, SmsCoding::Gsm7},  {0x08, SmsCoding::Ucs2},  {0x04, SmsCoding::Data8}, {0x0C, SmsCoding::Gsm7},
        {0x11, SmsCoding::Gsm7},  {0x18, SmsCoding::Ucs2},  {0x15, SmsCoding::Data8}, {0x48, SmsCoding::Ucs2},
        {0x44, SmsCoding::Data8}, {0x24, SmsCoding::Data8}, {0x28, SmsCoding::Data8}, {0x20, SmsCoding::Data8},
        {0x80, SmsCoding::Gsm7},  {0x88, SmsCoding::Gsm7},  {0xB4, SmsCoding::Gsm7},  {0xC8, SmsCoding::Gsm7},
        {0xD4, SmsCoding::Gsm7},  {0xE0, SmsCoding::Ucs2},  {0xEF, SmsCoding::Ucs2},  {0xF0, SmsCoding::Gsm7},
        {0xF4, SmsCoding::Data8}, {0xF8, SmsCoding::Gsm7},  {0xFB, SmsCoding::Gsm7},  {0xFF, SmsCoding::Data8},
    };
    for (const auto& [dcs, coding] : cases) EXPECT_EQ(CodingOf(dcs), coding) << std::hex << unsigned{dcs};
}

TEST(SmsText, SchemeAfterWriting) {
    // (scheme before, text, scheme after)
    const std::vector<std::tuple<std::uint8_t, std::u32string, std::uint8_t>> cases = {
        {0x00, U"hi", 0x00},   {0x00, U"Řeka", 0x08}, {0x08, U"hi", 0x00},   {0x12, U"Řeka", 0x1A},
        {0x1A, U"hi", 0x12},   {0x04, U"hi", 0x00},   {0x24, U"Řeka", 0x08}, {0x0C, U"hi", 0x00},
        {0x51, U"Řeka", 0x59}, {0xF1, U"hi", 0xF1},   {0xF1, U"Řeka", 0x08}, {0xF4, U"hi", 0x00},
        {0xD8, U"hi", 0xD8},   {0xD8, U"Řeka", 0x08}, {0xE8, U"Řeka", 0xE8}, {0xE8, U"hi", 0x00},
        {0x90, U"hi", 0x00},   {0x98, U"Řeka", 0x08},
    };
    for (const auto& [before, text, after] : cases) {
        std::uint8_t dcs = before;
        ASSERT_TRUE(EncodeUserDataText(text, {}, dcs).has_value());
        EXPECT_EQ(dcs, after) << std::hex << unsigned{before} << " " << Utf8(text);
        EXPECT_EQ(CodingOf(dcs), text == U"hi" ? SmsCoding::Gsm7 : SmsCoding::Ucs2);
    }
}

const Bytes kConcat8{0x05, 0x00, 0x03, 0x42, 0x02, 0x01};
const Bytes kConcat16{0x06, 0x08, 0x04, 0x12, 0x34, 0x03, 0x02};

// The most characters of one kind that fit, and that one more does not, with each header.
TEST(SmsText, Limits) {
    // (header, character, most that fit, coding)
    const std::vector<std::tuple<Bytes, char32_t, std::size_t, SmsCoding>> cases = {
        {{}, U'a', 160, SmsCoding::Gsm7},        {kConcat8, U'a', 153, SmsCoding::Gsm7},
        {kConcat16, U'a', 152, SmsCoding::Gsm7}, {{}, U'€', 80, SmsCoding::Gsm7},
        {kConcat8, U'€', 76, SmsCoding::Gsm7},   {{}, U'ř', 70, SmsCoding::Ucs2},
        {kConcat8, U'ř', 67, SmsCoding::Ucs2},   {kConcat16, U'ř', 66, SmsCoding::Ucs2},
        {{}, U'😀', 35, SmsCoding::Ucs2},
    };
    for (const auto& [header, c, most, coding] : cases) {
        SCOPED_TRACE(Utf8(std::u32string(1, c)) + " header " + std::to_string(header.size()));
        const std::u32string fits(most, c), over(most + 1, c);
        std::uint8_t dcs = 0;
        const auto bytes = EncodeUserDataText(fits, header, dcs);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_LE(bytes->size(), 1 + kMaxUserDataOctets);
        EXPECT_EQ(CodingOf(dcs), coding);
        const DecodedUserData back = DecodeUserDataText(dcs, !header.empty(), *bytes);
        EXPECT_EQ(back.text, fits);
        EXPECT_EQ(back.header, header);

        dcs = 0x11;
        EXPECT_FALSE(EncodeUserDataText(over, header, dcs).has_value());
        EXPECT_EQ(dcs, 0x11) << "unchanged when nothing is written";

        const SmsRoom room = SmsTextRoom(fits, header);
        EXPECT_EQ(room.coding, coding);
        EXPECT_LT(room.Left(), SmsTextRoom(std::u32string(1, c), {}).used) << "room for no more of them";
        EXPECT_TRUE(room.Fits());
        EXPECT_FALSE(SmsTextRoom(over, header).Fits());
    }
}

// An extension character counts two septets: one that would end beyond the last septet does not fit.
TEST(SmsText, ExtensionCharacterAtTheLimit) {
    std::uint8_t dcs = 0;
    EXPECT_TRUE(EncodeUserDataText(std::u32string(158, U'a') + U"€", {}, dcs).has_value());
    EXPECT_FALSE(EncodeUserDataText(std::u32string(159, U'a') + U"€", {}, dcs).has_value());
    EXPECT_TRUE(EncodeUserDataText(std::u32string(151, U'a') + U"]", kConcat8, dcs).has_value());
    EXPECT_FALSE(EncodeUserDataText(std::u32string(152, U'a') + U"]", kConcat8, dcs).has_value());
}

TEST(SmsText, RoundTrips) {
    const std::vector<std::u32string> texts = {
        U"",
        U"@",
        U"a",
        U"Price 5€ @ café_$",
        U"{braces} [brackets] \\ ^ ~ | €\f",
        U"Line one\nLine two\r\n",
        U"ΔΦΓΛΩΠΨΣΘΞ ÆæßÉ ÄÖÑÜ§¿äöñüà £¥èéùìòÇØøÅå¤¡",
        U"Příliš žluťoučký kůň",
        U"😀 beyond the basic plane",
        U"1234567",
        U"12345678",
    };
    const std::vector<Bytes> headers = {{}, kConcat8, kConcat16, {0x00}, {0x01, 0x70}, {0x02, 0x70, 0x00}};
    for (const auto& header : headers) {
        for (const auto& text : texts) {
            SCOPED_TRACE(Utf8(text) + " header " + std::to_string(header.size()));
            std::uint8_t dcs = 0;
            const auto bytes = EncodeUserDataText(text, header, dcs);
            ASSERT_TRUE(bytes.has_value());
            const DecodedUserData back = DecodeUserDataText(dcs, !header.empty(), *bytes);
            EXPECT_EQ(Utf8(back.text), Utf8(text));
            EXPECT_EQ(back.header, header);
            // And once more: the decoded message writes the same bytes.
            std::uint8_t again = dcs;
            EXPECT_EQ(EncodeUserDataText(back.text, back.header, again), bytes);
            EXPECT_EQ(again, dcs);
        }
    }
}

TEST(SmsText, PartsOfTheHeaderAfterWriting) {
    std::uint8_t dcs = 0;
    const auto bytes = EncodeUserDataText(U"x", kConcat16, dcs);
    ASSERT_TRUE(bytes.has_value());
    const DecodedUserData back = DecodeUserDataText(dcs, true, *bytes);
    ASSERT_TRUE(back.parts.has_value());
    EXPECT_EQ(*back.parts, (Concatenation{0x1234, 3, 2}));
}

TEST(SmsText, HeaderWhoseLengthDoesNotMatchIsNotWritten) {
    for (const Bytes& header : {Bytes{0x05, 0x00, 0x03}, Bytes{0x01}, Bytes{0x00, 0x00}}) {
        std::uint8_t dcs = 0x08;
        EXPECT_FALSE(EncodeUserDataText(U"x", header, dcs).has_value());
        EXPECT_EQ(dcs, 0x08);
    }
}

// Every length byte and header flag over a short buffer: whatever TP-UDL and UDHL claim, the
// decoder stays inside the bytes (sanitizer build) and shows no more than they hold.
TEST(SmsText, LengthsBeyondTheBytes) {
    const Bytes tail{0x05, 0x00, 0x03, 0x42, 0x02, 0x01, 0xE8, 0x32, 0x9B};
    for (const std::uint8_t dcs : {0x00, 0x04, 0x08}) {
        for (unsigned udl = 0; udl <= 0xFF; ++udl) {
            for (const bool udhi : {false, true}) {
                Bytes data{static_cast<std::uint8_t>(udl)};
                data.insert(data.end(), tail.begin(), tail.end());
                const DecodedUserData d = DecodeUserDataText(dcs, udhi, data);
                EXPECT_LE(d.header.size(), tail.size());
                EXPECT_LE(d.text.size(), dcs == 0x04 ? tail.size() * 3 : tail.size() * 8 / 7);
            }
        }
    }
}

TEST(SmsText, RoomLeft) {
    // (text, header, coding, used, left)
    const std::vector<std::tuple<std::u32string, Bytes, SmsCoding, std::size_t, std::size_t>> cases = {
        {U"", {}, SmsCoding::Gsm7, 0, 160},
        {U"hello", {}, SmsCoding::Gsm7, 5, 155},
        {U"5€", {}, SmsCoding::Gsm7, 3, 157},
        {U"[]", kConcat8, SmsCoding::Gsm7, 4, 149},
        {U"ab", kConcat16, SmsCoding::Gsm7, 2, 150},
        {U"Řeka", {}, SmsCoding::Ucs2, 4, 66},
        {U"Řeka", kConcat8, SmsCoding::Ucs2, 4, 63},
        {U"Ř😀", kConcat16, SmsCoding::Ucs2, 3, 63},
        {std::u32string(200, U'a'), {}, SmsCoding::Gsm7, 200, 0},
    };
    for (const auto& [text, header, coding, used, left] : cases) {
        SCOPED_TRACE(Utf8(text));
        const SmsRoom room = SmsTextRoom(text, header);
        EXPECT_EQ(room.coding, coding);
        EXPECT_EQ(room.used, used);
        EXPECT_EQ(room.Left(), left);
    }
}

}  // namespace
}  // namespace quillet::sms
