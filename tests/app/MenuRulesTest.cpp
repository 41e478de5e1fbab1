// Which menu items and toolbar buttons the active editor and the open windows allow.
#include <gtest/gtest.h>

#include "app/MenuRules.h"

namespace quillet::app {
namespace {

using C = CommandId;

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
        CommandId id;
        bool phoneBook, fixedDialing, sms, none;
    };
    const Row rows[] = {
        {C::ToolSaveFile, true, true, true, false},       {C::ToolPrint, true, true, true, false},
        {C::ToolInsertItem, true, true, true, false},     {C::ToolDeleteItem, true, true, true, false},
        {C::ToolDeleteSelected, true, true, true, false}, {C::ToolFindReplace, true, true, false, false},
        {C::ToolFindNext, true, true, false, false},      {C::ToolInternationalize, true, true, false, false},
        {C::PhoneBookSaveFile, true, true, false, false}, {C::SmsSaveFile, false, false, true, true},
        {C::SmsAddToFile, false, false, true, true},      {C::InsertItem, true, true, true, false},
        {C::DeleteItem, true, true, true, false},         {C::Internationalization, true, true, false, false},
        {C::PrintPhoneBook, true, true, false, false},    {C::PrintMessages, false, false, true, false},
    };
    const ActiveEditor states[] = {ActiveEditor::PhoneBook, ActiveEditor::FixedDialing, ActiveEditor::Sms,
                                   ActiveEditor::None};
    for (int column = 0; column < 4; ++column) {
        const MenuStates menus = ComputeMenuStates(With(states[column]));
        SCOPED_TRACE(column);
        EXPECT_EQ(menus.windowMenuEnabled, states[column] != ActiveEditor::None);
        for (const Row& row : rows) {
            const bool expected[] = {row.phoneBook, row.fixedDialing, row.sms, row.none};
            EXPECT_EQ(menus.IsEnabled(row.id), expected[column]) << static_cast<int>(row.id);
        }
        // Commands that need no editor, or make one, are never grayed.
        for (CommandId id : {C::EditPhoneBook, C::EditMessages, C::FixedDialingNumbers, C::PhoneBookOpenFile,
                             C::SmsOpenFile, C::BackupCard, C::EnterPin, C::ToolOpenFile, C::ToolEditPhoneBook,
                             C::ToolEditMessages, C::PhoneBookNext, C::PhoneBookWindow1}) {
            EXPECT_TRUE(menus.IsEnabled(id)) << static_cast<int>(id);
        }
    }
}

TEST(MenuRules, NewWindowCommandsStopAtThreeWindowsOfTheirKind) {
    MenuContext context = With(ActiveEditor::None);
    EXPECT_FALSE(ComputeMenuStates(context).IsEnabled(C::CloseAll));

    context.anyEditorOpen = true;
    context.phoneBookWindows = 2;
    context.smsWindows = 3;
    MenuStates menus = ComputeMenuStates(context);
    EXPECT_TRUE(menus.IsEnabled(C::ToolAnotherPhoneBook));
    EXPECT_TRUE(menus.IsEnabled(C::NewPhoneBook));
    EXPECT_FALSE(menus.IsEnabled(C::ToolAnotherSmsWindow));
    EXPECT_TRUE(menus.IsEnabled(C::CloseAll));

    context.phoneBookWindows = 3;
    context.smsWindows = 2;
    menus = ComputeMenuStates(context);
    EXPECT_FALSE(menus.IsEnabled(C::ToolAnotherPhoneBook));
    EXPECT_FALSE(menus.IsEnabled(C::NewPhoneBook));
    EXPECT_TRUE(menus.IsEnabled(C::ToolAnotherSmsWindow));
}

TEST(MenuRules, PasteNeedsAnActiveEditorAndItsOwnClipboardFormat) {
    for (ActiveEditor active : {ActiveEditor::PhoneBook, ActiveEditor::FixedDialing, ActiveEditor::Sms}) {
        MenuContext context = With(active);
        EXPECT_FALSE(ComputeMenuStates(context).IsEnabled(C::Paste));
        context.clipboardHasEditorFormat = true;
        EXPECT_TRUE(ComputeMenuStates(context).IsEnabled(C::Paste));
    }
    MenuContext none = With(ActiveEditor::None);
    none.clipboardHasEditorFormat = true;
    EXPECT_FALSE(ComputeMenuStates(none).IsEnabled(C::Paste));
}

}  // namespace
}  // namespace quillet::app
