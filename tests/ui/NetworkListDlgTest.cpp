// The network list dialogs on a virtual card: what opening reads, what an edit marks, the bytes a
// write leaves in the card's file, the question before a write, the select dialog's lookups and
// length check, and card failures.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <cstdlib>

#include "EditorWindowFixture.h"
#include "sim/VirtualCardReader.h"
#include "ui/CNetworkListDlg.h"
#include "ui/CSelectNetworkDlg.h"
#include "ui_CNetworkListDlg.h"
#include "ui_CSelectNetworkDlg.h"

namespace quillet::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kGsm = 0x7F20;
constexpr std::uint16_t kPreferred = 0x6F30;
constexpr std::uint16_t kForbidden = 0x6F7B;

// Eight slots: 232/01, 260 with a filler nibble for an MNC digit, 262/01, empty, 231/01, 260/02,
// 228/01, 208/01.
const Bytes kSlots = {0x32, 0xF2, 0x10, 0x62, 0xF0, 0x0F, 0x62, 0xF2, 0x10, 0xFF, 0xFF, 0xFF,
                      0x32, 0xF1, 0x10, 0x62, 0xF0, 0x20, 0x22, 0xF8, 0x10, 0x02, 0xF8, 0x10};

class NetworkListDialog : public EditorWindowFixture {
protected:
    // The demo card with the preferred list above.
    std::string InsertCard() {
        sim::SimProfile card = sim::BuildDemoSimProfile();
        card.FindFile(kGsm, kPreferred)->content = kSlots;
        return EditorWindowFixture::InsertCard(card);
    }
    std::unique_ptr<ui::CNetworkListDlg> Open(bool forbidden = false) {
        AnswerPin("1234");
        auto dialog = std::make_unique<ui::CNetworkListDlg>(*app, forbidden, app->Frame());
        EXPECT_TRUE(responder.Done());
        return dialog;
    }
    static QStringList Rows(ui::CNetworkListDlg& dialog) {
        QStringList rows;
        for (int row = 0; row < dialog.Form().networkList->count(); ++row) {
            rows.append(dialog.Form().networkList->item(row)->text());
        }
        return rows;
    }
    // The select network dialog: checks the fields and the chosen name it opens with, then OK.
    void AnswerSelect(const QString& mcc, const QString& mnc, const QString& name) {
        responder.Expect([=](QWidget* widget) {
            auto* dialog = qobject_cast<ui::CSelectNetworkDlg*>(widget);
            if (dialog == nullptr) return false;
            EXPECT_EQ(dialog->Form().mccEdit->text(), mcc);
            EXPECT_EQ(dialog->Form().mncEdit->text(), mnc);
            EXPECT_EQ(dialog->Form().networkCombo->currentText(), name);
            dialog->accept();
            return true;
        });
    }
    // The file as the card in the reader holds it now.
    sim::SimElementaryFile& CardFile(std::uint16_t ef) {
        auto* reader = dynamic_cast<sim::VirtualCardReader*>(app->Context().Reader());
        return *reader->Card()->MutableProfile().FindFile(kGsm, ef);
    }
};

TEST_F(NetworkListDialog, OpeningReadsTheSlotsAndEditedSlotsGoBackInTheCardsCoding) {
    const std::string path = InsertCard();
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Quillet! - Preferred Networks");
    EXPECT_EQ(Rows(*dialog),
              (QStringList{"1\t232-01\tMobilkom Austria AG - A", "2\t260-00", "3\t262-01\tDeTeMobil (DBP Telekom) - D",
                           "4", "5\t231-01\tGlobtel GSM as - SK", "6\t260-02\tPolska Telefonia Cyfrowa - PL",
                           "7\t228-01\tSwisscom AG - CH", "8\t208-01\tFrance Telecom Mobile - F"}));
    dialog->show();
    if (const char* shots = std::getenv("QUILLET_SCREENSHOTS")) {
        QApplication::processEvents();
        EXPECT_TRUE(dialog->grab().save(QString::fromLocal8Bit(shots) + "/network-list.png"));
    }

    // A double click edits the row; an unknown code opens with no name chosen.
    QListWidget* list = dialog->Form().networkList;
    const QPoint first = list->visualItemRect(list->item(0)).center();
    AnswerSelect("232", "01", "Mobilkom Austria AG - A");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, first);
    list->setCurrentRow(1);
    AnswerSelect("260", "00", "");
    dialog->Form().editButton->click();
    WaitForAnswers();
    EXPECT_EQ(Rows(*dialog).mid(0, 2), (QStringList{"1*\t232-01\tMobilkom Austria AG - A", "2*\t260-00"}));

    // Without `confirm` the write asks nothing; the marks go.
    app->Settings().confirm = 0;
    instructions.clear();
    dialog->Form().writeButton->click();
    EXPECT_FALSE(instructions.empty());
    EXPECT_EQ(Rows(*dialog).mid(0, 2), (QStringList{"1\t232-01\tMobilkom Austria AG - A", "2\t260-00"}));
    EXPECT_TRUE(responder.texts.isEmpty());
    Bytes written = kSlots;
    written[5] = 0x00;
    EXPECT_EQ(TakeOutCard(path).FindFile(kGsm, kPreferred)->content, written);
}

// The forbidden list: a write asks first and a No sends nothing; Delete All and Yes empty the file.
TEST_F(NetworkListDialog, WriteAsksFirstAndDeleteAllLeavesOnlyEmptySlots) {
    const std::string path = InsertCard();
    auto dialog = Open(true);
    EXPECT_EQ(dialog->windowTitle(), "Quillet! - Forbidden Networks");
    EXPECT_EQ(dialog->Form().deleteAllButton->text(), "Delete &All");
    EXPECT_EQ(Rows(*dialog).first(), "1\t230-02\tEurotel Praha Ltd - CZ");
    dialog->Form().deleteAllButton->click();
    instructions.clear();
    responder.AnswerMessage(QMessageBox::No);
    dialog->WriteToSim();
    EXPECT_TRUE(instructions.empty());
    EXPECT_EQ(responder.texts, QStringList{"Current network list will be written to SIM card.\nContinue?"});
    responder.AnswerMessage(QMessageBox::Yes);
    dialog->WriteToSim();
    EXPECT_FALSE(instructions.empty());
    const sim::SimProfile card = TakeOutCard(path);
    EXPECT_EQ(card.FindFile(kGsm, kForbidden)->content, Bytes(card.FindFile(kGsm, kForbidden)->Size(), 0xFF));
    EXPECT_EQ(card.FindFile(kGsm, kPreferred)->content, kSlots);
}

// A name from the table fills the fields; typing a code chooses its name or none. A three-digit
// network code does not fit the field: OK refuses it until it is corrected.
TEST_F(NetworkListDialog, SelectDialogLooksUpBothWaysAndRefusesACodeTooLongForItsField) {
    ui::CSelectNetworkDlg dialog({"999", "99"}, nullptr);
    Ui::CSelectNetworkDlg& form = dialog.Form();
    EXPECT_EQ(form.networkCombo->count(), 233);
    EXPECT_EQ(form.networkCombo->currentIndex(), -1);
    EXPECT_EQ(form.networkCombo->itemText(0), "Advanced Info Service PLC - TH");

    const int western = form.networkCombo->findText("Western Wireless Corporation - USA");
    form.networkCombo->setCurrentIndex(western);
    emit form.networkCombo->activated(western);
    EXPECT_EQ(form.mccEdit->text(), "310");
    EXPECT_EQ(form.mncEdit->text(), "220");
    responder.AnswerMessage();
    dialog.accept();
    EXPECT_EQ(responder.texts, QStringList{"Please enter no more than 2 characters."});
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // Typing cannot make a field longer than it may be.
    form.mncEdit->clear();
    QTest::keyClicks(form.mncEdit, "107");
    EXPECT_EQ(form.mncEdit->text(), "10");
    EXPECT_EQ(form.networkCombo->currentIndex(), -1);
    form.mccEdit->clear();
    QTest::keyClicks(form.mccEdit, "222");
    EXPECT_EQ(form.networkCombo->currentText(), "Omnitel Pronto Italia - I");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Codes().mnc, "10");
    EXPECT_EQ(responder.texts.size(), 1);
}

// A refused write still clears the marks; a read that fails leaves an empty list. Both say why.
TEST_F(NetworkListDialog, CardFailuresAreShownAndLeaveTheDialogOpen) {
    InsertCard();
    auto dialog = Open();
    dialog->Form().networkList->setCurrentRow(0);
    dialog->DeleteSelected();
    EXPECT_EQ(Rows(*dialog).first(), "1");
    EXPECT_TRUE(dialog->Editor().Slots()[0].modified);
    sim::SimElementaryFile& file = CardFile(kPreferred);
    file.access.update = sim::AccessLevel::Adm;
    app->Settings().confirm = 0;
    responder.AnswerMessage();
    dialog->WriteToSim();
    EXPECT_FALSE(dialog->Editor().Slots()[0].modified);
    EXPECT_EQ(file.content, kSlots);

    file.access.read = sim::AccessLevel::Adm;
    responder.AnswerMessage();
    dialog->ReadFromSim();
    EXPECT_EQ(dialog->Form().networkList->count(), 0);
    EXPECT_FALSE(dialog->Form().writeButton->isEnabled());
    EXPECT_FALSE(dialog->Form().deleteAllButton->isEnabled());
    ASSERT_EQ(responder.texts.size(), 2);
    for (const QString& text : responder.texts)
        EXPECT_TRUE(text.startsWith("Communication error:")) << text.toStdString();
    EXPECT_EQ(std::vector(responder.icons.end() - 2, responder.icons.end()), std::vector(2, QMessageBox::Critical));
}

}  // namespace
}  // namespace quillet::testing
