// The card-text codec. First the vectors of tests/vectors/gsmtext: the whole default alphabet and its
// extension table, then names in every form, decoded with any padding, encoded back to the shortest
// form within the byte limit, and cut at every length. Then what vectors cannot show: runs of septets,
// the limits of names, UCS2 of messages, UTF-8, and Windows-1250 checked against the system's iconv.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "card/GsmText.h"
#include "support/VectorFile.h"

namespace quillet::card {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const std::string& text) { return quillet::testing::HexBytes(text); }

std::string HexOf(const std::optional<Bytes>& bytes) {
    if (!bytes) return "none";
    std::string text;
    for (const std::uint8_t b : *bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", b);
        text += hex;
    }
    return text.empty() ? "-" : text.substr(0, text.size() - 1);
}

std::u32string Chars(const std::string& codePoints) {
    std::u32string text;
    std::istringstream in(codePoints);
    for (std::string hex; in >> hex;) text.push_back(static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
    return text;
}

std::vector<std::pair<std::string, std::string>> ReadLines(const std::string& file) {
    return quillet::testing::ReadVectorLines(std::string(QUILLET_VECTORS_DIR "/gsmtext/") + file);
}

// ---- The alphabet ----

struct Alphabet {
    std::map<std::uint8_t, char32_t> defaults, extensions;
};

const Alphabet& StandardAlphabet() {
    static const Alphabet alphabet = [] {
        Alphabet a;
        for (const auto& [kind, value] : ReadLines("alphabet.txt")) {
            std::istringstream fields(value);
            std::string code, codePoint;
            fields >> code >> codePoint;
            auto& table = kind == "default" ? a.defaults : a.extensions;
            table[static_cast<std::uint8_t>(std::stoul(code, nullptr, 16))] = Chars(codePoint).at(0);
        }
        return a;
    }();
    return alphabet;
}

TEST(GsmAlphabet, EveryEntryOfBothTablesReadsAndWritesAsTheStandardSays) {
    const Alphabet& standard = StandardAlphabet();
    ASSERT_EQ(standard.defaults.size(), 128u);
    ASSERT_EQ(standard.extensions.size(), 10u);
    for (const auto& [septet, character] : standard.defaults) {
        SCOPED_TRACE(::testing::Message() << "septet " << int(septet));
        EXPECT_EQ(GsmCharOf(septet), character);
        EXPECT_EQ(DecodeSeptets(Bytes{septet}), std::u32string(1, character));
        if (septet == kGsmEscape) continue;  // the space it shows as is written as 0x20
        const auto written = SeptetsOf(character);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->count, 1);
        EXPECT_EQ(written->septets[0], septet);
    }
    for (const auto& [code, character] : standard.extensions) {
        SCOPED_TRACE(::testing::Message() << "extension " << int(code));
        EXPECT_EQ(DecodeSeptets(Bytes{kGsmEscape, code}), std::u32string(1, character));
        const auto written = SeptetsOf(character);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->count, 2);
        EXPECT_EQ(HexOf(Bytes(written->septets.begin(), written->septets.end())), HexOf(Bytes{kGsmEscape, code}));
    }
}

TEST(GsmAlphabet, NoOtherCharacterHasSeptets) {
    std::set<char32_t> standard;
    for (const auto& [septet, character] : StandardAlphabet().defaults) standard.insert(character);
    for (const auto& [code, character] : StandardAlphabet().extensions) standard.insert(character);
    std::size_t written = 0;
    for (char32_t c = 0; c < 0x30000; ++c) {
        if (!SeptetsOf(c)) continue;
        ++written;
        EXPECT_TRUE(standard.count(c)) << "U+" << std::hex << std::uint32_t(c);
    }
    EXPECT_EQ(written, standard.size());
    EXPECT_FALSE(SeptetsOf(0x10FFFF));
    EXPECT_FALSE(SeptetsOf(0x110000));
    EXPECT_EQ(GsmCharOf(0x80), kReplacementCharacter);
}

// 23.038: a code the extension table does not define shows the default table's character.
TEST(GsmAlphabet, EscapeBeforeAnUndefinedCodeShowsTheDefaultCharacter) {
    const Alphabet& standard = StandardAlphabet();
    for (const auto& [code, character] : standard.defaults) {
        if (standard.extensions.count(code)) continue;
        EXPECT_EQ(DecodeSeptets(Bytes{kGsmEscape, code}), std::u32string(1, character)) << int(code);
    }
}

TEST(GsmAlphabet, RunsOfSeptets) {
    const std::pair<Bytes, std::u32string> decoded[] = {
        {{}, U""},
        {{0x41, 0x1B}, U"A "},                     // escape at the end
        {{0x1B}, U" "},                            // nothing but an escape
        {{0x80, 0x41}, U"\uFFFDA"},                // not a septet
        {{0x1B, 0x80}, U" \uFFFD"},                // escape before something that is not a septet
        {{0x1B, 0x28, 0x78, 0x1B, 0x29}, U"{x}"},  // escapes in a row
    };
    for (const auto& [septets, text] : decoded) EXPECT_EQ(DecodeSeptets(septets), text) << HexOf(septets);

    EXPECT_EQ(HexOf(EncodeSeptets(U"{x}")), "1B 28 78 1B 29");
    EXPECT_EQ(HexOf(EncodeSeptets(U"")), "-");
    for (const std::u32string text : {U"\u00E7", U"\u0158", U"\uFFFD", U"A\U0001F600", U"`"}) {
        EXPECT_FALSE(EncodeSeptets(text)) << HexOf(EncodeSeptets(text));
    }
}

// ---- Names ----

struct AlphaVector {
    std::string name;
    Bytes bytes;
    std::u32string text;
    bool cp1250 = false;
    std::optional<std::optional<Bytes>> encodes;  // not given / no form / the bytes
};

std::vector<AlphaVector> LoadAlpha(const std::string& file) {
    std::vector<AlphaVector> vectors;
    AlphaVector v;
    for (const auto& [key, value] : ReadLines(file)) {
        if (key == "case") {
            v = AlphaVector{};
            v.name = file + ": " + value;
        } else if (key == "bytes") {
            v.bytes = Hex(value);
        } else if (key == "text") {
            v.text = TextFromUtf8(value).value_or(U"?bad UTF-8?");
        } else if (key == "chars") {
            v.text = Chars(value);
        } else if (key == "cp1250") {
            v.cp1250 = value == "yes";
        } else if (key == "encodes") {
            v.encodes = value == "none" ? std::nullopt : std::optional(Hex(value == "-" ? "" : value));
        } else if (key == "end") {
            vectors.push_back(v);
        } else {
            ADD_FAILURE() << file << ": cannot read " << key << " " << value;
        }
    }
    return vectors;
}

const std::vector<AlphaVector>& ValidNames() {
    static const std::vector<AlphaVector> vectors = LoadAlpha("alpha.txt");
    return vectors;
}
const std::vector<AlphaVector>& MalformedNames() {
    static const std::vector<AlphaVector> vectors = LoadAlpha("alpha-malformed.txt");
    return vectors;
}

Bytes Padded(Bytes bytes, std::size_t padding) {
    bytes.insert(bytes.end(), padding, 0xFF);
    return bytes;
}

TEST(AlphaVectors, DecodeGivesTheNameWithAnyPadding) {
    ASSERT_GE(ValidNames().size(), 20u);
    for (const AlphaVector& v : ValidNames()) {
        SCOPED_TRACE(v.name);
        for (std::size_t padding = 0; padding <= 5; ++padding) {
            const DecodedAlpha decoded = DecodeAlphaIdentifier(Padded(v.bytes, padding));
            EXPECT_EQ(decoded.text, v.text);
            EXPECT_EQ(decoded.gsmText, !v.cp1250);
        }
    }
}

TEST(AlphaVectors, MalformedNamesGiveWhatTheyHold) {
    ASSERT_GE(MalformedNames().size(), 12u);
    for (const AlphaVector& v : MalformedNames()) {
        EXPECT_EQ(DecodeAlphaIdentifier(v.bytes).text, v.text) << v.name;
    }
}

// Where the expected form equals the card's bytes this is the round trip that keeps a phone's name
// byte for byte; the other vectors name the shorter form the text gets.
TEST(AlphaVectors, DecodeThenEncodeGivesTheShortestFormWithinTheLimit) {
    std::size_t sameBytes = 0;
    for (const auto* names : {&ValidNames(), &MalformedNames()}) {
        for (const AlphaVector& v : *names) {
            if (!v.encodes) continue;
            SCOPED_TRACE(v.name);
            const std::u32string text = DecodeAlphaIdentifier(v.bytes).text;
            const std::optional<Bytes>& expected = *v.encodes;
            EXPECT_EQ(HexOf(EncodeAlphaIdentifier(text, 255)), HexOf(expected));
            if (!expected) {
                EXPECT_FALSE(AlphaIdentifierBytes(text));
                continue;
            }
            EXPECT_EQ(AlphaIdentifierBytes(text), expected->size());
            EXPECT_EQ(HexOf(EncodeAlphaIdentifier(text, expected->size())), HexOf(expected));
            if (!expected->empty()) {
                EXPECT_FALSE(EncodeAlphaIdentifier(text, expected->size() - 1));
            }
            if (expected->size() <= v.bytes.size()) {
                sameBytes += Padded(*expected, v.bytes.size() - expected->size()) == v.bytes;
            }
        }
    }
    EXPECT_GE(sameBytes, 12u);
}

TEST(AlphaVectors, EncodeThenDecodeGivesTheText) {
    for (const AlphaVector& v : ValidNames()) {
        if (!v.encodes || !*v.encodes) continue;
        SCOPED_TRACE(v.name);
        const auto encoded = EncodeAlphaIdentifier(v.text, 255);
        ASSERT_TRUE(encoded);
        for (std::size_t padding : {0, 1, 2, 7}) {
            const DecodedAlpha decoded = DecodeAlphaIdentifier(Padded(*encoded, padding));
            EXPECT_EQ(decoded.text, v.text);
            EXPECT_TRUE(decoded.gsmText);
        }
    }
}

// Each cut is its own heap block, so a sanitizer build sees any read past it. A cut name is the
// start of the whole one, but for its last character: a cut escape shows as a space.
TEST(AlphaVectors, CutNamesNeverReadPastTheirEnd) {
    for (const auto* names : {&ValidNames(), &MalformedNames()}) {
        for (const AlphaVector& v : *names) {
            const DecodedAlpha whole = DecodeAlphaIdentifier(v.bytes);
            for (std::size_t length = 0; length < v.bytes.size(); ++length) {
                SCOPED_TRACE(v.name + ", cut to " + std::to_string(length));
                const Bytes cut(v.bytes.begin(), v.bytes.begin() + length);
                const DecodedAlpha decoded = DecodeAlphaIdentifier(cut);
                if (decoded.gsmText != whole.gsmText || decoded.text.empty()) continue;
                ASSERT_LE(decoded.text.size(), whole.text.size());
                EXPECT_EQ(decoded.text.substr(0, decoded.text.size() - 1),
                          whole.text.substr(0, decoded.text.size() - 1));
            }
        }
    }
}

TEST(AlphaEncoding, LimitsAndRefusals) {
    // The names as typed.
    EXPECT_EQ(HexOf(EncodeAlphaIdentifier(U"me@home $5_ok", 14)), "6D 65 00 68 6F 6D 65 20 02 35 11 6F 6B");
    const auto rehor = EncodeAlphaIdentifier(U"\u0158eho\u0159", 9);
    ASSERT_TRUE(rehor);
    EXPECT_TRUE((*rehor)[0] == 0x80 || (*rehor)[0] == 0x81 || (*rehor)[0] == 0x82) << HexOf(rehor);
    EXPECT_EQ(DecodeAlphaIdentifier(*rehor).text, U"\u0158eho\u0159");

    // No form writes characters beyond U+FFFF, U+FFFF itself (it ends a 0x80 name) or surrogates.
    const std::u32string refused[] = {U"A\U0001F600", U"A\uFFFF", {U'A', char32_t{0xD800}}};
    for (const std::u32string& text : refused) {
        EXPECT_FALSE(EncodeAlphaIdentifier(text, 255));
        EXPECT_FALSE(AlphaIdentifierBytes(text));
    }

    // A name of default-alphabet characters only is never written in a UCS2 form, even where one is
    // shorter: six euro signs take 12 bytes, which 10 cannot hold.
    const std::u32string euros(6, U'\u20AC');
    EXPECT_EQ(AlphaIdentifierBytes(euros), 12u);
    EXPECT_FALSE(EncodeAlphaIdentifier(euros, 10));

    // The count byte of 0x81 holds at most 255; beyond that only 0x80 remains.
    EXPECT_EQ(AlphaIdentifierBytes(std::u32string(255, U'\u010C')), 3u + 255u);
    EXPECT_EQ(AlphaIdentifierBytes(std::u32string(256, U'\u010C')), 1u + 2u * 256u);
    const auto longest = EncodeAlphaIdentifier(std::u32string(255, U'\u010C'), 258);
    ASSERT_TRUE(longest);
    EXPECT_EQ(HexOf(Bytes(longest->begin(), longest->begin() + 4)), "81 FF 02 8C");
}

// A record ends its name at the first 0xFF: names bound for records take the shortest form without
// one, or none.
TEST(AlphaEncoding, NamesForRecordsAvoidThePaddingByte) {
    struct Case {
        std::u32string text;
        std::string allowed, avoided;
    };
    const Case cases[] = {
        {U"S\u0995\u09A6-\u09FF", "81 05 13 53 95 A6 2D FF", "82 05 09 90 53 85 96 2D EF"},  // annex B example 2
        {U"\u00FF", "80 00 FF", "82 01 00 F0 8F"},
        {U"\u04FF\u65E5", "80 04 FF 65 E5", "none"},
        {U"\u0158eho\u0159", "81 05 02 D8 65 68 6F D9", "81 05 02 D8 65 68 6F D9"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(HexOf(EncodeUcs2(test.text)));
        EXPECT_EQ(HexOf(EncodeAlphaIdentifier(test.text, 32)), test.allowed);
        const auto avoided = EncodeAlphaIdentifier(test.text, 32, PaddingByte::Avoided);
        EXPECT_EQ(HexOf(avoided), test.avoided);
        EXPECT_EQ(AlphaIdentifierBytes(test.text, PaddingByte::Avoided),
                  avoided ? std::optional(avoided->size()) : std::nullopt);
    }
}

// ---- UCS2 of messages ----

TEST(Ucs2, DecodeAndEncode) {
    const std::pair<const char*, std::u32string> decoded[] = {
        {"", U""},
        {"01 58 00 65", U"\u0158e"},
        {"00 41 D8 3D DE 00", U"A\U0001F600"},
        {"D8 00 DC 00 DB FF DF FF", U"\U00010000\U0010FFFF"},
        {"D8 3D 00 41", U"\uFFFDA"},       // high surrogate without its low one
        {"DE 00 00 41", U"\uFFFDA"},       // low surrogate alone
        {"DE 00 DE 00", U"\uFFFD\uFFFD"},  // two low surrogates
        {"D8 3D D8 3D DE 00", U"\uFFFD\U0001F600"},
        {"D8 3D", U"\uFFFD"},  // high surrogate at the end
        {"00 41 D8", U"A"},    // odd byte
    };
    for (const auto& [hex, text] : decoded) EXPECT_EQ(DecodeUcs2(Hex(hex)), text) << hex;

    const std::pair<std::u32string, const char*> encoded[] = {
        {U"A\U0001F600", "00 41 D8 3D DE 00"},
        {U"\U00010000\U0010FFFF", "D8 00 DC 00 DB FF DF FF"},
        {U"\u0158\uFFFF", "01 58 FF FF"},
        {std::u32string{char32_t{0xDC00}, char32_t{0x110000}}, "FF FD FF FD"},  // not characters
    };
    for (const auto& [text, hex] : encoded) EXPECT_EQ(HexOf(EncodeUcs2(text)), hex);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(HexOf(EncodeUcs2(decoded[k].second)), HexOf(Hex(decoded[k].first)));
}

// ---- UTF-8 ----

TEST(Utf8, ValidTextsGoBothWays) {
    const std::pair<const char*, std::u32string> valid[] = {
        {"", U""},
        {"41 7F", U"A\x7F"},
        {"C2 80 C3 BC DF BF", U"\u0080\u00FC\u07FF"},
        {"E0 A0 80 E2 82 AC EF BF BD", U"\u0800\u20AC\uFFFD"},
        {"F0 90 80 80 F0 9F 98 80 F4 8F BF BF", U"\U00010000\U0001F600\U0010FFFF"},
    };
    for (const auto& [hex, text] : valid) {
        const Bytes bytes = Hex(hex);
        EXPECT_EQ(TextFromUtf8(std::string(bytes.begin(), bytes.end())), text) << hex;
        EXPECT_EQ(Utf8FromText(text), std::string(bytes.begin(), bytes.end())) << hex;
    }
    EXPECT_EQ(Utf8FromText(std::u32string{U'A', char32_t{0xD800}, char32_t{0x110000}}), "A\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, MalformedTextGivesNothing) {
    for (const char* hex :
         {"80",          "41 BF",    "C0 80",    "C1 BF",       "E0 80 80",    "E0 9F BF",       "F0 80 80 80",
          "F0 8F BF BF", "ED A0 80", "ED BF BF", "F4 90 80 80", "F5 80 80 80", "F8 88 80 80 80", "FE",
          "FF",          "C3",       "E2 82",    "F0 9F 98",    "C3 41",       "E2 41 AC"}) {
        const Bytes bytes = Hex(hex);
        EXPECT_FALSE(TextFromUtf8(std::string(bytes.begin(), bytes.end()))) << hex;
    }
}

// ---- Windows-1250 ----

// glibc's iconv knows Windows-1250 independently of this program; it refuses the undefined bytes.
std::optional<char32_t> IconvCp1250(std::uint8_t byte) {
    const iconv_t converter = ::iconv_open("UTF-32LE", "CP1250");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = 4;
    const std::size_t done = ::iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(converter);
    if (done == static_cast<std::size_t>(-1) || outLeft != 0) return std::nullopt;
    return char32_t{out[0]} | char32_t{out[1]} << 8 | char32_t{out[2]} << 16 | char32_t{out[3]} << 24;
}

TEST(Cp1250, EveryByteReadsAsIconvReadsIt) {
    if (!IconvCp1250('A')) GTEST_SKIP() << "no CP1250 in iconv";
    std::string undefined;
    for (unsigned value = 0; value < 256; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        const std::u32string text = TextFromCp1250(std::string(1, static_cast<char>(byte)));
        ASSERT_EQ(text.size(), 1u);
        const auto expected = IconvCp1250(byte);
        if (!expected) {
            undefined += HexOf(Bytes{byte}) + " ";
            EXPECT_EQ(text[0], kReplacementCharacter);
            continue;
        }
        EXPECT_EQ(text[0], *expected) << value;
        EXPECT_EQ(Cp1250ByteOf(text[0]), static_cast<char>(byte)) << value;
    }
    EXPECT_EQ(undefined, "81 83 88 90 98 ");
}

TEST(Cp1250, CharactersItCannotHoldAreReplaced) {
    EXPECT_FALSE(Cp1250ByteOf(kReplacementCharacter));
    EXPECT_FALSE(Cp1250ByteOf(0x00F1));  // ñ
    EXPECT_FALSE(Cp1250ByteOf(0x20AC + 1));
    EXPECT_EQ(Cp1250FromText(U"\u0158\u00F1\u65E5\uFFFD\u20ACA", '?'), "\xD8???\x80\x41");
    EXPECT_EQ(TextFromCp1250(std::string("\xC8") + "ech\x81"), U"\u010Cech\uFFFD");
}

}  // namespace
}  // namespace quillet::card
