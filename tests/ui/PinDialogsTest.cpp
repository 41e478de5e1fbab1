// The code dialogs of the PIN menu on real widgets and the virtual card: what their checks refuse
// before any code reaches the card, and a change that does.
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>

#include "EditorWindowFixture.h"
#include "ui/CCodeChangeDlg.h"

namespace quillet::testing {
namespace {

class PinDialogs : public EditorWindowFixture {
protected:
    static QLineEdit* Field(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(name); }
    // The code dialog: its three fields filled, then OK pressed once this handler has returned.
    void FillCodes(const char* code, const char* newCode, const char* again, const char* screenshot = nullptr) {
        responder.Expect([=, this](QWidget* widget) {
            auto* dialog = qobject_cast<ui::CCodeChangeDlg*>(widget);
            if (dialog == nullptr) return false;
            titles.push_back(dialog->windowTitle());
            Field(dialog, "codeEdit")->setText(code);
            Field(dialog, "newCodeEdit")->setText(newCode);
            Field(dialog, "againEdit")->setText(again);
            const char* shots = std::getenv("QUILLET_SCREENSHOTS");
            if (screenshot != nullptr && shots != nullptr) {
                EXPECT_TRUE(dialog->grab().save(QString::fromLocal8Bit(shots) + "/" + screenshot));
            }
            QMetaObject::invokeMethod(dialog->findChild<QPushButton*>("okButton"), "click", Qt::QueuedConnection);
            return true;
        });
    }

    QStringList titles;
};

// A refused entry keeps the dialog open and sends no code: the change dialogs keep what was typed,
// the unblock dialog empties the new code for typing again.
TEST_F(PinDialogs, RefusedCodesKeepTheDialogAndNeverReachTheCard) {
    struct Case {
        app::CommandId command;
        const char* code;
        const char* newCode;
        const char* again;
        const char* title;
        const char* message;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {app::CommandId::ChangePin, "1234", "43210", "43211", "Quillet! - Change PIN",
         "New PIN was not entered correctly", QMessageBox::Critical},
        {app::CommandId::ChangePin2, "567", "4321", "4321", "Quillet! - Change PIN2", "Entered PIN is too short ",
         QMessageBox::Critical},
        {app::CommandId::UnblockCard, "12345678", "4321", "4322", "Quillet! - Enter PUK",
         "Entered PINs do not match. Please enter PIN again", QMessageBox::Warning},
    };
    for (const Case& test : cases) {
        sim::SimProfile card = sim::BuildDemoSimProfile();
        card.chv1.attemptsLeft = 0;
        InsertCard(card);
        instructions.clear();
        titles.clear();
        responder.texts.clear();
        responder.icons.clear();
        const bool unblock = test.command == app::CommandId::UnblockCard;
        FillCodes(test.code, test.newCode, test.again);
        responder.AnswerMessage();
        QStringList fields;
        responder.Expect([&](QWidget* dialog) {
            // A message instead means the dialog went away with the codes.
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                ADD_FAILURE() << test.title << ": " << box->text().toStdString();
                box->done(QMessageBox::Ok);
                return true;
            }
            if (qobject_cast<ui::CCodeChangeDlg*>(dialog) == nullptr) return false;
            for (const char* name : {"codeEdit", "newCodeEdit", "againEdit"}) fields << Field(dialog, name)->text();
            EXPECT_EQ(dialog->focusWidget() == Field(dialog, "newCodeEdit"), unblock) << test.title;
            static_cast<QDialog*>(dialog)->reject();
            return true;
        });
        Frame().OnCommand(test.command);
        WaitForAnswers();
        EXPECT_EQ(titles, QStringList{test.title});
        EXPECT_EQ(responder.texts, QStringList{test.message});
        EXPECT_EQ(responder.icons, std::vector{test.icon}) << test.title;
        const QStringList kept{test.code, unblock ? "" : test.newCode, unblock ? "" : test.again};
        EXPECT_EQ(fields.join('|').toStdString(), kept.join('|').toStdString());
        // The change dialogs come before the card is started; the unblock dialog after the card's state was read.
        EXPECT_EQ(instructions.empty(), !unblock) << test.title;
        EXPECT_EQ(std::count(instructions.begin(), instructions.end(), 0x2C), 0) << test.title;
        EXPECT_EQ(responder.unexpected, 0);
    }
}

// Renders the Change PIN dialog, filled in, for the README when QUILLET_SCREENSHOTS names a folder.
TEST_F(PinDialogs, ChangePinReachesTheCard) {
    const std::string path = InsertCard(sim::BuildDemoSimProfile());
    responder.icons.clear();
    FillCodes("1234", "4321", "4321", "pin-change.png");
    responder.AnswerMessage();
    Frame().OnCommand(app::CommandId::ChangePin);
    WaitForAnswers();
    EXPECT_EQ(responder.texts, QStringList{"PIN successfuly changed"});
    EXPECT_EQ(responder.icons, std::vector{QMessageBox::Information});
    EXPECT_EQ(TakeOutCard(path).chv1.digits, "4321");
}

}  // namespace
}  // namespace quillet::testing
