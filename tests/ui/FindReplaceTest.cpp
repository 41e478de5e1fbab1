// Find and replace in a phone book window: the dialog starts from and stores the settings, F7 and
// "Find/Replace Next" find the next matching row, a miss forgets the operation, and a replace
// answered All changes every match without asking again.
#include <QPushButton>
#include <QRadioButton>

#include "EditorWindowFixture.h"
#include "ui/CFindDlg.h"
#include "ui/CReplaceAskDlg.h"
#include "ui/EntryListView.h"

namespace quillet::testing {
namespace {

using C = app::CommandId;

class FindReplace : public EditorWindowFixture {
protected:
    void SetUp() override {
        EditorWindowFixture::SetUp();
        app->Settings().autoRead = 0;
        Frame().OnCommand(C::EditPhoneBook);
        window = FrontWindow();
        ASSERT_NE(window, nullptr);
        LoadEntries(*window, "Alpha\t111\r\nBravo\t222\r\nCharlie\t333\r\nBrave\t444\r\n");
        window->List()->setFocus();
    }
    // The find dialog: checks what it shows, fills it in and presses a button (queued, since the
    // button may open a message of its own).
    void AnswerFind(const char* find, const char* replace, const char* field, const char* button,
                    QStringList* shown = nullptr) {
        responder.Expect([=](QWidget* widget) {
            auto* dialog = qobject_cast<ui::CFindDlg*>(widget);
            if (dialog == nullptr) return false;
            auto* findEdit = dialog->findChild<QLineEdit*>("findEdit");
            auto* replaceEdit = dialog->findChild<QLineEdit*>("replaceEdit");
            if (shown) {
                *shown << findEdit->text() << replaceEdit->text();
                for (QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
                    if (radio->isChecked()) *shown << radio->objectName();
                }
            }
            findEdit->setText(QString::fromLatin1(find));
            replaceEdit->setText(QString::fromLatin1(replace));
            dialog->findChild<QRadioButton*>(field)->setChecked(true);
            QMetaObject::invokeMethod(dialog->findChild<QPushButton*>(button), &QPushButton::click,
                                      Qt::QueuedConnection);
            return true;
        });
    }
    QString Name(int row) { return window->List()->model()->index(row, 1).data().toString(); }

    ui::CSezEdDlg* window = nullptr;
};

TEST_F(FindReplace, TheDialogKeepsItsValuesAndNextRepeatsTheFindWithoutIt) {
    app->Settings().findText = "xyz";
    app->Settings().replaceText = "uvw";
    app->Settings().findScope = 2;
    QStringList shown;
    AnswerFind("", "", "numberRadio", "findButton", &shown);
    responder.AnswerMessage();  // "Enter search text ": the dialog stays
    AnswerFind("BRAV", "Grav", "everywhereRadio", "findButton");
    window->List()->SelectOnly(0);
    QTest::keyClick(window->List(), Qt::Key_F7);
    WaitForAnswers();
    EXPECT_EQ(shown, (QStringList{"xyz", "uvw", "codeRadio"}));
    ASSERT_EQ(responder.texts.size(), 1);
    EXPECT_TRUE(responder.texts[0].startsWith("Enter search text"));
    EXPECT_EQ(Stored("findData/findStr"), "BRAV");
    EXPECT_EQ(Stored("findData/replStr"), "Grav");
    EXPECT_EQ(Stored("findData/itemSrch").toInt(), 3);
    EXPECT_EQ(window->List()->SelectedRows(), (std::vector<std::size_t>{1}));

    // Next goes on from the selection, wrapping at the end, and shows no dialog.
    Frame().OnCommand(C::ToolFindNext);
    EXPECT_EQ(window->List()->SelectedRows(), (std::vector<std::size_t>{3}));
    Frame().OnCommand(C::ToolFindNext);
    EXPECT_EQ(window->List()->SelectedRows(), (std::vector<std::size_t>{1}));
    EXPECT_EQ(responder.unexpected, 0);

    // A miss says so and forgets the operation: Next then shows the dialog again.
    AnswerFind("zzz", "", "nameRadio", "findButton");
    responder.AnswerMessage();  // "Item not found"
    window->SendCommand(C::EditorFind);
    WaitForAnswers();
    EXPECT_EQ(responder.texts.back(), "Item not found");
    ASSERT_EQ(app->LastFind().operation, phonebook::FindOperation::None);
    AnswerFind("zzz", "", "nameRadio", "closeButton");
    Frame().OnCommand(C::ToolFindNext);
    WaitForAnswers();
    EXPECT_EQ(responder.unexpected, 0);
}

TEST_F(FindReplace, AllReplacesEveryMatchAfterOneQuestion) {
    AnswerFind("brav", "Grav", "nameRadio", "replaceButton");
    int asked = 0;
    responder.Expect([&asked](QWidget* widget) {
        auto* question = qobject_cast<ui::CReplaceAskDlg*>(widget);
        if (question == nullptr) return false;
        ++asked;
        question->findChild<QPushButton*>("allButton")->click();
        return true;
    });
    window->List()->SelectOnly(0);
    window->SendCommand(C::EditorFind);
    WaitForAnswers();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ((QStringList{Name(0), Name(1), Name(2), Name(3)}), (QStringList{"Alpha", "Gravo", "Charlie", "Grave"}));
    EXPECT_EQ(window->List()->model()->index(3, 0).data().toString(), "  4 *");
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
