// The message windows in the program: the demo card's messages with the detail pane, the edit and
// details dialogs on their widgets, three numbered windows reached by the SMS Messages menu, files
// and the clipboard between windows.
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "EditorWindowFixture.h"
#include "sms/MessageBody.h"
#include "ui/CSmsDetailsDlg.h"
#include "ui/CSmsEdDlg.h"
#include "ui/CSmsEditDlg.h"
#include "ui/EntryListView.h"
#include "ui/EntryTransfer.h"
#include "ui/GreyClientArea.h"

namespace quillet::testing {
namespace {

using app::EditorKind;
using C = app::CommandId;

class SmsWindow : public EditorWindowFixture {
protected:
    ui::CSmsEdDlg* Front() { return FrontWindow<ui::CSmsEdDlg>(EditorKind::Sms); }
    // The first window, reading the demo card.
    ui::CSmsEdDlg* ReadDemoCard() {
        InsertDemoCard();
        AnswerPin("1234");
        Frame().OnCommand(C::EditMessages);
        WaitForAnswers();
        return Front();
    }
    // A window with its 99 empty positions.
    ui::CSmsEdDlg* EmptyWindow() {
        app->Settings().autoRead = 0;
        Frame().OnCommand(C::ToolAnotherSmsWindow);
        return Front();
    }
    static QString Cell(ui::CSmsEdDlg& window, int row, int column) {
        return window.List()->model()->index(row, column).data().toString();
    }
    static QString Shown(QWidget& parent, const char* field) {
        if (auto* line = parent.findChild<QLineEdit*>(field)) return line->text();
        if (auto* text = parent.findChild<QPlainTextEdit*>(field)) return text->toPlainText();
        ADD_FAILURE() << field;
        return {};
    }
};

TEST_F(SmsWindow, TheDemoCardShowsItsMessagesAndThePaneFollowsTheFocusedRow) {
    ui::CSmsEdDlg* window = ReadDemoCard();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Quillet! - Edit SMS Messages - [1]");
    EXPECT_EQ(window->pos() - Frame().ClientArea()->mapToGlobal(QPoint(0, 0)), QPoint(150, 50));
    ASSERT_EQ(window->List()->model()->rowCount(), 20);  // the card's records
    EXPECT_EQ((QStringList{Cell(*window, 0, 0), Cell(*window, 0, 2), Cell(*window, 0, 3), Cell(*window, 0, 4)}),
              (QStringList{"  1  ", "Read", "+420603123456", "Dinner at 8?"}));
    EXPECT_TRUE(Cell(*window, 4, 4).endsWith("(part 1 of 2)")) << Cell(*window, 4, 4).toStdString();
    EXPECT_EQ(Cell(*window, 6, 4), QString::fromUtf8("Ahoj, máš v pátek čas? Šárka"));
    EXPECT_EQ(Cell(*window, 7, 4), "----");

    window->List()->SelectOnly(6);
    EXPECT_EQ((QStringList{Shown(*window, "statusEdit"), Shown(*window, "numberEdit"), Shown(*window, "textEdit")}),
              (QStringList{"Received", "+420777111222", QString::fromUtf8("Ahoj, máš v pátek čas? Šárka")}));
    EXPECT_FALSE(Shown(*window, "centreEdit").isEmpty());
    window->List()->SelectOnly(7);  // an empty position empties the pane
    EXPECT_EQ(Shown(*window, "numberEdit") + Shown(*window, "textEdit") + Shown(*window, "dateEdit"), "");
    EXPECT_EQ(responder.unexpected, 0);
}

// The counter follows every change of the text in the alphabet the text needs; OK refuses a text
// that does not fit and a number that is none, and keeps the dialog open.
TEST_F(SmsWindow, TheEditDialogCountsWhatFitsAndRefusesWhatCannotBeWritten) {
    ui::CSmsEdDlg* window = EmptyWindow();
    ASSERT_NE(window, nullptr);
    const std::optional<sms::SmsEntry> start = window->Table().BeginEdit({{0}, 0});
    ASSERT_TRUE(start.has_value());
    ui::CSmsEditDlg dialog(window, *start, {[] { return std::nullopt; }, app->Ui()},
                           [window](const sms::SmsEntry& edited, const sms::SmsEditForm& form) {
                               return window->Table().ApplyEdit(0, edited, form);
                           });
    dialog.show();
    auto* text = dialog.findChild<QPlainTextEdit*>("textEdit");
    auto* number = dialog.findChild<QLineEdit*>("numberEdit");
    EXPECT_FALSE(dialog.findChild<QPushButton*>("fromPhoneBookButton")->isEnabled());
    const struct {
        QString text;
        const char* counter;
    } rows[] = {
        {"", "0/160"},
        {QString(160, 'a'), "160/160"},
        {QString::fromUtf8("25€ @ Café"), "11/160"},  // '€' takes two
        {QString::fromUtf8("Привет"), "6/70 UCS2"},
    };
    for (const auto& row : rows) {
        text->setPlainText(row.text);
        EXPECT_EQ(Shown(dialog, "lengthEdit"), row.counter) << row.text.toStdString();
    }

    const struct {
        QString text;
        QString number;
        QString message;
    } refusals[] = {
        {QString(161, 'a'), "603123456", "Message is too long"},
        {QString(71, QChar(0x0416)), "603123456", "Message is too long"},
        {"Hi", "60x3", "Error in phone number"},
    };
    for (const auto& refusal : refusals) {
        text->setPlainText(refusal.text);
        number->setText(refusal.number);
        responder.AnswerMessage();
        dialog.accept();
        WaitForAnswers();
        EXPECT_EQ(responder.texts.back(), refusal.message);
        EXPECT_TRUE(dialog.isVisible());
    }
    text->setPlainText(QString::fromUtf8("Line one\nLine two €"));
    number->setText("+420603123456");
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    window->Refresh();
    EXPECT_EQ(Cell(*window, 0, 3), "+420603123456");
    EXPECT_TRUE(Cell(*window, 0, 0).endsWith('*'));
    EXPECT_EQ(responder.unexpected, 0);
}

// A text the box shows in its own forms (CR LF, no-break space) goes back as the message had it
// when only the number changes, so the body stays the card's.
TEST_F(SmsWindow, AnUntouchedTextKeepsItsLineEndsAndSpaces) {
    sms::SmsEntry entry = sms::MakeEmptySmsEntry(0);
    entry.used = 1;
    ASSERT_TRUE(sms::SetMessageText(entry, U"a\r\nb\u00A0c"));
    std::string applied;
    ui::CSmsEditDlg dialog(nullptr, entry, {[] { return std::nullopt; }, app->Ui()},
                           [&applied](const sms::SmsEntry&, const sms::SmsEditForm& form) {
                               applied = form.text;
                               return true;
                           });
    dialog.findChild<QLineEdit*>("numberEdit")->setText("603123456");
    dialog.accept();
    EXPECT_EQ(applied, "a\r\nb\u00A0c");
}

// Status and validity move together through the combo box and the radio buttons; OK checks the
// centre before the copy changes.
TEST_F(SmsWindow, TheDetailsDialogCouplesStatusAndValidity) {
    sms::SmsEntry entry = sms::MakeEmptySmsEntry(0);
    entry.used = 1;
    entry.status = sms::kStatusRead;
    sms::SetFieldText(entry.dateOrValidity, "03.12.01 14:25");
    ui::CSmsDetailsDlg dialog(nullptr, entry, {[] { return std::string("+420603052000"); }, app->Ui()});
    dialog.show();
    auto* status = dialog.findChild<QComboBox*>("statusCombo");
    auto* week = dialog.findChild<QRadioButton*>("weekButton");
    auto* hour = dialog.findChild<QRadioButton*>("hourButton");
    const auto radios = dialog.findChildren<QRadioButton*>();
    const auto checkedCount = [&radios] {
        return std::count_if(radios.begin(), radios.end(), [](QRadioButton* radio) { return radio->isChecked(); });
    };
    EXPECT_FALSE(hour->isEnabled());
    EXPECT_EQ(checkedCount(), 0);

    status->setCurrentIndex(3);  // "To be sent": a date makes way for a week
    EXPECT_EQ(Shown(dialog, "validityEdit"), "7 days");
    EXPECT_TRUE(week->isChecked() && hour->isEnabled());
    hour->click();
    EXPECT_EQ(Shown(dialog, "validityEdit"), "60 mins");
    status->setCurrentIndex(1);  // "Received": the message's own date comes back
    EXPECT_EQ(Shown(dialog, "validityEdit"), "03.12.01 14:25");
    EXPECT_FALSE(hour->isEnabled());
    EXPECT_EQ(checkedCount(), 0);

    dialog.findChild<QLineEdit*>("centreEdit")->setText("12x");
    responder.AnswerMessage();
    dialog.accept();
    WaitForAnswers();
    EXPECT_EQ(responder.texts.back(), "Error in SMS center added");
    EXPECT_EQ(entry.status, sms::kStatusRead);
    dialog.findChild<QPushButton*>("fromPhoneBookButton")->click();
    dialog.accept();
    EXPECT_EQ(entry.status, sms::kStatusUnread);
    EXPECT_EQ(sms::FieldText(entry.serviceCentre), "420603052000");
    EXPECT_EQ(entry.centreTon, 1);
    EXPECT_EQ(responder.unexpected, 0);
}

// Three windows carry their numbers; the SMS Messages menu's file commands go to the front one:
// saved by one window, archived, and opened by another.
TEST_F(SmsWindow, ThreeNumberedWindowsTakeTheFileCommandsOfTheMenu) {
    for (int window = 0; window < 3; ++window) EmptyWindow();
    std::vector<QString> titles;
    for (const app::EditorSlot& slot : Frame().Editors().Slots(EditorKind::Sms)) {
        if (slot.window) titles.push_back(dynamic_cast<ui::CSmsEdDlg*>(slot.window)->windowTitle());
    }
    EXPECT_EQ(titles, (std::vector<QString>{"Quillet! - Edit SMS Messages - [3]", "Quillet! - Edit SMS Messages - [2]",
                                            "Quillet! - Edit SMS Messages - [1]"}));
    EXPECT_FALSE(Enabled(Frame(), C::ToolAnotherSmsWindow));

    ui::CSmsEdDlg* third = Front();
    third->Table().PasteText("Hello\r\nZdravím vás", {{3}, 3});
    third->Refresh();
    const std::string saved = folder.File("messages.sms");
    const std::string archive = folder.File("archive.sma");
    AnswerFile(saved);
    Frame().OnCommand(C::SmsSaveFile);
    AnswerFile(archive);  // a new archive file
    Frame().OnCommand(C::SmsAddToFile);
    WaitForAnswers();
    EXPECT_NE(ReadFileBytes(saved).find("Hello"), std::string::npos);
    EXPECT_NE(ReadFileBytes(archive).find("Hello"), std::string::npos);

    Frame().OnCommand(C::SmsWindow1);
    ASSERT_EQ(Front()->Number(), 0);
    AnswerFile(saved);
    Frame().OnCommand(C::SmsOpenFile);
    WaitForAnswers();
    EXPECT_EQ((QStringList{Cell(*Front(), 3, 4), Cell(*Front(), 4, 4), Cell(*Front(), 2, 4)}),
              (QStringList{"Hello", QString::fromUtf8("Zdravím vás"), "----"}));
    EXPECT_EQ(fileTitles,
              (QStringList{"Write Messages to File", "Write Messages to Archive File", "Read Messages from File"}));
    EXPECT_EQ(fileTypes.filter("Archive File with Messages (.sma) (*.SMA *.sma)").size(), 2);
    EXPECT_EQ(fileTypes.filter("All Message Files (.sms; .sma) (*.SMS *.SMA *.sms *.sma)").size(), 1);
    EXPECT_EQ(responder.unexpected, 0);
}

// Copy in one window, Paste from the Edit menu in another: the messages arrive whole, the UCS2
// one and the parts of the long one included.
TEST_F(SmsWindow, MessagesCrossBetweenWindowsThroughTheClipboard) {
    ui::CSmsEdDlg* source = ReadDemoCard();
    ASSERT_NE(source, nullptr);
    source->List()->SelectRows({4, 5, 6});
    source->CopyEntries(false);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(clipboard->hasFormat(ui::kSmsClipboardFormat));
    EXPECT_TRUE(clipboard->text().contains(QString::fromUtf8("Šárka")));

    ui::CSmsEdDlg* target = EmptyWindow();
    ASSERT_NE(target, source);
    EXPECT_TRUE(Enabled(Frame(), C::Paste));
    target->List()->SelectOnly(10);
    Frame().OnCommand(C::Paste);
    for (int row = 0; row < 3; ++row) {
        for (int column = 1; column < 5; ++column) {
            EXPECT_EQ(Cell(*target, 10 + row, column), Cell(*source, 4 + row, column)) << row << "," << column;
        }
    }
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
