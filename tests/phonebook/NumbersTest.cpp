// Dialling numbers: their characters, the '+' convention, transliteration and the text helpers, the
// country list, and the two bulk rewrites of a phone book window: Add Code and Internationalize.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "phonebook/CountryDialingCodes.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/Internationalize.h"
#include "phonebook/TextHelpers.h"
#include "phonebook/Transliteration.h"
#include "resources/StringTable.h"
#include "support/ScriptedUserInterface.h"

namespace quillet::phonebook {
namespace {

TEST(DialNumbers, ValidNumbersAndTheInternationalPrefix) {
    EXPECT_TRUE(IsValidNumber(""));
    EXPECT_TRUE(IsValidNumber("+4930"));
    EXPECT_FALSE(IsValidNumber("0+1"));
    EXPECT_TRUE(IsValidNumber(std::string(60, '1')));
    EXPECT_FALSE(IsValidNumber(std::string(61, '1')));
    // A service centre: 20 digits at most, the '+' not counted.
    EXPECT_TRUE(IsValidCentreNumber(""));
    EXPECT_TRUE(IsValidCentreNumber("+" + std::string(20, '1')));
    EXPECT_FALSE(IsValidCentreNumber(std::string(21, '1')));
    EXPECT_FALSE(IsValidCentreNumber("+42O603"));

    const auto split = [](std::string_view text, std::size_t capacity = 61) {
        std::string number;
        std::uint8_t ton = 9;
        SplitInternational(text, number, ton, capacity);
        return std::make_pair(number, int{ton});
    };
    EXPECT_EQ(split("+4930"), std::make_pair(std::string("4930"), 1));
    EXPECT_EQ(split("4930"), std::make_pair(std::string("4930"), 0));
    EXPECT_EQ(split("+123456", 4).first, "123");
    EXPECT_EQ(JoinInternational("4930", 1), "+4930");
    EXPECT_EQ(JoinInternational("4930", 0), "4930");
    EXPECT_EQ(JoinInternational("4930", 2), "4930");
}

TEST(Transliteration, NamesFromTextBecomePlainAscii) {
    const std::string name =
        "\x8A\x9D"
        "astn\xFD";  // Šťastný in Windows-1250
    std::string plain;
    for (char c : name) plain += TransliterateChar(c);
    EXPECT_EQ(plain, "Stastny");
    EXPECT_EQ(TransliterateChar('\x91'), '.');  // quotes end as '.'
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

using card::MessageIcon;
using TextList = std::vector<std::string>;

TEST(CountryDialingCodes, TableLookupsAndCodeOrder) {
    const auto rows = CountryDialingCodes();
    ASSERT_EQ(rows.size(), 229u);
    for (const auto& row : rows) {
        EXPECT_TRUE(row.country.size() <= 30u && IsValidNumber(row.code) && row.code.front() == '+') << row.country;
    }
    EXPECT_EQ(FindDialingCode("Germany"), "+49");
    EXPECT_EQ(FindDialingCode("Virgin Islands (BR)"), "+1809496");
    EXPECT_EQ(FindDialingCode("germany"), std::nullopt);
    EXPECT_EQ(FindCountry("+1"), "Canada");  // the first of Canada and USA
    EXPECT_EQ(FindCountry("+999"), std::nullopt);

    const auto order = CountryRowsByCode();
    auto sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], i) << "not a permutation";
    for (std::size_t i = 1; i < order.size(); ++i) EXPECT_LE(rows[order[i - 1]].code, rows[order[i]].code);

    EXPECT_EQ(InsertChosenCode("+49", "+"), "+49");
    EXPECT_EQ(InsertChosenCode("+49", "0301234"), "+490301234");
}

TEST(AddCodeForm, AddToEndTakesThePlusAndForcesForAllNumbers) {
    AddCodeForm form(DefaultItemRange(250, 2, 7));
    EXPECT_EQ(form.Request().range.from, 3);
    EXPECT_EQ(form.Request().range.to, 8);
    EXPECT_EQ(DefaultItemRange(250, 4, 4).to, 250);  // one selected row is no range
    form.Request().code = "+49";
    form.SetAddToEnd(true);
    EXPECT_EQ(form.Request().code, "49");
    EXPECT_TRUE(form.Request().forAllNumbers && !form.ForAllNumbersEnabled());
    form.SetAddToEnd(false);
    EXPECT_EQ(form.Request().code, "+49");
    EXPECT_TRUE(!form.Request().forAllNumbers && form.ForAllNumbersEnabled());
}

class BulkRewrite : public ::testing::Test {
protected:
    // One used position per dialling text ("" = a name without number), then one empty position.
    void Fill(const TextList& texts, std::vector<std::uint16_t> indexes = {}) {
        positions.clear();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            PhoneBookEntry entry = EmptyPosition(indexes.empty() ? static_cast<std::uint16_t>(i) : indexes[i]);
            entry.used = 1;
            std::string number;
            SplitInternational(texts[i], number, entry.ton);
            CopyBounded(entry.number, sizeof entry.number, number);
            positions.push_back(entry);
        }
        positions.push_back(EmptyPosition(static_cast<std::uint16_t>(texts.size())));
        ui.messages.clear();
    }
    TextList Texts() const {
        TextList texts;
        for (const auto& entry : positions) texts.push_back(JoinInternational(entry.number, entry.ton));
        return texts;
    }
    std::size_t ModifiedCount() const {
        return std::count_if(positions.begin(), positions.end(), [](const auto& entry) { return entry.modified; });
    }
    ItemRange All() const { return {1, static_cast<long>(positions.size())}; }
    RewriteOutcome Add(std::string code, bool forAll, bool toEnd) {
        return AddCode(positions, {code, All(), forAll, toEnd}, ui);
    }
    RewriteOutcome Internationalize(std::string_view country, std::string_view selector) {
        return phonebook::Internationalize(positions, All(), {country, selector}, ui);
    }
    void ExpectMessage(std::uint32_t id, MessageIcon icon) {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], std::make_pair(std::string(resources::LoadString(id)), icon));
    }

    std::vector<PhoneBookEntry> positions;
    testing::ScriptedUserInterface ui;
};

TEST_F(BulkRewrite, AddCodeInFrontBehindAndTooLong) {
    Fill({"301234", "0301234", "+33123", "*100#", ""});
    Add("+49", false, false);
    EXPECT_EQ(Texts(), (TextList{"+49301234", "0301234", "+33123", "*100#", "", ""}));
    EXPECT_EQ(ModifiedCount(), 1u);  // a name alone gets no bare code as its number
    Fill({"0301234", "+33123"});
    Add("+49", true, false);
    EXPECT_EQ(Texts(), (TextList{"+490301234", "+33123", ""}));
    Fill({"+33123"});
    Add("49", true, false);
    EXPECT_EQ(Texts(), (TextList{"+4933123", ""}));
    Fill({"+49301", "0301"});
    Add("1234", true, true);
    EXPECT_EQ(Texts(), (TextList{"+493011234", "03011234", ""}));

    Fill({std::string(58, '3'), std::string(57, '3')});
    EXPECT_EQ(Add("+49", false, false).tooLong, 1u);
    EXPECT_EQ(Texts(), (TextList{std::string(58, '3'), "+49" + std::string(57, '3'), ""}));
    ExpectMessage(57452, MessageIcon::Information);
}

TEST_F(BulkRewrite, AddCodeRefusesBadInputAndOtherwiseCountsInCardOrder) {
    Fill({"301", "302", "303"}, {2, 0, 1});
    const std::pair<AddCodeRequest, std::uint32_t> refused[] = {{{"+49", {1, 5}, false, false}, 57450},
                                                                {{"+49", {3, 2}, false, false}, 57450},
                                                                {{"0+1", {1, 2}, false, false}, 57451},
                                                                {{"+49", {1, 2}, true, true}, 57451}};
    for (const auto& [request, message] : refused) {
        ui.messages.clear();
        EXPECT_FALSE(AddCode(positions, request, ui).performed);
        ExpectMessage(message, MessageIcon::Error);
    }
    EXPECT_EQ(Texts(), (TextList{"301", "302", "303", ""}));  // untouched and not re-sorted

    AddCode(positions, {"+49", {1, 1}, false, false}, ui);  // row 1 in card order holds index 0
    EXPECT_EQ(Texts(), (TextList{"+49302", "303", "301", ""}));
}

TEST_F(BulkRewrite, InternationalizeTurnsNationalNumbersInternational) {
    Fill({"00441234", "0301234", "301234", "*100#", "+49301", "0", "00"});
    EXPECT_EQ(Internationalize("49", "00").changed, 2u);
    EXPECT_EQ(Texts(), (TextList{"+441234", "+49301234", "301234", "*100#", "+49301", "0", "00", ""}));
    EXPECT_EQ(ModifiedCount(), 2u);
    Fill({"0049301", "011441234", "0301"});
    Internationalize("+49", "011");  // a country code typed with its '+' means the same
    EXPECT_EQ(Texts(), (TextList{"0049301", "+441234", "+49301", ""}));

    Fill({"0" + std::string(58, '1'), "0" + std::string(59, '1')});
    Internationalize("49", "00");
    EXPECT_EQ(Texts(), (TextList{"+49" + std::string(58, '1'), "0" + std::string(59, '1'), ""}));
    ExpectMessage(57592, MessageIcon::Information);

    Fill({"0301", "0302"}, {1, 0});  // view order counts; nothing is re-sorted
    phonebook::Internationalize(positions, {2, 2}, {"49", "00"}, ui);
    EXPECT_EQ(Texts(), (TextList{"0301", "+49302", ""}));
    for (const ItemRange range : {ItemRange{0, 2}, ItemRange{1, 4}, ItemRange{3, 2}}) {
        ui.messages.clear();
        EXPECT_FALSE(phonebook::Internationalize(positions, range, {"49", "00"}, ui).performed);
        ExpectMessage(57593, MessageIcon::Error);
    }
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(BulkRewrite, InternationalizeWithMissingSettingsAsksAndSkipsTheirRule) {
    Fill({"0301234", "00441234", "301234"});
    ui.answers = {card::Answer::No, card::Answer::Cancel, card::Answer::Yes, card::Answer::Yes};
    EXPECT_FALSE(Internationalize("49", "").performed);
    EXPECT_FALSE(Internationalize("", "00").performed);
    EXPECT_EQ(ModifiedCount(), 0u);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[0], resources::LoadString(57591));

    Internationalize("49", "");  // no prefix recognises nothing; numbers are not taken as they stand
    EXPECT_EQ(Texts(), (TextList{"+49301234", "00441234", "301234", ""}));
    Fill({"0301234", "00441234"});
    Internationalize("", "00");  // without a country code the trunk '0' stays
    EXPECT_EQ(Texts(), (TextList{"0301234", "+441234", ""}));
}

}  // namespace
}  // namespace quillet::phonebook
