// Dialling characters, numbers, the '+' convention, transliteration and the text helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "phonebook/DialNumbers.h"
#include "phonebook/TextHelpers.h"
#include "phonebook/Transliteration.h"

namespace quillet::phonebook {
namespace {

TEST(DialNumbers, CharactersAndNibbles) {
    for (char c : std::string("0123456789*#PpDEF")) EXPECT_TRUE(IsDialChar(c)) << c;
    for (char c : std::string("def+ -AaX")) EXPECT_FALSE(IsDialChar(c)) << c;
    EXPECT_EQ(CharToBcdNibble('P'), 12);
    EXPECT_EQ(CharToBcdNibble('p'), 12);
    EXPECT_EQ(BcdNibbleToChar(12), 'p');
    EXPECT_EQ(CharToBcdNibble('D'), 13);
    EXPECT_EQ(CharToBcdNibble('E'), 14);
    EXPECT_EQ(CharToBcdNibble('F'), 15);
    EXPECT_EQ(CharToBcdNibble('*'), 10);
    EXPECT_EQ(CharToBcdNibble('#'), 11);
    EXPECT_EQ(BcdNibbleToChar(15), '\0');
}

TEST(DialNumbers, ValidNumbersAndTheInternationalPrefix) {
    EXPECT_TRUE(IsValidNumber(""));
    EXPECT_TRUE(IsValidNumber("+4930"));
    EXPECT_FALSE(IsValidNumber("0+1"));
    EXPECT_FALSE(IsValidNumber("++1"));
    EXPECT_TRUE(IsValidNumber(std::string(60, '1')));
    EXPECT_FALSE(IsValidNumber(std::string(61, '1')));

    std::string number;
    std::uint8_t ton = 9;
    SplitInternational("+4930", number, ton);
    EXPECT_EQ(number, "4930");
    EXPECT_EQ(ton, 1);
    SplitInternational("4930", number, ton);
    EXPECT_EQ(number, "4930");
    EXPECT_EQ(ton, 0);
    SplitInternational("+123456", number, ton, 4);
    EXPECT_EQ(number, "123");
    EXPECT_EQ(JoinInternational("4930", 1), "+4930");
    EXPECT_EQ(JoinInternational("4930", 0), "4930");
    EXPECT_EQ(JoinInternational("4930", 2), "4930");
}

TEST(Transliteration, NamesFromTextBecomePlainAscii) {
    const std::string name = "\x8A\x9D" "astn\xFD";  // Šťastný in Windows-1250
    std::string plain;
    for (char c : name) plain += TransliterateChar(c);
    EXPECT_EQ(plain, "Stastny");
    EXPECT_EQ(TransliterateChar('\x91'), '.');  // quotes end as '.'
    EXPECT_EQ(TransliterateChar('\x92'), '.');
    EXPECT_EQ(TransliterateChar('\x84'), '"');
    EXPECT_EQ(TransliterateChar('\x82'), ',');
    EXPECT_EQ(TransliterateChar('\xA9'), '.');  // not in the table
    EXPECT_EQ(TransliterateChar('x'), 'x');
}

TEST(TextHelpers, BoundedEditing) {
    char buffer[8] = "abcdef";
    DeleteChars(buffer, 1, 2);
    EXPECT_STREQ(buffer, "adef");
    DeleteChars(buffer, 3, 10);
    EXPECT_STREQ(buffer, "ade");
    InsertText(buffer, sizeof buffer, 1, "XYZW");
    EXPECT_STREQ(buffer, "aXYZWde");
    InsertText(buffer, sizeof buffer, 0, "12");
    EXPECT_STREQ(buffer, "12aXYZW");  // cut at the bound
    CopyBounded(buffer, 4, "abcdef");
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(FindNoCase("Jan Nov\xE1k", "V\xC1K"), 6);
    EXPECT_EQ(FindNoCase("abc", "x"), -1);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("0042"), 42);
    EXPECT_EQ(ParseDecimal("12a"), -1);
    EXPECT_EQ(ParseDecimal("2147483647"), 2147483647L);
    EXPECT_EQ(ParseDecimal("2147483648"), -1);
    EXPECT_EQ(ParseDecimal("99999999999"), -1);
}

}  // namespace
}  // namespace quillet::phonebook
