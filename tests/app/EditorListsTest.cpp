// The main window's editor lists: numbering, rotation, activation, closing and command routing.
#include <gtest/gtest.h>

#include <vector>

#include "EditorShell.h"

namespace quillet::app {
namespace {

constexpr int kCloseAllQuestion = 57840;

using Numbers = std::vector<int>;
constexpr EditorKind kBook = EditorKind::PhoneBook;
constexpr EditorKind kFdn = EditorKind::FixedDialing;
constexpr EditorKind kSms = EditorKind::Sms;

TEST(EditorListsWindows, NextStepsOnOnlyFromTheActiveFrontWindow) {
    Journal journal;
    Shell shell(journal);
    TestEditor* window3 = shell.Activate(kBook, 102, false, kOpenEmpty);
    TestEditor* window2 = shell.Activate(kBook, 101);
    TestEditor* window1 = shell.Activate(kBook, 100);
    ASSERT_EQ(shell.Numbers(kBook), (Numbers{0, 1, 2}));
    ASSERT_EQ(shell.lists.ActiveEditor(), window1);

    EXPECT_EQ(shell.Activate(kBook, 1), window2);
    EXPECT_EQ(shell.Numbers(kBook), (Numbers{1, 2, 0}));
    EXPECT_EQ(shell.lists.ActiveEditor(), window2);

    // A click on window 3 brings it in front; a repeated report of the same activation changes nothing.
    shell.lists.OnEditorActivated(window3);
    const int updates = shell.menuUpdates;
    shell.lists.OnEditorActivated(window3);
    EXPECT_EQ(shell.menuUpdates, updates);
    EXPECT_EQ(shell.Numbers(kBook), (Numbers{2, 0, 1}));

    // With another list's window active, Next brings window 3 up again instead of stepping on.
    TestEditor* sms = shell.New(kSms);
    ASSERT_EQ(shell.lists.ActiveEditor(), sms);
    const int before = window3->activations;
    EXPECT_EQ(shell.Activate(kBook, 1), window3);
    EXPECT_EQ(shell.Numbers(kBook), (Numbers{2, 0, 1}));
    EXPECT_EQ(window3->activations, before + 1);
    EXPECT_EQ(shell.lists.ActiveEditor(), window3);
    EXPECT_EQ(journal.created, 4);
}

TEST(EditorListsWindows, WindowCommandMakesTheMissingNumberWithTheCallersMode) {
    Journal journal;
    Shell shell(journal);
    TestEditor* window1 = shell.New(kBook);
    TestEditor* window2 = shell.Activate(kBook, 101, false, kOpenAndOpenFile);
    EXPECT_EQ(window2->number, 1);
    EXPECT_EQ(window2->mode, kOpenAndOpenFile);
    EXPECT_EQ(shell.lists.ActiveEditor(), window2);

    EXPECT_EQ(shell.Activate(kBook, 100), window1);
    EXPECT_EQ(shell.Activate(kBook, 103), window1);  // beyond the capacity: no window made
    EXPECT_EQ(journal.created, 2);
    EXPECT_EQ(shell.Activate(kSms, 102, false, kOpenAndRead)->number, 2);
}

TEST(EditorListsWindows, FullListsBringTheFrontWindowWithoutActivatingIt) {
    Journal journal;
    Shell shell(journal);
    TestEditor* first = shell.New(kBook, kOpenAndRead);
    shell.New(kBook);
    TestEditor* front = shell.New(kBook);
    TestEditor* fdn = shell.New(kFdn);
    // New windows go in front with the smallest free number.
    EXPECT_EQ(shell.Numbers(kBook), (Numbers{2, 1, 0}));
    EXPECT_EQ(first->mode, kOpenAndRead);
    shell.lists.OnEditorActivated(front);
    const int frontActivations = front->activations;
    const int fdnActivations = fdn->activations;

    EXPECT_EQ(shell.New(kBook, kOpenAndRead), front);
    EXPECT_EQ(shell.New(kFdn), fdn);
    EXPECT_EQ(journal.created, 4);
    EXPECT_EQ(front->activations, frontActivations);
    EXPECT_EQ(fdn->activations, fdnActivations);
    EXPECT_EQ(shell.lists.ActiveEditor(), front);
}

TEST(EditorListsClosing, FreedNumbersReturnAndClosedEditorsLiveUntilTheNextCreationInTheirList) {
    Journal journal;
    {
        Shell shell(journal);
        TestEditor* window1 = shell.New(kBook);
        TestEditor* window2 = shell.New(kBook);
        TestEditor* window3 = shell.New(kBook);
        bool asked = true;

        // Closing a window behind the front brings up the one after it.
        EXPECT_FALSE(window2->CloseWithConfirm(-1, asked));
        EXPECT_FALSE(asked);
        EXPECT_TRUE(window2->closed);
        EXPECT_EQ(shell.Numbers(kBook), (Numbers{0, 2}));
        EXPECT_EQ(shell.lists.Slots(kBook)[2].pendingDelete, window2);
        EXPECT_EQ(shell.lists.Slots(kBook)[2].number, -1);
        EXPECT_EQ(shell.lists.ActiveEditor(), window1);

        const int updates = shell.menuUpdates;
        window1->CloseWithConfirm(-1, asked);
        EXPECT_GT(shell.menuUpdates, updates);
        EXPECT_EQ(shell.lists.ActiveEditor(), window3);

        shell.New(kSms);
        EXPECT_EQ(journal.destroyed, 0);
        // Of windows 1 and 3, window 1 closed: the new window is window 1 again.
        EXPECT_EQ(shell.New(kBook)->number, 0);
        EXPECT_EQ(journal.destroyed, 2);
        EXPECT_EQ(shell.Numbers(kBook), (Numbers{0, 2}));
        for (const EditorSlot& slot : shell.lists.Slots(kBook)) {
            EXPECT_EQ(slot.pendingDelete, nullptr);
        }
    }
    EXPECT_EQ(journal.destroyed, 5);
}

// Two changed phone books and an SMS window: one question, then Yes closes all and No closes none.
TEST(EditorListsCloseAll, AsksOnceAndAnswerDecidesForEveryWindow) {
    for (const bool yes : {true, false}) {
        Journal journal;
        journal.answerYes = yes;
        Shell shell(journal);
        TestEditor* book1 = shell.New(kBook);
        TestEditor* book2 = shell.New(kBook);
        TestEditor* sms = shell.New(kSms);
        book1->changed = book2->changed = sms->changed = true;

        shell.lists.CloseAllEditors();
        EXPECT_EQ(journal.questions, (std::vector<int>{kCloseAllQuestion}));
        EXPECT_EQ(book1->closed, yes);
        EXPECT_EQ(book2->closed, yes);
        EXPECT_EQ(sms->closed, yes);
        EXPECT_EQ(shell.lists.ActiveEditor(), yes ? nullptr : sms);
    }
}

TEST(EditorListsCloseAll, UnchangedWindowsCloseUntilTheQuestionIsRefused) {
    Journal journal;
    journal.answerYes = false;
    Shell shell(journal);
    TestEditor* changed = shell.New(kBook);
    TestEditor* unchanged = shell.New(kBook);
    TestEditor* sms = shell.New(kSms);
    changed->changed = true;

    shell.lists.CloseAllEditors();
    EXPECT_EQ(journal.questions.size(), 1U);
    EXPECT_TRUE(unchanged->closed);
    EXPECT_FALSE(changed->closed || sms->closed);
}

TEST(EditorListsForwarding, CommandsGoToTheActiveFrontWindowOnly) {
    Journal journal;
    Shell shell(journal);
    EXPECT_FALSE(shell.lists.ForwardToActiveEditor(CommandId::EditorInsert));

    TestEditor* book = shell.New(kBook);
    TestEditor* fdn = shell.New(kFdn);
    TestEditor* sms = shell.New(kSms);
    EXPECT_TRUE(shell.lists.ForwardToActiveEditor(CommandId::EditorDelete));
    shell.lists.OnEditorActivated(book);
    EXPECT_TRUE(shell.lists.ForwardToActiveEditor(CommandId::EditorInsert));
    shell.lists.OnEditorActivated(fdn);
    EXPECT_TRUE(shell.lists.ForwardToActiveEditor(CommandId::EditorInternationalize));
    EXPECT_EQ(book->commands, (Commands{CommandId::EditorInsert}));
    EXPECT_EQ(fdn->commands, (Commands{CommandId::EditorInternationalize}));
    EXPECT_EQ(sms->commands, (Commands{CommandId::EditorDelete}));
    EXPECT_TRUE(shell.lists.IsActiveFront(kFdn));
}

}  // namespace
}  // namespace quillet::app
