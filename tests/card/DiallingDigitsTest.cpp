// Dialling digits in BCD: the characters, unpacking with its limits, packing with its filler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card/DiallingDigits.h"

namespace quillet::card {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DiallingDigits, CharactersAndNibbles) {
    for (char c : std::string("0123456789*#PpDE")) EXPECT_TRUE(IsDialChar(c)) << c;
    // 'F' is the card's filler: a number holding one would be cut there.
    for (char c : std::string("Fdef+ -AaX")) EXPECT_FALSE(IsDialChar(c)) << c;
    // BCD nibbles 0-9, then '*', '#', the pause 'p', D and E; F is the filler.
    const std::string nibbles = "0123456789*#pDEF";
    for (std::uint8_t nibble = 0; nibble < 16; ++nibble) {
        EXPECT_EQ(CharToBcdNibble(nibbles[nibble]), nibble) << int{nibble};
        if (nibble < 15) {
            EXPECT_EQ(BcdNibbleToChar(nibble), nibbles[nibble]);
        }
    }
    EXPECT_EQ(CharToBcdNibble('P'), 12);
    EXPECT_EQ(BcdNibbleToChar(15), '\0');
}

TEST(DiallingDigits, UnpackingStopsAtTheFillerTheBytesOrTheLimit) {
    struct Case {
        const char* what;
        Bytes bytes;
        std::size_t nibbles;
        std::size_t maxDigits;
        std::string digits;
    };
    const Case cases[] = {
        {"low nibble first", {0x21, 0x43}, 4, 60, "1234"},
        {"odd count ends in the filler", {0x21, 0xF3, 0x55}, 6, 60, "123"},
        {"the nibble count cuts", {0x21, 0x43}, 3, 60, "123"},
        {"the bytes cut", {0x21}, 20, 60, "12"},
        {"the digit limit cuts", {0x21, 0x43}, 4, 3, "123"},
        {"a filler in the low nibble ends at once", {0x1F}, 2, 60, ""},
        {"the other dialling characters", {0xBA, 0xDC, 0xFE}, 6, 60, "*#pDE"},
        {"nothing", {}, 4, 60, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(UnpackDigits(c.bytes, c.nibbles, c.maxDigits), c.digits) << c.what;

    // Appending continues a number and keeps the limit over both parts.
    std::string digits = "98";
    AppendDigits(Bytes{0x21, 0x43}, 4, 5, digits);
    EXPECT_EQ(digits, "98123");
}

TEST(DiallingDigits, PackingWritesOnlyTheBytesTheDigitsNeed) {
    struct Case {
        const char* what;
        std::string digits;
        std::size_t room;
        Bytes bytes;  // a field of `room` bytes that held 0x77 before
        std::size_t written;
    };
    const Case cases[] = {
        {"even count", "1234", 4, {0x21, 0x43, 0x77, 0x77}, 2},
        {"odd count gets the filler", "12345", 4, {0x21, 0x43, 0xF5, 0x77}, 3},
        {"other characters", "*#pDE", 3, {0xBA, 0xDC, 0xFE}, 3},
        {"digits beyond the field are dropped", "123456", 2, {0x21, 0x43}, 2},
        {"nothing", "", 2, {0x77, 0x77}, 0},
    };
    for (const Case& c : cases) {
        Bytes field(c.room, 0x77);
        EXPECT_EQ(PackDigits(c.digits, field), c.written) << c.what;
        EXPECT_EQ(field, c.bytes) << c.what;
        // The digits read back as far as the field held them.
        EXPECT_EQ(UnpackDigits(field, 2 * c.written, 60), c.digits.substr(0, 2 * c.room)) << c.what;
    }
    EXPECT_EQ(DigitNibbles("1*F"), (Bytes{1, 10, 15}));
}

}  // namespace
}  // namespace quillet::card
