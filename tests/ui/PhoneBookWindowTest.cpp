// The phone book windows in the program: numbered and rotated by the main window, driven by the
// list's keys, and reading, editing and writing the virtual card end to end.
#include "EditorWindowFixture.h"
#include "ui/CEntryEditDlg.h"
#include "ui/EntryListView.h"
#include "ui/GreyClientArea.h"

namespace quillet::testing {
namespace {

using app::EditorKind;
using C = app::CommandId;

class PhoneBookWindow : public EditorWindowFixture {
protected:
    std::vector<QString> Titles() {
        std::vector<QString> titles;
        for (const app::EditorSlot& slot : Frame().Editors().Slots(EditorKind::PhoneBook)) {
            if (slot.window) titles.push_back(dynamic_cast<ui::CSezEdDlg*>(slot.window)->windowTitle());
        }
        return titles;
    }
};

TEST_F(PhoneBookWindow, ThreeWindowsAreNumberedRotatedAndRenumberedAfterAClose) {
    app->Settings().autoRead = 0;
    EXPECT_TRUE(Enabled(Frame(), C::EditPhoneBook));
    EXPECT_FALSE(Frame().MenuAction(C::EditPhoneBook)->toolTip().contains("Not available"));
    for (int window = 0; window < 3; ++window) Frame().OnCommand(C::NewPhoneBook);
    EXPECT_EQ(Titles(), (std::vector<QString>{"Quillet! - Phone Book - [3]", "Quillet! - Phone Book - [2]",
                                              "Quillet! - Phone Book - [1]"}));
    EXPECT_FALSE(Enabled(Frame(), C::NewPhoneBook));
    EXPECT_TRUE(Enabled(Frame(), C::InsertItem));

    // Window 3 is active and in front: Next steps to window 2.
    Frame().OnCommand(C::PhoneBookNext);
    EXPECT_EQ(FrontWindow()->Number(), 1);
    EXPECT_EQ(Frame().Editors().ActiveEditor(), FrontWindow());

    // Closing window 2 frees its number for the next new window.
    FrontWindow()->CloseWindow();
    EXPECT_EQ(Titles().size(), 2u);
    EXPECT_TRUE(Enabled(Frame(), C::NewPhoneBook));
    Frame().OnCommand(C::NewPhoneBook);
    EXPECT_EQ(FrontWindow()->windowTitle(), "Quillet! - Phone Book - [2]");
    EXPECT_EQ(FrontWindow()->pos() - Frame().ClientArea()->mapToGlobal(QPoint(0, 0)), QPoint(50, 70));
    EXPECT_EQ(responder.unexpected, 0);
}

// Reads the demo card, changes one number in the entry dialog, writes the book back: the card's
// files differ in that record only.
TEST_F(PhoneBookWindow, AnEditedEntryReachesTheCardAndNothingElseChanges) {
    const std::string path = InsertDemoCard();
    sim::SimProfile before;
    std::string error;
    ASSERT_TRUE(sim::LoadSimProfile(path, before, error)) << error;

    AnswerPin("1234");
    Frame().OnCommand(C::EditPhoneBook);  // the first window reads the card
    WaitForAnswers();
    ui::CSezEdDlg* window = FrontWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_GT(window->Table().PositionCount(), 10u);
    const auto* model = window->List()->model();
    EXPECT_EQ(model->index(0, 1).data().toString(), QString::fromUtf8("Jürgen Müller"));
    EXPECT_EQ(model->index(0, 2).data().toString(), "+49301234567");

    window->List()->SelectOnly(0);
    responder.Expect([](QWidget* widget) {
        auto* dialog = qobject_cast<ui::CEntryEditDlg*>(widget);
        if (dialog == nullptr) return false;
        for (QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
            if (field->text() == "+49301234567") field->setText("+49301234568");
        }
        dialog->accept();
        return true;
    });
    window->SendCommand(C::EditorEdit);
    EXPECT_EQ(model->index(0, 0).data().toString(), "  1 *");
    EXPECT_EQ(model->index(0, 2).data().toString(), "+49301234568");

    responder.AnswerMessage(QMessageBox::Yes);  // "Current phone book will be written to SIM card."
    window->SendCommand(C::EditorWriteToSim);
    WaitForAnswers();
    EXPECT_EQ(model->index(0, 0).data().toString(), "  1  ");

    sim::SimProfile after = TakeOutCard(path);
    sim::SimElementaryFile* adnBefore = before.FindFile(0x7F10, 0x6F3A);
    const sim::SimElementaryFile* adnAfter = after.FindFile(0x7F10, 0x6F3A);
    ASSERT_TRUE(adnBefore && adnAfter);
    EXPECT_NE(adnBefore->records[0], adnAfter->records[0]);
    adnBefore->records[0] = adnAfter->records[0];
    EXPECT_EQ(sim::SerializeSimProfile(before), sim::SerializeSimProfile(after));
    EXPECT_EQ(responder.unexpected, 0);
}

// The list's keys reach the window's commands: Ctrl+A selects the used rows, Delete deletes after
// its question, Insert opens the entry dialog on the new position.
TEST_F(PhoneBookWindow, TheListKeysDriveTheWindow) {
    app->Settings().autoRead = 0;
    Frame().OnCommand(C::EditPhoneBook);
    ui::CSezEdDlg* window = FrontWindow();
    ASSERT_NE(window, nullptr);
    LoadEntries(*window, "Alpha\t111\r\nBravo\t222\r\nCharlie\t333\r\n");
    ui::EntryListView* list = window->List();
    const auto name = [list](int row) { return list->model()->index(row, 1).data().toString(); };
    ASSERT_EQ(list->model()->rowCount(), 250);  // a new window shows all its positions
    list->setFocus();

    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list->SelectedRows(), (std::vector<std::size_t>{0, 1, 2}));
    responder.AnswerMessage(QMessageBox::Yes);  // "Really delete valid entries also?"
    list->SelectOnly(2);
    QTest::keyClick(list, Qt::Key_Delete);
    WaitForAnswers();
    EXPECT_EQ(name(2), QString(31, '-'));

    responder.Expect([](QWidget* widget) {
        auto* dialog = qobject_cast<ui::CEntryEditDlg*>(widget);
        if (dialog == nullptr) return false;
        dialog->reject();
        return true;
    });
    list->SelectOnly(0);
    QTest::keyClick(list, Qt::Key_Insert);
    WaitForAnswers();
    EXPECT_EQ((std::vector<QString>{name(0), name(1), name(2)}),
              (std::vector<QString>{QString(31, '-'), "Alpha", "Bravo"}));
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
