// The main window's menu and toolbar follow the active editor, commands reach the right
// editor window, Close All asks at most once, and what this version cannot do yet says so.
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include "TestEditors.h"
#include "UiFixture.h"

namespace quillet::testing {
namespace {

using app::EditorKind;

class MainWindow : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        responder.AnswerMessage();  // COM2 leads nowhere
        app = Start({}, &editors);
        editors.app = app.get();
        ASSERT_TRUE(responder.Done());
    }
    ui::CMainFrame& Frame() { return *app->Frame(); }
    bool WindowMenuEnabled() { return Frame().TopMenu(5)->menuAction()->isEnabled(); }

    TestEditorCatalog editors;
    std::unique_ptr<ui::CMainApp> app;
};

TEST_F(MainWindow, WithoutAnActiveEditorTheEditorCommandsAreGrayed) {
    for (int id : {2002, 2003, 2011, 2012, 2014, 2015, 2016, 2017, 40005, 40060, 40061, 40068, 40071, 40079}) {
        EXPECT_FALSE(Enabled(Frame(), id)) << id;
    }
    for (int id : {40009, 40010, 2006, 2008, 40007, 40001, 40021, 40027, 40086, 40023, 40081}) {
        EXPECT_TRUE(Enabled(Frame(), id)) << id;
    }
    EXPECT_FALSE(WindowMenuEnabled());
}

TEST_F(MainWindow, ThePhoneBookWindowEnablesItsCommandsAndThePasteOfItsOwnFormat) {
    Frame().OnCommand(40001);
    ASSERT_EQ(editors.made.size(), 1u);
    EXPECT_EQ(editors.made[0]->number, 0);
    EXPECT_EQ(editors.made[0]->mode, app::kOpenAndRead);  // the first window reads the card
    for (int id : {2002, 2011, 2012, 2014, 2015, 2016, 2017, 40005, 40060, 40061, 40071, 40079}) {
        EXPECT_TRUE(Enabled(Frame(), id)) << id;
    }
    EXPECT_FALSE(Enabled(Frame(), 40009));
    EXPECT_TRUE(WindowMenuEnabled());

    QApplication::clipboard()->setText(QStringLiteral("Jan\t+420123"));
    EXPECT_FALSE(Enabled(Frame(), 40068));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Quillet_Dial\""), QByteArray(112, '\0'));
    QApplication::clipboard()->setMimeData(data);
    EXPECT_TRUE(Enabled(Frame(), 40068));

    // Edit commands, the toolbar and the keys reach the window by the ids it knows.
    Frame().OnCommand(40061);
    Frame().OnCommand(2011);
    Frame().OnCommand(2002);
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_F7);
    QTest::keyClick(&Frame(), Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(&Frame(), Qt::Key_Insert);
    EXPECT_EQ(editors.made[0]->commands, (std::vector<int>{2054, 1005, 40005, 1005, 2055, 2053}));
}

TEST_F(MainWindow, AnSmsWindowHasNoFindOrInternationalize) {
    Frame().OnCommand(40001);
    Frame().OnCommand(40004);
    ASSERT_EQ(editors.made.size(), 2u);
    EXPECT_EQ(editors.made[1]->kind, EditorKind::Sms);
    for (int id : {2011, 2012, 2017, 40005, 40079}) EXPECT_FALSE(Enabled(Frame(), id)) << id;
    for (int id : {2002, 2014, 40009, 40010, 40060}) EXPECT_TRUE(Enabled(Frame(), id)) << id;
    Frame().OnCommand(2002);
    EXPECT_EQ(editors.made[1]->commands, (std::vector<int>{40009}));
}

TEST_F(MainWindow, AFullListDisablesAnotherWindowUntilOneCloses) {
    for (int window = 0; window < 3; ++window) Frame().OnCommand(40007);
    ASSERT_EQ(editors.made.size(), 3u);
    EXPECT_EQ(editors.made[1]->mode, -1);  // only the first window reads the card
    EXPECT_FALSE(Enabled(Frame(), 2006));
    EXPECT_FALSE(Enabled(Frame(), 40007));
    Frame().OnCommand(40007);
    EXPECT_EQ(editors.made.size(), 3u);

    bool asked = false;
    editors.made[2]->CloseWithConfirm(-1, asked);
    EXPECT_TRUE(Enabled(Frame(), 2006));
    EXPECT_TRUE(Enabled(Frame(), 40007));
    Frame().OnCommand(40007);
    EXPECT_EQ(editors.made.back()->number, 2);  // the freed number comes back
}

TEST_F(MainWindow, CloseAllAsksOnceAndNoKeepsEveryWindow) {
    Frame().OnCommand(40001);
    Frame().OnCommand(40007);
    Frame().OnCommand(40004);
    editors.made[0]->changed = true;
    editors.made[1]->changed = true;

    responder.AnswerMessage(QMessageBox::No);
    Frame().OnCommand(40071);
    EXPECT_EQ(responder.texts.size(), 2u);  // the start-up message and one question
    for (TestEditor* editor : editors.made) EXPECT_FALSE(editor->closed);

    responder.AnswerMessage(QMessageBox::Yes);
    Frame().OnCommand(40071);
    EXPECT_EQ(responder.texts.size(), 3u);
    EXPECT_EQ(responder.unexpected, 0);
    for (TestEditor* editor : editors.made) EXPECT_TRUE(editor->closed);
    EXPECT_FALSE(Enabled(Frame(), 40071));
    EXPECT_FALSE(WindowMenuEnabled());
}

// The program as shipped has no editor windows yet: their commands are off and say why.
TEST_F(UiFixture, CommandsOfLaterVersionsAreDisabledAndSaySo) {
    responder.AnswerMessage();
    auto app = Start();
    ui::CMainFrame& frame = *app->Frame();
    for (int id : {40001, 40004, 40089, 40018, 40024, 40026, 40094, 40201, 40074, 40071}) {
        EXPECT_FALSE(Enabled(frame, id)) << id;
    }
    EXPECT_TRUE(frame.MenuAction(40001)->toolTip().startsWith("Not available yet"));
    EXPECT_TRUE(frame.MenuAction(40024)->toolTip().contains("quillet-cli backup"));
    EXPECT_TRUE(frame.ToolbarAction(2005)->toolTip().startsWith("Edit Phone Book\nNot available yet"));
    for (int id : {40021, 40027, 40086, 40023, 40081}) EXPECT_TRUE(Enabled(frame, id)) << id;
    frame.OnCommand(40001);  // a disabled command reached by other means does nothing
    EXPECT_TRUE(frame.Editors().ActiveEditor() == nullptr);
}

}  // namespace
}  // namespace quillet::testing
