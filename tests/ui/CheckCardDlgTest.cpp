// Check and Repair SIM on real widgets: the report dialog offers the repair only when the check found
// something to repair, switches between the brief and the detailed report, and Close writes nothing.
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>

#include "EditorWindowFixture.h"
#include "ui/CCheckCardDlg.h"

namespace quillet::testing {
namespace {

class CheckCardDialog : public EditorWindowFixture {
protected:
    // The demo card with a phone-book record linking beyond the extension file.
    static sim::SimProfile BrokenCard() {
        sim::SimProfile card = sim::BuildDemoSimProfile();
        card.FindFile(0x7F10, 0x6F3A)->records.at(6).back() = 0x30;
        return card;
    }
    long Updates() const { return std::count(instructions.begin(), instructions.end(), 0xDC); }
    // The report dialog (and the PIN dialog before it): what it shows is kept, then `button` is pressed once this
    // handler returned.
    void AnswerReport(const char* button, bool toggle, const char* screenshot = nullptr) {
        responder.Expect([=, this](QWidget* widget) {
            // The PIN, whenever the card asks for it.
            if (auto* pin = qobject_cast<ui::PinDialog*>(widget)) {
                pin->findChild<QLineEdit*>("codeEdit")->setText("1234");
                pin->accept();
                return false;
            }
            auto* dialog = qobject_cast<ui::CCheckCardDlg*>(widget);
            if (dialog == nullptr) return false;
            auto* text = dialog->findChild<QPlainTextEdit*>("reportText");
            auto* details = dialog->findChild<QPushButton*>("detailsButton");
            title = dialog->windowTitle();
            repairEnabled = dialog->findChild<QPushButton*>("repairButton")->isEnabled();
            shown << text->toPlainText();
            labels << details->text();
            const char* shots = std::getenv("QUILLET_SCREENSHOTS");
            if (screenshot != nullptr && shots != nullptr) {
                dialog->resize(560, 400);
                EXPECT_TRUE(dialog->grab().save(QString::fromLocal8Bit(shots) + "/" + screenshot));
            }
            for (int press = 0; toggle && press < 2; ++press) {
                details->click();
                shown << text->toPlainText();
                labels << details->text();
            }
            QMetaObject::invokeMethod(dialog->findChild<QPushButton*>(button), "click", Qt::QueuedConnection);
            return true;
        });
    }

    QString title;
    bool repairEnabled = false;
    QStringList shown;
    QStringList labels;
};

// Renders the dialog with the brief report of a broken card when QUILLET_SCREENSHOTS names a folder.
TEST_F(CheckCardDialog, CloseLeavesABrokenCardAsItIsAndTheDetailsButtonSwitchesReports) {
    const std::string path = InsertCard(BrokenCard());
    AnswerReport("closeButton", true, "check-card.png");
    Frame().OnCommand(app::CommandId::CheckAndRepairSim);
    WaitForAnswers();
    EXPECT_EQ(title, "Quillet! - Check SIM Card");
    EXPECT_TRUE(repairEnabled);
    ASSERT_EQ(shown.size(), 3);
    EXPECT_TRUE(shown[0].startsWith("SIM Card Report\nSerial Number: 8942001200112233440\n")) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains("Dialing Numbers:\n    Link to invalid extension: 1 ->Remove Link to Extension\n"))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[1].startsWith("SIM Card Detailed Report\n")) << shown[1].toStdString();
    EXPECT_TRUE(shown[1].contains("    #7 \"Björn Ström\": Link to invalid extension ->Remove Link to Extension\n"))
        << shown[1].toStdString();
    EXPECT_EQ(shown[2], shown[0]);
    EXPECT_EQ(labels, (QStringList{"Full Details", "Brief Details", "Full Details"}));
    EXPECT_EQ(Updates(), 0);
    EXPECT_TRUE(responder.texts.isEmpty());
    EXPECT_EQ(TakeOutCard(path).FindFile(0x7F10, 0x6F3A)->records.at(6).back(), 0x30);
}

TEST_F(CheckCardDialog, RepairIsOfferedOnlyForErrorsAndCutsTheBrokenLink) {
    std::string path = InsertCard(BrokenCard());
    AnswerReport("repairButton", false);
    Frame().OnCommand(app::CommandId::CheckAndRepairSim);
    WaitForAnswers();
    EXPECT_TRUE(repairEnabled);
    EXPECT_EQ(Updates(), 1);
    EXPECT_TRUE(responder.texts.isEmpty());  // a repair that went well says nothing
    EXPECT_EQ(TakeOutCard(path).FindFile(0x7F10, 0x6F3A)->records.at(6).back(), 0xFF);

    path = InsertCard(sim::BuildDemoSimProfile());
    shown.clear();
    AnswerReport("closeButton", false);
    Frame().OnCommand(app::CommandId::CheckAndRepairSim);
    WaitForAnswers();
    EXPECT_FALSE(repairEnabled);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("Dialing Numbers: OK\nFixed Dialing Numbers: OK\n")) << shown[0].toStdString();
}

}  // namespace
}  // namespace quillet::testing
