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
using C = app::CommandId;
using Commands = std::vector<app::CommandId>;

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
    for (app::CommandId id :
         {C::ToolSaveFile, C::ToolPrint, C::ToolFindReplace, C::ToolFindNext, C::ToolInsertItem, C::ToolDeleteItem,
          C::ToolDeleteSelected, C::ToolInternationalize, C::PhoneBookSaveFile, C::InsertItem, C::DeleteItem, C::Paste,
          C::CloseAll, C::Internationalization, C::PrintPhoneBook, C::PrintMessages}) {
        EXPECT_FALSE(Enabled(Frame(), id)) << static_cast<int>(id);
    }
    for (app::CommandId id : {C::SmsSaveFile, C::SmsAddToFile, C::ToolAnotherPhoneBook, C::ToolAnotherSmsWindow,
                              C::NewPhoneBook, C::EditPhoneBook, C::Setup, C::CountryCodes, C::TelephoneCard,
                              C::SimInformation, C::ToolCheckAndRepair, C::Exit, C::About}) {
        EXPECT_TRUE(Enabled(Frame(), id)) << static_cast<int>(id);
    }
    EXPECT_FALSE(WindowMenuEnabled());
}

TEST_F(MainWindow, ThePhoneBookWindowEnablesItsCommandsAndThePasteOfItsOwnFormat) {
    Frame().OnCommand(C::EditPhoneBook);
    ASSERT_EQ(editors.made.size(), 1u);
    EXPECT_EQ(editors.made[0]->number, 0);
    EXPECT_EQ(editors.made[0]->mode, app::kOpenAndRead);  // the first window reads the card
    for (app::CommandId id : {C::ToolSaveFile, C::ToolFindReplace, C::ToolFindNext, C::ToolInsertItem,
                              C::ToolDeleteItem, C::ToolDeleteSelected, C::ToolInternationalize, C::PhoneBookSaveFile,
                              C::InsertItem, C::DeleteItem, C::CloseAll, C::Internationalization}) {
        EXPECT_TRUE(Enabled(Frame(), id)) << static_cast<int>(id);
    }
    EXPECT_FALSE(Enabled(Frame(), C::SmsSaveFile));
    EXPECT_TRUE(WindowMenuEnabled());

    QApplication::clipboard()->setText(QStringLiteral("Jan\t+420123"));
    EXPECT_FALSE(Enabled(Frame(), C::Paste));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"Quillet_Dial\""), QByteArray(112, '\0'));
    QApplication::clipboard()->setMimeData(data);
    EXPECT_TRUE(Enabled(Frame(), C::Paste));

    // Edit commands, the toolbar and the keys reach the window by the ids it knows.
    Frame().OnCommand(C::DeleteItem);
    Frame().OnCommand(C::ToolFindReplace);
    Frame().OnCommand(C::ToolSaveFile);
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    QTest::keyClick(&Frame(), Qt::Key_F7);
    QTest::keyClick(&Frame(), Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(&Frame(), Qt::Key_Insert);
    EXPECT_EQ(editors.made[0]->commands, (Commands{C::EditorDelete, C::EditorFind, C::PhoneBookSaveFile, C::EditorFind,
                                                   C::EditorDeleteSelected, C::EditorInsert}));
}

TEST_F(MainWindow, AnSmsWindowHasNoFindOrInternationalize) {
    Frame().OnCommand(C::EditPhoneBook);
    Frame().OnCommand(C::EditMessages);
    ASSERT_EQ(editors.made.size(), 2u);
    EXPECT_EQ(editors.made[1]->kind, EditorKind::Sms);
    for (app::CommandId id :
         {C::ToolFindReplace, C::ToolFindNext, C::ToolInternationalize, C::PhoneBookSaveFile, C::Internationalization})
        EXPECT_FALSE(Enabled(Frame(), id)) << static_cast<int>(id);
    for (app::CommandId id : {C::ToolSaveFile, C::ToolInsertItem, C::SmsSaveFile, C::SmsAddToFile, C::InsertItem})
        EXPECT_TRUE(Enabled(Frame(), id)) << static_cast<int>(id);
    Frame().OnCommand(C::ToolSaveFile);
    EXPECT_EQ(editors.made[1]->commands, (Commands{C::SmsSaveFile}));
}

TEST_F(MainWindow, AFullListDisablesAnotherWindowUntilOneCloses) {
    for (int window = 0; window < 3; ++window) Frame().OnCommand(C::NewPhoneBook);
    ASSERT_EQ(editors.made.size(), 3u);
    EXPECT_EQ(editors.made[1]->mode, -1);  // only the first window reads the card
    EXPECT_FALSE(Enabled(Frame(), C::ToolAnotherPhoneBook));
    EXPECT_FALSE(Enabled(Frame(), C::NewPhoneBook));
    Frame().OnCommand(C::NewPhoneBook);
    EXPECT_EQ(editors.made.size(), 3u);

    bool asked = false;
    editors.made[2]->CloseWithConfirm(-1, asked);
    EXPECT_TRUE(Enabled(Frame(), C::ToolAnotherPhoneBook));
    EXPECT_TRUE(Enabled(Frame(), C::NewPhoneBook));
    Frame().OnCommand(C::NewPhoneBook);
    EXPECT_EQ(editors.made.back()->number, 2);  // the freed number comes back
}

TEST_F(MainWindow, CloseAllAsksOnceAndNoKeepsEveryWindow) {
    Frame().OnCommand(C::EditPhoneBook);
    Frame().OnCommand(C::NewPhoneBook);
    Frame().OnCommand(C::EditMessages);
    editors.made[0]->changed = true;
    editors.made[1]->changed = true;

    responder.AnswerMessage(QMessageBox::No);
    Frame().OnCommand(C::CloseAll);
    EXPECT_EQ(responder.texts.size(), 2u);  // the start-up message and one question
    for (TestEditor* editor : editors.made) EXPECT_FALSE(editor->closed);

    responder.AnswerMessage(QMessageBox::Yes);
    Frame().OnCommand(C::CloseAll);
    EXPECT_EQ(responder.texts.size(), 3u);
    EXPECT_EQ(responder.unexpected, 0);
    for (TestEditor* editor : editors.made) EXPECT_TRUE(editor->closed);
    EXPECT_FALSE(Enabled(Frame(), C::CloseAll));
    EXPECT_FALSE(WindowMenuEnabled());
}

}  // namespace
}  // namespace quillet::testing
