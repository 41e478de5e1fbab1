// Backup Card, Restore Card and Open Backup File on the virtual card: what a backup carries from one
// card to a second, what a restore sends before it is agreed to, and the windows a backup opens in.
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "EditorWindowFixture.h"
#include "backup/SimBackupFile.h"
#include "phonebook/PhoneBookEntry.h"
#include "ui/CRestoreCardDlg.h"
#include "ui/CSmsEdDlg.h"
#include "ui/EntryListView.h"
#include "ui_CRestoreCardDlg.h"

namespace quillet::testing {
namespace {

using app::EditorKind;
using C = app::CommandId;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kSms = 0x6F3C;

class BackupWindows : public EditorWindowFixture {
protected:
    bool AnyUpdate() const {
        return std::any_of(instructions.begin(), instructions.end(),
                           [](int ins) { return ins == 0xDC || ins == 0xD6; });
    }
    // The restore dialog, closed with OK or Close; whether every part was ticked is kept.
    void AnswerRestore(bool ok) {
        responder.Expect([this, ok](QWidget* widget) {
            auto* dialog = qobject_cast<ui::CRestoreCardDlg*>(widget);
            if (dialog == nullptr) return false;
            const auto boxes = dialog->findChildren<QCheckBox*>();
            allTicked = boxes.size() == 5 &&
                        std::all_of(boxes.begin(), boxes.end(), [](QCheckBox* box) { return box->isChecked(); });
            if (const char* shots = std::getenv("QUILLET_SCREENSHOTS")) {
                EXPECT_TRUE(dialog->grab().save(QString::fromLocal8Bit(shots) + "/restore-card.png"));
            }
            QPushButton* button = ok ? dialog->Form().okButton : dialog->Form().closeButton;
            QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
            return true;
        });
    }
    // Backs the card up into `file` through the menu.
    void BackUp(const std::string& file) {
        AnswerFile(file);
        responder.AnswerMessage();
        Frame().OnCommand(C::BackupCard);
        WaitForAnswers();
    }

    std::size_t commandsBeforeDialog = 0;
    bool allTicked = false;
};

// The demo card with its phone book and messages erased and a serial number of its own.
sim::SimProfile SecondCard() {
    sim::SimProfile card = sim::BuildDemoSimProfile();
    for (const std::uint16_t ef : {0x6F3A, 0x6F4A, int{kSms}}) {
        for (auto& record : card.FindFile(kTelecom, static_cast<std::uint16_t>(ef))->records) {
            std::fill(record.begin(), record.end(), 0xFF);
            if (ef == kSms) record[0] = 0x00;
        }
    }
    card.FindFile(0x3F00, 0x2FE2)->content[5] ^= 0x11;
    return card;
}

// Backup and restore through their dialogs; what the restore carries byte for byte is the backup
// flow tests' own.
TEST_F(BackupWindows, ABackupRestoredOntoASecondCardGivesItTheFirstCardsFiles) {
    const std::string first = InsertCard(sim::BuildDemoSimProfile(), "first.json");
    const std::string file = folder.File("first.sim");
    AnswerPin("1234");
    BackUp(file);
    EXPECT_EQ(fileTitles, QStringList{"Backup SIM card to file"});
    EXPECT_EQ(fileTypes, (QStringList{"SIM Card Backup Files (.sim) (*.SIM *.sim)", "All files (*.*)"}));
    EXPECT_EQ(responder.texts, QStringList{"Backup of SIM Card successfully completed"});
    const sim::SimProfile source = TakeOutCard(first);

    const std::string second = InsertCard(SecondCard(), "second.json");
    AnswerFile(file);
    AnswerRestore(true);
    AnswerPin("1234");
    AnswerPin("5678");
    responder.AnswerMessage();
    Frame().OnCommand(C::RestoreCard);
    WaitForAnswers();
    EXPECT_TRUE(allTicked);
    EXPECT_EQ(responder.texts.back(),
              "Restoration of SIM Card successfully completed\n1 messages to send got message reference 0.");
    BackUp(folder.File("second.sim"));
    EXPECT_EQ(ReadFileBytes(folder.File("second.sim")), ReadFileBytes(file));
    EXPECT_EQ(TakeOutCard(second).FindFile(kTelecom, 0x6F3A)->records, source.FindFile(kTelecom, 0x6F3A)->records);
    EXPECT_EQ(responder.unexpected, 0);
}

// Restore's dialog closed sends nothing; the question before used entries are cleared, answered
// No, writes nothing; with confirmations off nothing is asked and the entries go.
TEST_F(BackupWindows, ARestoreWritesNothingUntilItsPartsAndTheClearingAreAgreedTo) {
    auto emptyBook = std::make_unique<backup::SimBackup>();
    emptyBook->phoneBookCount = 1;
    emptyBook->phoneBook[0] = phonebook::EmptyPosition(0);
    const std::string file = folder.File("empty-book.sim");
    std::uint32_t error = 0;
    ASSERT_TRUE(backup::WriteSimBackupFile(file, *emptyBook, error));
    const std::string card = InsertCard(sim::BuildDemoSimProfile(), "demo.json");

    AnswerFile(file);
    AnswerRestore(false);
    Frame().OnCommand(C::RestoreCard);
    WaitForAnswers();
    EXPECT_EQ(fileTitles, QStringList{"Open Backup File"});
    EXPECT_EQ(fileTypes, (QStringList{"SIM Card Backup Files (.sim) (*.SIM *.sim)", "All files (*.*)"}));
    EXPECT_TRUE(allTicked);
    EXPECT_TRUE(instructions.empty());

    AnswerFile(file);
    AnswerRestore(true);
    AnswerPin("1234");
    responder.AnswerMessage(QMessageBox::No);
    Frame().OnCommand(C::RestoreCard);
    WaitForAnswers();
    EXPECT_EQ(responder.texts, QStringList{"103 used entries of the card will be cleared.\nContinue?"});
    EXPECT_FALSE(AnyUpdate());

    app->Settings().confirm = 0;
    AnswerFile(file);
    AnswerRestore(true);
    responder.AnswerMessage();
    Frame().OnCommand(C::RestoreCard);
    WaitForAnswers();
    EXPECT_EQ(responder.texts.back(), "Restoration of SIM Card successfully completed");
    const sim::SimProfile cleared = TakeOutCard(card);
    for (const auto& record : cleared.FindFile(kTelecom, 0x6F3A)->records) {
        EXPECT_EQ(record, std::vector<std::uint8_t>(record.size(), 0xFF));
    }
    EXPECT_EQ(responder.unexpected, 0);
}

// The save dialog comes once the card has been read, and cancelling it leaves no file and no
// message. Open Backup File waits for every editor window to close, then opens the backup in new
// windows without the card.
TEST_F(BackupWindows, OpenBackupFileFillsNewWindowsOnceNoneIsOpen) {
    const std::string card = InsertCard(sim::BuildDemoSimProfile(), "demo.json");
    const std::string file = folder.File("demo.sim");
    AnswerPin("1234");
    AnswerFile("", [this] { commandsBeforeDialog = instructions.size(); });
    Frame().OnCommand(C::BackupCard);
    WaitForAnswers();
    EXPECT_GT(commandsBeforeDialog, 0u);
    EXPECT_EQ(commandsBeforeDialog, instructions.size());
    EXPECT_TRUE(responder.texts.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(file));
    BackUp(file);
    TakeOutCard(card);

    app->Settings().autoRead = 0;
    Frame().OnCommand(C::ToolAnotherSmsWindow);
    responder.AnswerMessage();
    Frame().OnCommand(C::OpenBackupFile);
    EXPECT_EQ(responder.texts.back(), "Close ALL windows before performing this operation!");
    EXPECT_EQ(responder.icons.back(), QMessageBox::Critical);
    Frame().CloseAllEditors();

    fileTitles.clear();
    AnswerFile(file);
    Frame().OnCommand(C::OpenBackupFile);
    WaitForAnswers();
    auto* book = FrontWindow(EditorKind::PhoneBook);
    auto* fixedDialing = FrontWindow(EditorKind::FixedDialing);
    auto* messages = FrontWindow<ui::CSmsEdDlg>(EditorKind::Sms);
    ASSERT_TRUE(book && fixedDialing && messages);
    EXPECT_EQ(fileTitles.size(), 1);
    EXPECT_EQ(book->Table().PositionCount(), 120u);
    EXPECT_EQ(book->Table().RowTextOf(0).item, "  1 *");
    EXPECT_EQ(book->Table().RowTextOf(0).name, "Jürgen Müller");
    EXPECT_EQ(fixedDialing->Table().PositionCount(), 10u);
    EXPECT_EQ(fixedDialing->Table().RowTextOf(3).number, "+420602111222");
    EXPECT_EQ(fixedDialing->Table().RowTextOf(4).item, "  5  ");
    EXPECT_EQ(messages->Table().PositionCount(), 20u);
    EXPECT_EQ(messages->Table().RowTextOf(0).text, "Dinner at 8?");
    EXPECT_EQ(messages->List()->SelectedRows(), std::vector<std::size_t>{0});
    EXPECT_EQ(app->Settings().serviceCentre, "+420603052000");
    EXPECT_EQ(app->Settings().validityPeriod, 0xA7);
    EXPECT_EQ(responder.texts.size(), 2);
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
