// The program's Windows-1250 texts on terminals of other character sets.
#include <gtest/gtest.h>

#include "cli/TerminalText.h"

namespace quillet::cli {
namespace {

TEST(TerminalText, ProgramTextsAreConvertedToTheTerminalsCharacterSet) {
    const std::string unknownNetwork = "Nezn\xE1m\xE1 s\xED\x9D";  // "Neznámá síť" in Windows-1250
    struct Case {
        std::string text;
        std::string codeset;
        std::string shown;
    };
    const Case cases[] = {
        {unknownNetwork, "UTF-8", "Nezn\xC3\xA1m\xC3\xA1 s\xC3\xAD\xC5\xA5"},
        {unknownNetwork, "ISO-8859-2", "Nezn\xE1m\xE1 s\xED\xBB"},
        {unknownNetwork, "CP1250", unknownNetwork},
        {"plain text", "UTF-8", "plain text"},
        // 0x81 means nothing in Windows-1250: it becomes '?' and the rest still comes through.
        {"a\x81\xE1", "UTF-8", "a?\xC3\xA1"},
        // No such character set: the bytes pass as they are.
        {unknownNetwork, "NO-SUCH-CHARSET", unknownNetwork},
        {"", "UTF-8", ""},
    };
    for (const Case& test : cases) EXPECT_EQ(ConvertProgramText(test.text, test.codeset), test.shown) << test.codeset;
    // An ASCII terminal gets ASCII, whatever transliteration it can offer.
    const std::string ascii = ConvertProgramText(unknownNetwork, "ANSI_X3.4-1968");
    EXPECT_TRUE(ascii.starts_with("Nezn")) << ascii;
    EXPECT_EQ(ascii.size(), 11u) << ascii;
    for (char character : ascii) EXPECT_EQ(character & 0x80, 0) << ascii;
    // A long text goes through in pieces.
    const std::string longText(1000, '\xE1');
    EXPECT_EQ(ConvertProgramText(longText, "UTF-8").size(), 2000u);
}

// Card text decoded for display is UTF-8; other terminals get it in their own character set, and a
// character they cannot spell at all is one '?', not one per byte.
TEST(TerminalText, DisplayTextReachesTerminalsOfEveryCharacterSet) {
    const std::string rehor =
        "\xC5\x98"
        "eho\xC5\x99 5\xE2\x82\xAC";  // "Řehoř 5€"
    EXPECT_EQ(ConvertDisplayText(rehor, "UTF-8"), rehor);
    EXPECT_EQ(ConvertDisplayText(rehor, "CP1250"),
              "\xD8"
              "eho\xF8 5\x80");
    EXPECT_EQ(ConvertDisplayText("\xE4\xBD\xA0\xE5\xA5\xBD!", "ISO-8859-2"),
              "?"
              "?!");  // "你好!"
    const std::string ascii = ConvertDisplayText(rehor, "ANSI_X3.4-1968");
    EXPECT_TRUE(ascii.starts_with("Rehor 5")) << ascii;
}

// A card's text never drives the terminal: file escapes are shown for what they mean, control
// characters (C0, DEL and C1) as '?'.
TEST(TerminalText, CardTextCannotDriveTheTerminal) {
    struct Case {
        std::string lines;
        std::string shown;
    };
    const Case cases[] = {
        {"1\tTwo\x1Bnlines\t+4930\r\n", "1\tTwo\n\tlines\t+4930\n"},
        {"2\t\x1B\x30\t\x1B lead\r\n", "2\t\t lead\n"},  // an empty field, a leading space
        {"3\tA\x1B[2Jb\x07\x7F\r\n", "3\tA[2Jb??\n"},    // ESC '[' from a card is not a sequence
        {"4\tx\xC2\x9B"
         "31m\xC2\xA0y\r\n",
         "4\tx?31m\xC2\xA0y\n"},    // CSI as C1; NBSP is text
        {"5\tend\x1B", "5\tend?"},  // a lone ESC at the end
    };
    for (const Case& test : cases) EXPECT_EQ(TerminalLines(test.lines), test.shown) << test.lines;
}

}  // namespace
}  // namespace quillet::cli
