// The SMS parameters dialog on the virtual card: what it reads, what its checks refuse before any
// card command, the bytes a write leaves in the card's record and the values OK stores.
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "EditorWindowFixture.h"
#include "ui/CSmsParamDlg.h"
#include "ui/EntryListView.h"
#include "ui/ProgressDialog.h"
#include "ui_CSmsParamDlg.h"

namespace quillet::testing {
namespace {

constexpr const char* kBadCentre = "Badly-entered SMS center number";

class SmsParamDialog : public EditorWindowFixture {
protected:
    // The demo card with its first parameter record's validity byte changed.
    std::string InsertCard(int validity = -1) {
        sim::SimProfile card = sim::BuildDemoSimProfile();
        std::vector<std::uint8_t>& record = card.FindFile(0x7F10, 0x6F42)->records.at(0);
        if (validity >= 0) record[record.size() - 1] = static_cast<std::uint8_t>(validity);
        return EditorWindowFixture::InsertCard(card);
    }
    // Counts the card commands from now on and notes the progress window's title of the first.
    void WatchCommands() {
        app->Context().Reader()->SetTraceHook([this](const reader::TraceRecord&) {
            if (commands++ == 0 && app->Ui().Progress()) progressTitle = app->Ui().Progress()->windowTitle();
        });
    }
    std::unique_ptr<ui::CSmsParamDlg> Open() {
        auto dialog = std::make_unique<ui::CSmsParamDlg>(*app, app->Frame());
        EXPECT_TRUE(responder.Done());
        return dialog;
    }
    static QString Centre(ui::CSmsParamDlg& dialog) { return dialog.Form().centreEdit->text(); }

    int commands = 0;
    QString progressTitle;
};

TEST_F(SmsParamDialog, WithoutAReaderItShowsTheStoredValuesAndOffersNoCardButtons) {
    app->Settings().serviceCentre = "+4912";
    app->Settings().validityPeriod = 170;  // 4 days: nearest to a week
    responder.AnswerMessage();
    auto dialog = Open();
    EXPECT_EQ(responder.texts, QStringList{"No smartcard reader connected!"});
    EXPECT_EQ(Centre(*dialog), "+4912");
    EXPECT_EQ(dialog->Choice(), 2);
    EXPECT_FALSE(dialog->Form().readButton->isEnabled());
    EXPECT_FALSE(dialog->Form().writeButton->isEnabled());
    EXPECT_FALSE(dialog->Form().fromPhoneBookButton->isEnabled());
}

// The card's record is read at once; the progress window carries the worker's title.
TEST_F(SmsParamDialog, AValidityOfTwoHundredReadsAsMaximumAndOkStoresTheStandardBytes) {
    InsertCard(200);
    AnswerPin("1234");
    auto dialog = Open();
    EXPECT_EQ(Centre(*dialog), "+420603052000");
    EXPECT_EQ(dialog->Choice(), 3);
    WatchCommands();
    dialog->ReadFromSim();
    EXPECT_EQ(progressTitle, "Quillet! - Reading SMS Parameters");

    struct Case {
        int choice;  // -2: as read from the card
        int stored;
    };
    for (const Case& row : {Case{-2, 244}, Case{1, 167}, Case{-1, 0}}) {
        if (row.choice != -2) dialog = Open();
        if (row.choice != -2) dialog->SetChoice(row.choice);
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << row.choice;
        EXPECT_EQ(Stored("SMSData/validPer").toInt(), row.stored) << row.choice;
        EXPECT_EQ(Stored("SMSData/servCenter").toString(), "+420603052000");
    }
    EXPECT_TRUE(responder.texts.isEmpty());
}

// The bytes of the record are the SMS parameter tests' own.
TEST_F(SmsParamDialog, AWrittenCentreReachesTheRecordAndReadsBack) {
    InsertCard();
    AnswerPin("1234");
    auto dialog = Open();
    dialog->Form().centreEdit->setText("+12345");
    dialog->SetChoice(2);
    WatchCommands();
    dialog->Form().writeButton->click();
    EXPECT_GT(commands, 0);
    EXPECT_EQ(progressTitle, "Quillet! - Writing SMS Parameters");

    dialog->Form().centreEdit->clear();
    dialog->SetChoice(-1);
    dialog->Form().readButton->click();
    EXPECT_EQ(Centre(*dialog), "+12345");
    EXPECT_EQ(dialog->Choice(), 2);
    EXPECT_TRUE(responder.texts.isEmpty());
}

// Write needs a centre; OK takes an empty one. A refused centre sends nothing to the card and
// stores nothing.
TEST_F(SmsParamDialog, WriteAndOkRefuseBadCentresBeforeTouchingCardOrSettings) {
    InsertCard();
    AnswerPin("1234");
    Open();
    struct Case {
        QString centre;
        bool writeRefused;
        bool okRefused;
    };
    const Case cases[] = {{"", true, false},
                          {"12a", true, true},
                          {"+" + QString(21, '1'), true, true},
                          {"+" + QString(20, '1'), false, false}};
    QString stored;
    for (const Case& row : cases) {
        auto dialog = Open();
        dialog->Form().centreEdit->setText(row.centre);
        WatchCommands();
        commands = 0;
        responder.texts.clear();
        if (row.writeRefused) responder.AnswerMessage();
        dialog->WriteToSim();
        EXPECT_EQ(commands == 0, row.writeRefused) << row.centre.toStdString();
        if (row.okRefused) responder.AnswerMessage();
        dialog->accept();
        EXPECT_EQ(dialog->result() != QDialog::Accepted, row.okRefused) << row.centre.toStdString();
        EXPECT_EQ(responder.texts, QStringList(row.writeRefused + row.okRefused, kBadCentre));
        if (!row.okRefused) stored = row.centre;
        EXPECT_EQ(Stored("SMSData/servCenter").toString(), stored) << row.centre.toStdString();
    }
}

TEST_F(SmsParamDialog, FromPhoneBookTakesTheSelectedEntrysNumber) {
    app->Settings().autoRead = 0;
    Frame().OnCommand(app::CommandId::EditPhoneBook);
    ui::CSezEdDlg* window = FrontWindow();
    ASSERT_NE(window, nullptr);
    LoadEntries(*window, "Centre\t+4930123\r\n");
    window->List()->SelectOnly(0);
    responder.AnswerMessage();  // no reader
    auto dialog = Open();
    ASSERT_TRUE(dialog->Form().fromPhoneBookButton->isEnabled());
    dialog->Form().fromPhoneBookButton->click();
    EXPECT_EQ(Centre(*dialog), "+4930123");

    window->List()->SelectOnly(1);  // an empty position
    responder.AnswerMessage();
    dialog->TakeFromPhoneBook();
    EXPECT_EQ(responder.texts.back(), "Current entry from phone book window is not available!");
    EXPECT_EQ(Centre(*dialog), "+4930123");
}

// Renders the dialog after a read of the demo card for the README when QUILLET_SCREENSHOTS names
// a folder.
TEST_F(SmsParamDialog, ReadsTheDemoCard) {
    InsertCard();
    AnswerPin("1234");
    auto dialog = Open();
    EXPECT_EQ(Centre(*dialog), "+420603052000");
    EXPECT_TRUE(dialog->Form().dayRadio->isChecked());
    if (const char* shots = std::getenv("QUILLET_SCREENSHOTS")) {
        dialog->show();
        QApplication::processEvents();
        EXPECT_TRUE(dialog->grab().save(QString::fromLocal8Bit(shots) + "/sms-parameters.png"));
    }
}

}  // namespace
}  // namespace quillet::testing
