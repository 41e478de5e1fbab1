// The setup dialog: its device list, the checks of OK with their messages, storing every value,
// the reader search and the country list behind "From Database".
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>

#include "UiFixture.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "ui/CSetupDlg.h"
#include "ui/CountryListDialog.h"
#include "ui_CSetupDlg.h"

namespace quillet::testing {
namespace {

class SetupDialogTest : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        responder.AnswerMessage();
        app = Start();
        ASSERT_TRUE(responder.Done());
        responder.texts.clear();
        responder.icons.clear();
    }
    std::unique_ptr<ui::CSetupDlg> Open(std::vector<std::string> pcscReaders = {}) {
        ui::SetupTargets targets{app->Settings(), app->Store(), app->Context(),
                                 [pcscReaders](std::vector<std::string>& readers) {
                                     readers = pcscReaders;
                                     return true;
                                 }};
        return std::make_unique<ui::CSetupDlg>(targets, app->Frame());
    }
    void Choose(ui::CSetupDlg& dialog, const QString& device) {
        dialog.Form().deviceList->setCurrentIndex(dialog.Form().deviceList->findText(device));
    }

    std::unique_ptr<ui::CMainApp> app;
};

TEST_F(SetupDialogTest, TheDeviceListPutsTheLastPcscReaderFirstAndTheVirtualCardLast) {
    auto dialog = Open({"Reader A", "Reader B"});
    const QStringList devices = dialog->Devices();
    ASSERT_EQ(devices.size(), 14);
    EXPECT_EQ(devices.mid(0, 4), (QStringList{"NOTHING", "PCSC:Reader B", "PCSC:Reader A", "COM1"}));
    EXPECT_EQ(devices.mid(11), (QStringList{"PCMCIA FY-1300", "RDXI DRIVER", "VIRTUAL"}));
    EXPECT_EQ(dialog->Form().deviceList->currentText(), "NOTHING");  // COM2 failed at start-up
}

TEST_F(SetupDialogTest, OkRefusesBadValuesAndAReaderThatDoesNotOpenAndStoresNothing) {
    auto dialog = Open();
    ::Ui::CSetupDlg& form = dialog->Form();
    form.countryCodeEdit->setText("4a");
    responder.AnswerMessage();
    dialog->accept();
    form.countryCodeEdit->setText("+420");
    form.prefixEdit->setText("0O");
    responder.AnswerMessage();
    dialog->accept();
    form.prefixEdit->setText("00");
    Choose(*dialog, "COM3");
    responder.AnswerMessage();
    dialog->accept();

    ASSERT_EQ(responder.texts.size(), 3u);
    EXPECT_EQ(responder.texts[0], "Error in international dialing code entered!");
    EXPECT_EQ(responder.texts[1], "Error in item entered!\nMust contain only digits.");
    EXPECT_TRUE(responder.texts[2].startsWith("Reader inaccessible (use menu Other->Setup) via COM3\n  ->  "));
    EXPECT_EQ(responder.icons, (std::vector{QMessageBox::Critical, QMessageBox::Critical, QMessageBox::Warning}));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(Stored("SMSData/intNumber").isValid());
    EXPECT_EQ(app->Settings().myCountryCode, "49");
}

TEST_F(SetupDialogTest, OkStoresEveryValue) {
    auto dialog = Open();
    ::Ui::CSetupDlg& form = dialog->Form();
    Choose(*dialog, "NOTHING");
    form.countryCodeEdit->setText("+420");
    form.prefixEdit->setText("011");
    form.autoReadBox->setChecked(false);
    form.confirmBox->setChecked(false);
    form.toolbarBox->setChecked(true);
    form.cacheBox->setChecked(false);
    EXPECT_TRUE(form.verifyBox->isChecked());
    form.verifyBox->setChecked(false);
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(responder.texts.isEmpty());

    app->Store().Sync();
    EXPECT_EQ(Stored("commData/device").toString(), "NOTHING");
    EXPECT_EQ(Stored("SMSData/intNumber").toString(), "420");
    EXPECT_EQ(Stored("SMSData/intSelector").toString(), "011");
    EXPECT_EQ(Stored("confirmations/autoRead").toInt(), 0);
    EXPECT_EQ(Stored("confirmations/confirm").toInt(), 0);
    EXPECT_EQ(Stored("confirmations/scrFree").toInt(), 1);
    EXPECT_EQ(Stored("confirmations/startWMin").toInt(), 1);
    EXPECT_EQ(Stored("confirmations/EnCache").toInt(), 0);
    EXPECT_EQ(Stored("commData/sleepDelay").toInt(), 3);
    EXPECT_FALSE(app->Context().CacheEnabled());
    EXPECT_EQ(Stored("confirmations/verifyWrites").toInt(), 0);
    EXPECT_FALSE(app->Context().VerifyWrites());

    // The next start takes the switches from the stored settings.
    dialog.reset();
    app = Start();
    EXPECT_FALSE(app->Context().VerifyWrites());
    EXPECT_FALSE(Open()->Form().verifyBox->isChecked());
}

// A card file given on the command line is offered too, so OK keeps it instead of switching the
// reader off.
TEST_F(SetupDialogTest, ACardFileDeviceStaysChoosable) {
    std::string error;
    const std::string card = folder.File("Plze\xc5\x88.json");
    ASSERT_TRUE(sim::SaveSimProfile(card, sim::BuildDemoSimProfile(), error)) << error;
    ASSERT_EQ(app->Context().OpenReaderByName("VIRTUAL:" + card), reader::result::kOk);
    auto dialog = Open();
    EXPECT_EQ(dialog->Form().deviceList->currentText(), QString::fromStdString("VIRTUAL:" + card));
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(app->Context().DeviceName(), "VIRTUAL:" + card);
    app->Store().Sync();
    EXPECT_EQ(Stored("commData/device").toString(), QString::fromStdString("VIRTUAL:" + card));
}

TEST_F(SetupDialogTest, ASearchThatFindsNoReaderSaysSoAndSelectsNothing) {
    ASSERT_EQ(app->Context().OpenReaderByName("VIRTUAL"), reader::result::kOk);
    auto dialog = Open();
    EXPECT_EQ(dialog->Form().deviceList->currentText(), "VIRTUAL");
    responder.AnswerMessage();
    dialog->FindReader();
    ASSERT_EQ(responder.texts.size(), 1u);
    EXPECT_EQ(responder.texts[0], "No smartcard reader found!");
    EXPECT_EQ(responder.icons[0], QMessageBox::Information);
    EXPECT_EQ(dialog->Form().deviceList->currentText(), "NOTHING");
    EXPECT_EQ(app->Context().Reader(), nullptr);
    EXPECT_EQ(app->Settings().device, "NOTHING");
}

TEST_F(SetupDialogTest, FromDatabaseTakesTheChosenCodeWithoutItsPlus) {
    auto dialog = Open();
    QString firstByCode;
    int fittedWidth = 0;
    int widestName = 0;
    responder.Expect([&](QWidget* widget) {
        auto* countries = qobject_cast<ui::CountryListDialog*>(widget);
        if (countries == nullptr) return false;
        QTreeWidget* list = countries->List();
        EXPECT_EQ(list->topLevelItemCount(), 229);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "Albania");
        emit list->header()->sectionClicked(1);
        firstByCode = list->topLevelItem(0)->text(1);
        emit list->header()->sectionClicked(0);
        // A double click on the divider fits the column to its widest name.
        emit list->header()->sectionHandleDoubleClicked(0);
        fittedWidth = list->columnWidth(0);
        widestName = list->fontMetrics().horizontalAdvance("Cyprus (Turkish Occupied Area)");
        const auto germany = list->findItems("Germany", Qt::MatchExactly, 0);
        list->setCurrentItem(germany.front());
        countries->accept();
        return true;
    });
    dialog->ChooseCountryCode();
    EXPECT_TRUE(responder.Done());
    EXPECT_EQ(firstByCode, "+1");
    EXPECT_GE(fittedWidth, widestName + 20);
    EXPECT_LE(fittedWidth, widestName + 40);
    EXPECT_EQ(dialog->Form().countryCodeEdit->text(), "49");
}

}  // namespace
}  // namespace quillet::testing
