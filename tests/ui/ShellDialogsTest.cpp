// The telephone card dialog on a virtual memory card, and the Qt side of the card session's
// questions: the PIN dialog and the progress window with Abort.
#include <QLineEdit>
#include <QPushButton>

#include "EditorWindowFixture.h"
#include "card/CardSession.h"
#include "ui/ProgressDialog.h"
#include "ui/TelephoneCardDialog.h"

namespace quillet::testing {
namespace {

class ShellDialogs : public EditorWindowFixture {
protected:
    void SetUp() override {
        EditorWindowFixture::SetUp();
        responder.icons.clear();
    }
    // Answers the next PIN dialog with the code, or closes it.
    void AnswerPin(const QString& code, QString* title = nullptr) {
        responder.Expect([this, code, title](QWidget* widget) {
            auto* dialog = qobject_cast<ui::PinDialog*>(widget);
            if (dialog == nullptr) return false;
            auto* field = dialog->findChild<QLineEdit*>("codeEdit");
            EXPECT_EQ(field->echoMode(), QLineEdit::Password);
            EXPECT_EQ(field->maxLength(), 8);
            if (title) *title = dialog->windowTitle();
            sawProgress = app->Ui().Progress() != nullptr && app->Ui().Progress()->isVisible();
            if (code.isEmpty()) {
                dialog->reject();
            } else {
                field->setText(code);
                dialog->accept();
            }
            return true;
        });
    }

    bool sawProgress = false;
};

TEST_F(ShellDialogs, TheTelephoneCardShowsItsUnitsCountryAndBytes) {
    InsertCard(sim::BuildDemoTelephoneCard());
    ui::TelephoneCardDialog dialog(app->Context(), app->Frame());
    ASSERT_TRUE(dialog.ReadCard());
    EXPECT_EQ(dialog.TotalText(), "30");
    EXPECT_EQ(dialog.RemainingText(), "18");  // 14 bits set: the 2 spare bits and 12 used units
    EXPECT_EQ(dialog.CountryText(), "Czech Republic");
    const QStringList lines = dialog.BinaryText().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "0000\t9a\t83\t10\t32\t12\t34\t56\t78");
    EXPECT_TRUE(lines[3].startsWith("0018\t00"));
    EXPECT_TRUE(responder.texts.isEmpty());
}

TEST_F(ShellDialogs, AnInvalidTelephoneCardIsShownWithAWarning) {
    sim::SimProfile card = sim::BuildDemoTelephoneCard();
    card.memory[1] = 0x82;
    InsertCard(card);
    ui::TelephoneCardDialog dialog(app->Context(), app->Frame());
    responder.AnswerMessage();
    ASSERT_TRUE(dialog.ReadCard());
    ASSERT_EQ(responder.texts.size(), 1u);
    EXPECT_EQ(responder.texts[0], "Not a valid telephone card");
    EXPECT_EQ(responder.icons[0], QMessageBox::Warning);
    EXPECT_EQ(dialog.TotalText(), "0");
}

TEST_F(ShellDialogs, TheTelephoneCardNeedsAReader) {
    responder.AnswerMessage();
    app->Frame()->OnCommand(app::CommandId::TelephoneCard);
    ASSERT_EQ(responder.texts.size(), 1u);
    EXPECT_EQ(responder.texts[0], "No smartcard reader connected!");
    EXPECT_EQ(responder.icons[0], QMessageBox::Critical);
}

TEST_F(ShellDialogs, TheSessionAsksForThePinOverItsProgressWindow) {
    InsertCard(sim::BuildDemoSimProfile());
    card::CardSession& session = app->Context().Session();
    QString title;
    AnswerPin("1234", &title);
    session.BeginProgress(app->Frame(), 5000, 5100);
    EXPECT_EQ(app->Ui().Progress()->windowTitle(), "Quillet! - Reading Phone Book");
    EXPECT_TRUE(session.BeginSession(true, false, true));
    EXPECT_TRUE(responder.Done());
    EXPECT_EQ(title, "Quillet! - Enter PIN");
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(app->Context().RememberedPin(1).View(), "1234");
    session.EndSession();
    session.EndProgress(false);
    EXPECT_EQ(app->Ui().Progress(), nullptr);
}

TEST_F(ShellDialogs, ClosingThePinDialogCancelsAndAbortStopsTheWork) {
    InsertCard(sim::BuildDemoSimProfile());
    card::CardSession& session = app->Context().Session();
    AnswerPin(QString());
    session.BeginProgress(app->Frame(), 5000, 5100);
    EXPECT_FALSE(session.BeginSession(true, false, true));
    EXPECT_EQ(session.LastResult(), reader::result::kPinEntryCancelled);

    EXPECT_TRUE(app->Ui().PumpProgress());
    app->Ui().Progress()->findChild<QPushButton*>("abortButton")->click();
    EXPECT_FALSE(app->Ui().PumpProgress());
    session.EndProgress(true);
}

}  // namespace
}  // namespace quillet::testing
