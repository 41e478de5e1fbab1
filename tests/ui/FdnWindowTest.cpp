// The fixed dialling numbers window on the virtual card: its check box follows Activate FDN of the
// main window, its write asks PIN2 once per session, and entries copied from a phone book window
// land in it.
#include <QCheckBox>
#include <QPushButton>

#include "EditorWindowFixture.h"
#include "ui/CFdnEdDlg.h"
#include "ui/EntryListView.h"
#include "ui/GreyClientArea.h"

namespace quillet::testing {
namespace {

using app::EditorKind;
using C = app::CommandId;

class FdnWindow : public EditorWindowFixture {
protected:
    ui::CFdnEdDlg* Window() { return FrontWindow<ui::CFdnEdDlg>(EditorKind::FixedDialing); }
    QCheckBox* ActiveBox() { return Window()->findChild<QCheckBox*>("fdnActiveBox"); }
    // Activate FDN of the main window, answered Yes (and PIN2 when asked), then a fresh read.
    void SwitchAndRead(bool asksPin2) {
        responder.AnswerMessage(QMessageBox::Yes);
        if (asksPin2) AnswerPin("5678");
        Frame().OnCommand(C::ActivateFdn);
        WaitForAnswers();
        Window()->SendCommand(C::EditorReadFromSim);
    }
};

TEST_F(FdnWindow, TheCheckBoxFollowsActivateFdnAndCannotBeClicked) {
    InsertDemoCard();
    EXPECT_TRUE(Enabled(Frame(), C::FixedDialingNumbers));
    EXPECT_TRUE(Enabled(Frame(), C::ActivateFdn));
    AnswerPin("1234");
    Frame().OnCommand(C::FixedDialingNumbers);  // opens and reads
    WaitForAnswers();
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->windowTitle(), "Quillet! - Fixed Dialing Numbers - Phone Book - [1]");
    EXPECT_EQ(Window()->pos() - Frame().ClientArea()->mapToGlobal(QPoint(0, 0)), QPoint(90, 50));
    EXPECT_EQ(Window()->findChild<QPushButton*>("clearAllButton")->text(), "&Delete All");
    EXPECT_EQ(Window()->Table().PositionCount(), 10u);
    ASSERT_TRUE(ActiveBox()->isVisible());
    EXPECT_FALSE(ActiveBox()->isChecked());
    QTest::mouseClick(ActiveBox(), Qt::LeftButton);
    EXPECT_FALSE(ActiveBox()->isChecked());

    SwitchAndRead(true);
    EXPECT_TRUE(ActiveBox()->isChecked());
    SwitchAndRead(false);
    EXPECT_FALSE(ActiveBox()->isChecked());
    EXPECT_EQ(responder.texts, (QStringList{"Fixed Dialing Numbers deactivated.\nActivate them?",
                                            "Fixed Dialing Numbers activated.\nDeactivate them?"}));
    EXPECT_EQ(responder.unexpected, 0);

    // The one window of its kind: the command brings it back instead of making another.
    Frame().OnCommand(C::FixedDialingNumbers);
    EXPECT_EQ(Frame().Editors().OpenCount(EditorKind::FixedDialing), 1u);
}

TEST_F(FdnWindow, AnEntryCopiedFromThePhoneBookIsWrittenWithPin2AskedOnce) {
    const std::string path = InsertDemoCard();
    AnswerPin("1234");
    Frame().OnCommand(C::EditPhoneBook);
    WaitForAnswers();
    ui::CSezEdDlg* book = FrontWindow();
    ASSERT_NE(book, nullptr);
    book->List()->SelectOnly(0);
    book->CopyEntries(false);

    Frame().OnCommand(C::FixedDialingNumbers);  // the PIN is remembered
    ASSERT_NE(Window(), nullptr);
    Window()->List()->SelectOnly(4);  // the first empty position
    Window()->PasteEntries();
    const auto* model = Window()->List()->model();
    EXPECT_EQ(model->index(4, 0).data().toString(), "  5 *");
    EXPECT_EQ(model->index(4, 1).data().toString(), QString::fromUtf8("Jürgen Müller"));
    EXPECT_EQ(book->List()->model()->index(0, 0).data().toString(), "  1  ");  // a copy

    for (int write = 0; write < 2; ++write) {
        responder.AnswerMessage(QMessageBox::Yes);  // "Current phone book will be written to SIM card."
        if (write == 0) AnswerPin("5678");
        Window()->SendCommand(C::EditorWriteToSim);
        WaitForAnswers();
    }
    EXPECT_EQ(responder.unexpected, 0);

    const sim::SimProfile card = TakeOutCard(path);
    const sim::SimElementaryFile* fdn = card.FindFile(0x7F10, 0x6F3B);
    const sim::SimElementaryFile* adn = card.FindFile(0x7F10, 0x6F3A);
    ASSERT_TRUE(fdn && adn);
    // The name and number bytes of the phone book's first record, in the fifth FDN record.
    EXPECT_EQ(fdn->records[4], adn->records[0]);
}

}  // namespace
}  // namespace quillet::testing
