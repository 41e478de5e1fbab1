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

}  // namespace
}  // namespace quillet::cli
