// Which menu items and toolbar buttons the active editor and the open windows allow.
#include <gtest/gtest.h>

#include "app/MenuRules.h"

namespace quillet::app {
namespace {

MenuContext With(ActiveEditor active) {
    MenuContext context;
    context.active = active;
    context.anyEditorOpen = active != ActiveEditor::None;
    context.phoneBookWindows = active == ActiveEditor::PhoneBook ? 1 : 0;
    context.smsWindows = active == ActiveEditor::Sms ? 1 : 0;
    return context;
}

TEST(MenuRules, EachActiveEditorAllowsItsOwnCommands) {
    struct Row {
        int id;
        bool phoneBook, fixedDialing, sms, none;
    };
    const Row rows[] = {
        {2002, true, true, true, false},    {2003, true, true, true, false},   {2014, true, true, true, false},
        {2015, true, true, true, false},    {2016, true, true, true, false},   {2011, true, true, false, false},
        {2012, true, true, false, false},   {2017, true, true, false, false},  {40005, true, true, false, false},
        {40009, false, false, true, true},  {40010, false, false, true, true}, {40060, true, true, true, false},
        {40061, true, true, true, false},   {40079, true, true, false, false}, {40096, true, true, false, false},
        {40097, false, false, true, false},
    };
    const ActiveEditor states[] = {ActiveEditor::PhoneBook, ActiveEditor::FixedDialing, ActiveEditor::Sms,
                                   ActiveEditor::None};
    for (int column = 0; column < 4; ++column) {
        const MenuStates menus = ComputeMenuStates(With(states[column]));
        SCOPED_TRACE(column);
        EXPECT_EQ(menus.windowMenuEnabled, states[column] != ActiveEditor::None);
        for (const Row& row : rows) {
            const bool expected[] = {row.phoneBook, row.fixedDialing, row.sms, row.none};
            EXPECT_EQ(menus.IsEnabled(row.id), expected[column]) << row.id;
        }
        // Commands that need no editor, or make one, are never grayed.
        for (int id : {40001, 40004, 40089, 40002, 40008, 40024, 40018, 2001, 2005, 2007, 40074, 40201}) {
            EXPECT_TRUE(menus.IsEnabled(id)) << id;
        }
    }
}

TEST(MenuRules, NewWindowCommandsStopAtThreeWindowsOfTheirKind) {
    MenuContext context = With(ActiveEditor::None);
    EXPECT_FALSE(ComputeMenuStates(context).IsEnabled(40071));

    context.anyEditorOpen = true;
    context.phoneBookWindows = 2;
    context.smsWindows = 3;
    MenuStates menus = ComputeMenuStates(context);
    EXPECT_TRUE(menus.IsEnabled(2006));
    EXPECT_TRUE(menus.IsEnabled(40007));
    EXPECT_FALSE(menus.IsEnabled(2008));
    EXPECT_TRUE(menus.IsEnabled(40071));

    context.phoneBookWindows = 3;
    context.smsWindows = 2;
    menus = ComputeMenuStates(context);
    EXPECT_FALSE(menus.IsEnabled(2006));
    EXPECT_FALSE(menus.IsEnabled(40007));
    EXPECT_TRUE(menus.IsEnabled(2008));
}

TEST(MenuRules, PasteNeedsAnActiveEditorAndItsOwnClipboardFormat) {
    for (ActiveEditor active : {ActiveEditor::PhoneBook, ActiveEditor::FixedDialing, ActiveEditor::Sms}) {
        MenuContext context = With(active);
        EXPECT_FALSE(ComputeMenuStates(context).IsEnabled(40068));
        context.clipboardHasEditorFormat = true;
        EXPECT_TRUE(ComputeMenuStates(context).IsEnabled(40068));
    }
    MenuContext none = With(ActiveEditor::None);
    none.clipboardHasEditorFormat = true;
    EXPECT_FALSE(ComputeMenuStates(none).IsEnabled(40068));
}

}  // namespace
}  // namespace quillet::app
