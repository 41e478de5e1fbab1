// Decoded card text on its way out: into Windows-1250 files, onto screens, into the GSM alphabet.
#include <gtest/gtest.h>

#include "card/GsmText.h"
#include "card/TextForms.h"

namespace quillet::card {
namespace {

TEST(TextForms, FilesGetWindows1250AndPlainSpellingsOfWhatItLacks) {
    struct Case {
        std::u32string text;
        std::string file;
    };
    const Case cases[] = {
        {U"Řehoř Müller",
         "\xD8"
         "eho\xF8 M\xFCller"},  // all in Windows-1250: kept, not transliterated
        {U"5€ deal", "5\x80 deal"},
        {U"Ñandú Øre Æsir straße",
         "Nand\xFA Ore AEsir stra\xDF"
         "e"},  // ß is Windows-1250's own
        {U"Œuvre ĳs łódź",
         "OEuvre ijs \xB3\xF3"
         "d\x9F"},
        {U"ΔΩ 你好", ".. .."},  // nothing to spell them with
        {U"", ""},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(FileTextOf(test.text), test.file) << Utf8FromText(test.text);
        EXPECT_EQ(TextIn(test.text, TextForm::File), test.file);
        EXPECT_EQ(TextIn(test.text, TextForm::Display), Utf8FromText(test.text));
    }
    // What a file holds reads back as the same text wherever Windows-1250 could hold it.
    const std::u32string czech = U"Příliš žluťoučký kůň úpěl ďábelské ódy";
    EXPECT_EQ(TextFromCp1250(FileTextOf(czech)), czech);
}

TEST(TextForms, GsmRepertoireKeepsWhatPhonesCanShow) {
    struct Case {
        std::u32string text;
        std::u32string kept;
    };
    const Case cases[] = {
        {U"Price 5€ @ café_$ [ok]\n", U"Price 5€ @ café_$ [ok]\n"},  // default table and extension table
        {U"Příliš žluťoučký", U"Prilis zlutoucky"},
        {U"Ωmega 你", U"Ωmega ?"},
        {U"`x`", U"?x?"},
    };
    for (const Case& test : cases) {
        const std::u32string kept = ToGsmRepertoire(test.text);
        EXPECT_EQ(kept, test.kept) << Utf8FromText(test.text);
        EXPECT_TRUE(EncodeSeptets(kept).has_value()) << Utf8FromText(kept);
    }
}

}  // namespace
}  // namespace quillet::card
