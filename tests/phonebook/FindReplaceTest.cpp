// Find and replace over a window's positions: where a run starts, wraps and ends, what it changes.
#include <gtest/gtest.h>

#include <cstring>

#include "card/GsmText.h"
#include "phonebook/EntryName.h"
#include "phonebook/FindReplace.h"
#include "resources/StringTable.h"
#include "support/ScriptedUserInterface.h"

namespace quillet::phonebook {
namespace {

PhoneBookEntry Entry(std::uint16_t index, std::u32string_view name, const char* number, std::uint8_t ton = 0) {
    PhoneBookEntry entry = EmptyPosition(index);
    entry.used = 1;
    EXPECT_TRUE(SetNameText(entry, name, kMaxNameBytes));
    std::strcpy(entry.number, number);
    entry.ton = ton;
    return entry;
}

std::vector<PhoneBookEntry> Positions() {
    return {Entry(0, U"xAByz", "420111", 1), Entry(1, U"Bob", "420222"), Entry(2, U"Anna Cole", "333420"),
            EmptyPosition(3), Entry(4, U"Hannah", "444")};
}

std::string Row(const PhoneBookEntry& entry) {
    if (entry.used == 0) return "-";
    return NameIn(entry, card::TextForm::Display) + "|" + (entry.ton == 1 ? "+" : "") + entry.number;
}

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }

std::string Shown(const testing::ScriptedUserInterface& ui) {
    std::string shown;
    for (const auto& message : ui.messages) shown += message.first + "\n";
    return shown;
}

TEST(FindReplace, AFindStartsAfterTheSelectionAndWrapsAround) {
    const struct {
        SearchField field;
        const char* find;
        long selected;
        std::optional<std::size_t> found;
    } cases[] = {
        {SearchField::Everywhere, "ab", 4, 0},  // case does not count; from the last row to the first
        {SearchField::Name, "AN", 2, 4},        // the selected row is passed over
        {SearchField::Number, "+42", -1, 0},    // no selection: from row 1, wrapping to row 0
        {SearchField::DialingCode, "42", -1, 1},
        {SearchField::DialingCode, "33", 2, 2},  // the selected row is looked at last
        {SearchField::Name, "zzz", 1, std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<PhoneBookEntry> positions = Positions();
        testing::ScriptedUserInterface ui;
        const FindResult result = RunFindReplace(positions, FindOperation::Find, {c.find, "", c.field}, c.selected, ui,
                                                 [] { return ReplaceAnswer::Cancel; });
        EXPECT_EQ(result.foundRow, c.found) << c.find;
        EXPECT_EQ(result.notFound, !c.found) << c.find;
        EXPECT_EQ(Shown(ui), c.found ? "" : Text(57401) + "\n") << c.find;
        for (const auto& message : ui.messages) EXPECT_EQ(message.second, card::MessageIcon::Information);
    }
}

TEST(FindReplace, AReplaceAsksChangesTheMatchedFieldAndDoesNotWrap) {
    const std::string kept = "xAByz|+420111 Bob|420222 Anna Cole|333420 Hannah|444";
    const struct {
        SearchField field;
        const char* find;
        std::string replace;
        long selected;
        std::string answers;  // Yes, No, All, Cancel
        std::string rows;     // rows 0, 1, 2 and 4 afterwards
        std::uint32_t message;
    } cases[] = {
        {SearchField::Name, "an", "X", -1, "YN", "xAByz|+420111 Bob|420222 Xna Cole|333420 Hannah|444", 57401},
        {SearchField::Everywhere, "42", "", -1, "A", "xAByz|+0111 Bob|0222 Anna Cole|3330 Hannah|444", 0},
        {SearchField::DialingCode, "420", "+00420", -1, "A", "xAByz|+420111 Bob|+00420222 Anna Cole|333420 Hannah|444",
         0},
        {SearchField::Number, "111", "x1", -1, "Y", kept, 57402},
        {SearchField::Name, "bob", "Rob", 2, "", kept, 57401},
        {SearchField::Name, "BOB", std::string(40, 'y'), 1, "Y",
         "xAByz|+420111 " + std::string(32, 'y') + "|420222 Anna Cole|333420 Hannah|444", 57401},
        {SearchField::Name, "a", "b", -1, "C", kept, 0},
        // The result is cut at 64 characters before the number check, so the letter never counts.
        {SearchField::Number, "111", std::string(60, '5') + "x", -1, "Y",
         "xAByz|+420" + std::string(57, '5') + " Bob|420222 Anna Cole|333420 Hannah|444", 57401},
    };
    for (const auto& c : cases) {
        std::vector<PhoneBookEntry> positions = Positions();
        testing::ScriptedUserInterface ui;
        std::string answers = c.answers;
        const FindResult result =
            RunFindReplace(positions, FindOperation::Replace, {c.find, c.replace, c.field}, c.selected, ui, [&] {
                const char answer = answers.empty() ? '-' : answers.front();
                EXPECT_FALSE(answers.empty()) << c.find;
                answers.erase(0, 1);
                return answer == 'Y'   ? ReplaceAnswer::Yes
                       : answer == 'N' ? ReplaceAnswer::No
                       : answer == 'A' ? ReplaceAnswer::All
                                       : ReplaceAnswer::Cancel;
            });
        EXPECT_TRUE(answers.empty()) << c.find;
        EXPECT_EQ(Row(positions[0]) + " " + Row(positions[1]) + " " + Row(positions[2]) + " " + Row(positions[4]),
                  c.rows);
        std::vector<std::size_t> changed;
        for (std::size_t row = 0; row < positions.size(); ++row) {
            if (positions[row].modified != 0) changed.push_back(row);
        }
        EXPECT_EQ(result.changedRows, changed) << c.find;
        EXPECT_EQ(Shown(ui), c.message != 0 ? Text(c.message) + "\n" : "") << c.find;
        EXPECT_EQ(result.notFound, c.message == 57401) << c.find;
    }
}

}  // namespace
}  // namespace quillet::phonebook
