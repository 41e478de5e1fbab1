// The main window's commands reach the right editor window by the id it knows, make windows of
// the right kind in the right mode, and open the window's own dialogs; unavailable ones do nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "EditorShell.h"
#include "app/CommandRouting.h"

namespace quillet::app {
namespace {

using C = CommandId;
constexpr EditorKind kBook = EditorKind::PhoneBook;
constexpr EditorKind kFdn = EditorKind::FixedDialing;
constexpr EditorKind kSms = EditorKind::Sms;

// The main window's side of the routing: real editor lists of test editors, and a log of the
// dialogs it was asked to open.
class Window final : public CommandTargets {
public:
    EditorLists& Editors() override { return shell.lists; }
    bool Offers(EditorKind kind) const override { return offersAll || kind == kBook; }
    bool AutoRead() const override { return autoRead; }
    std::optional<EditorKind> ChooseFileKind(const std::vector<EditorKind>& offered) override {
        choices.push_back(offered);
        return chosenKind;
    }
    void ShowSetup() override { shown.push_back("setup"); }
    void ShowCountryCodes() override { shown.push_back("country codes"); }
    void ShowTelephoneCard() override { shown.push_back("telephone card"); }
    void ActivateFixedDialing() override { shown.push_back("activate fdn"); }
    void ShowSmsParameters() override { shown.push_back("sms parameters"); }
    void RunPinCommand(CommandId command) override { shown.push_back("pin " + std::to_string(int(command))); }
    void ShowNetworkList(bool forbidden) override { shown.push_back(forbidden ? "forbidden" : "preferred"); }
    void BackupCard() override { shown.push_back("backup"); }
    void RestoreFromBackup(bool restore, bool open) override {
        shown.push_back(std::string("restore ") + (restore ? "1" : "0") + (open ? "1" : "0"));
    }
    void ShowSimInformation() override { shown.push_back("sim information"); }
    void CheckAndRepairCard() override { shown.push_back("check and repair"); }
    void ShowProgramInfo() override { shown.push_back("program info"); }
    void Exit() override { shown.push_back("exit"); }

    // The editor the command opened or drove last: the front window of its kind.
    TestEditor* Front(EditorKind kind) { return static_cast<TestEditor*>(shell.lists.Front(kind)); }
    // Opens a window of the kind and makes it the active one.
    TestEditor* Open(EditorKind kind) { return shell.New(kind); }

    Journal journal;
    Shell shell{journal};
    CommandRouter router{*this};
    bool offersAll = true;
    bool autoRead = true;
    std::optional<EditorKind> chosenKind;
    std::vector<std::vector<EditorKind>> choices;
    std::vector<std::string> shown;
};

TEST(CommandRouting, EditCommandsReachTheActiveEditorAsItsOwnCommand) {
    const struct {
        CommandId command;
        CommandId received;
    } rows[] = {
        {C::InsertItem, C::EditorInsert},
        {C::DeleteItem, C::EditorDelete},
        {C::DeleteSelected, C::EditorDeleteSelected},
        {C::SelectAll, C::EditorSelectAll},
        {C::Copy, C::EditorCopy},
        {C::Cut, C::EditorCut},
        {C::Paste, C::EditorPaste},
        {C::Select, C::EditorSelect},
        {C::Internationalization, C::EditorInternationalize},
        {C::FindReplace, C::EditorFind},
        {C::ToolFindReplace, C::EditorFind},
        {C::ToolFindNext, C::EditorFindNext},
        {C::ToolInsertItem, C::EditorInsert},
        {C::ToolDeleteItem, C::EditorDelete},
        {C::ToolDeleteSelected, C::EditorDeleteSelected},
        {C::ToolInternationalize, C::EditorInternationalize},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.command));
        Window window;
        window.router.OnCommand(row.command);  // no active editor: nobody receives it, nothing opens
        EXPECT_EQ(window.journal.created, 0);

        TestEditor* book = window.Open(kBook);
        TestEditor* sms = window.Open(kSms);
        window.router.OnCommand(row.command);
        EXPECT_EQ(sms->commands, (Commands{row.received}));
        EXPECT_TRUE(book->commands.empty());
    }
}

// Save and the toolbar's Print go to the active window with its kind's command; the menus' Print
// commands reach the active window as they are, and only a window of their kind acts on them.
TEST(CommandRouting, SaveAndPrintGoToTheActiveKindWithThatKindsCommand) {
    const struct {
        CommandId command;
        CommandId phoneBookCommand;
        CommandId smsCommand;
    } rows[] = {
        {C::ToolSaveFile, C::PhoneBookSaveFile, C::SmsSaveFile},
        {C::PhoneBookSaveFile, C::PhoneBookSaveFile, C::SmsSaveFile},
        {C::ToolPrint, C::PrintPhoneBook, C::PrintMessages},
        {C::PrintPhoneBook, C::PrintPhoneBook, C::PrintPhoneBook},
        {C::PrintMessages, C::PrintMessages, C::PrintMessages},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.command));
        Window window;
        window.router.OnCommand(row.command);
        EXPECT_EQ(window.journal.created, 0);

        TestEditor* book = window.Open(kBook);
        TestEditor* fdn = window.Open(kFdn);
        TestEditor* sms = window.Open(kSms);
        window.router.OnCommand(row.command);
        window.shell.lists.OnEditorActivated(fdn);
        window.router.OnCommand(row.command);
        window.shell.lists.OnEditorActivated(book);
        window.router.OnCommand(row.command);
        EXPECT_EQ(sms->commands, (Commands{row.smsCommand}));
        EXPECT_EQ(fdn->commands, (Commands{row.phoneBookCommand}));
        EXPECT_EQ(book->commands, (Commands{row.phoneBookCommand}));
    }
}

TEST(CommandRouting, EditorCommandsOpenTheirKindAndOnlyTheFirstWindowReadsTheCard) {
    const struct {
        CommandId command;
        EditorKind kind;
        bool newWindowEachTime;
    } rows[] = {
        {C::EditPhoneBook, kBook, false},       {C::ToolEditPhoneBook, kBook, false},
        {C::FixedDialingNumbers, kFdn, false},  {C::EditMessages, kSms, false},
        {C::ToolEditMessages, kSms, false},     {C::NewPhoneBook, kBook, true},
        {C::ToolAnotherPhoneBook, kBook, true}, {C::ToolAnotherSmsWindow, kSms, true},
    };
    for (const bool autoRead : {true, false}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(static_cast<int>(row.command));
            Window window;
            window.autoRead = autoRead;
            window.router.OnCommand(row.command);
            TestEditor* first = window.Front(row.kind);
            ASSERT_NE(first, nullptr);
            EXPECT_EQ(first->mode, autoRead ? kOpenAndRead : kOpenEmpty);
            EXPECT_EQ(window.shell.lists.ActiveEditor(), first);

            window.router.OnCommand(row.command);
            const std::size_t expected = row.newWindowEachTime ? 2 : 1;
            EXPECT_EQ(window.shell.lists.OpenCount(row.kind), expected);
            EXPECT_EQ(window.Front(row.kind)->mode, row.newWindowEachTime ? kNoOpenMode : first->mode);
        }
    }
}

TEST(CommandRouting, FileCommandsBringTheirWindowFirst) {
    const struct {
        CommandId command;
        EditorKind kind;
    } rows[] = {
        {C::PhoneBookOpenFile, kBook}, {C::PhoneBookAddFromFile, kBook}, {C::SmsOpenFile, kSms},
        {C::SmsSaveFile, kSms},        {C::SmsAddToFile, kSms},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.command));
        Window window;
        TestEditor* other = window.Open(row.kind == kSms ? kBook : kSms);
        window.router.OnCommand(row.command);  // a window that is not there comes up empty
        TestEditor* target = window.Front(row.kind);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->mode, kNoOpenMode);
        EXPECT_EQ(target->commands, (Commands{row.command}));
        EXPECT_TRUE(other->commands.empty());
        EXPECT_EQ(window.shell.lists.ActiveEditor(), target);
    }
}

TEST(CommandRouting, ToolbarOpenFileAsksForTheKindOnlyWithoutAnActiveEditor) {
    Window window;
    window.offersAll = false;
    window.router.OnCommand(C::ToolOpenFile);  // cancelled
    ASSERT_EQ(window.choices.size(), 1u);
    EXPECT_EQ(window.choices[0], (std::vector<EditorKind>{kBook}));
    EXPECT_EQ(window.journal.created, 0);

    window.offersAll = true;
    window.chosenKind = kSms;
    window.router.OnCommand(C::ToolOpenFile);
    EXPECT_EQ(window.choices.back(), (std::vector<EditorKind>{kBook, kSms}));
    TestEditor* sms = window.Front(kSms);
    ASSERT_NE(sms, nullptr);
    EXPECT_EQ(sms->mode, kNoOpenMode);
    EXPECT_EQ(sms->commands, (Commands{C::SmsOpenFile}));

    // An active editor opens its own kind of file without a question.
    TestEditor* book = window.Open(kBook);
    window.router.OnCommand(C::ToolOpenFile);
    EXPECT_EQ(window.choices.size(), 2u);
    EXPECT_EQ(book->commands, (Commands{C::PhoneBookOpenFile}));
}

TEST(CommandRouting, WindowMenuPicksWindowsByNumberAndStepsToTheNext) {
    Window window;
    window.router.OnCommand(C::PhoneBookNext);  // no window: nothing opens
    EXPECT_EQ(window.journal.created, 0);

    window.router.OnCommand(C::PhoneBookWindow3);
    EXPECT_EQ(window.shell.Numbers(kBook), (std::vector<int>{2}));
    EXPECT_EQ(window.Front(kBook)->mode, kOpenAndRead);
    window.router.OnCommand(C::PhoneBookWindow2);
    EXPECT_EQ(window.Front(kBook)->mode, kNoOpenMode);
    window.router.OnCommand(C::PhoneBookWindow1);
    EXPECT_EQ(window.shell.Numbers(kBook), (std::vector<int>{0, 1, 2}));
    window.router.OnCommand(C::PhoneBookNext);
    EXPECT_EQ(window.shell.Numbers(kBook), (std::vector<int>{1, 2, 0}));

    window.router.OnCommand(C::SmsWindow2);
    window.router.OnCommand(C::SmsWindow1);
    EXPECT_EQ(window.shell.Numbers(kSms), (std::vector<int>{0, 1}));
    window.router.OnCommand(C::SmsNext);
    EXPECT_EQ(window.shell.Numbers(kSms), (std::vector<int>{1, 0}));
    EXPECT_EQ(window.shell.Numbers(kBook), (std::vector<int>{1, 2, 0}));
}

TEST(CommandRouting, TheWindowsOwnCommandsOpenItsDialogsAndCloseAllClosesEveryEditor) {
    Window window;
    for (const CommandId command :
         {C::Setup, C::CountryCodes, C::TelephoneCard, C::ActivateFdn, C::About, C::Exit, C::HelpContents, C::Help,
          C::ContextHelp, C::ToolEnterPin, C::UnblockCard, C::ForbiddenNetworks, C::PreferredNetworks, C::BackupCard,
          C::RestoreCard, C::OpenBackupFile, C::SimInformation, C::ToolCheckAndRepair}) {
        window.router.OnCommand(command);
    }
    // The toolbar's Enter PIN is the menu's.
    const std::string enterPin = "pin " + std::to_string(int(C::EnterPin));
    const std::string unblock = "pin " + std::to_string(int(C::UnblockCard));
    EXPECT_EQ(window.shown,
              (std::vector<std::string>{"setup", "country codes", "telephone card", "activate fdn", "program info",
                                        "exit", enterPin, unblock, "forbidden", "preferred", "backup", "restore 10",
                                        "restore 01", "sim information", "check and repair"}));

    window.Open(kBook);
    window.Open(kSms);
    window.router.OnCommand(C::CloseAll);
    EXPECT_FALSE(window.shell.lists.AnyOpen());
}

TEST(CommandRouting, WhatTheProgramDoesNotOfferIsUnavailableAndDoesNothing) {
    Window window;
    window.offersAll = false;  // phone-book windows only
    const struct {
        CommandId command;
        bool available;
    } rows[] = {
        {C::EditPhoneBook, true},     {C::EditMessages, false},  {C::FixedDialingNumbers, false},
        {C::SmsWindow1, false},       {C::Paste, true},          {C::Setup, true},
        {C::PrintPhoneBook, true},    {C::PrintMessages, false}, {C::ToolEnterPin, true},
        {C::ForbiddenNetworks, true}, {C::SimInformation, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.command));
        EXPECT_EQ(window.router.Available(row.command), row.available);
    }
    for (const CommandId command : {C::EditMessages, C::FixedDialingNumbers, C::ToolAnotherSmsWindow, C::SmsWindow2}) {
        window.router.OnCommand(command);
    }
    EXPECT_EQ(window.journal.created, 0);
}

}  // namespace
}  // namespace quillet::app
