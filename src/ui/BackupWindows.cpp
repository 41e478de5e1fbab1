#include "ui/BackupWindows.h"

#include <memory>
#include <optional>
#include <string>

#include "backup/BackupFlows.h"
#include "card/ProgressWindow.h"
#include "resources/StringTable.h"
#include "sms/SmsEntry.h"
#include "sms/SmsTimeValue.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/CRestoreCardDlg.h"
#include "ui/CSezEdDlg.h"
#include "ui/CSmsEdDlg.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"

namespace quillet::ui {

namespace {

constexpr std::uint32_t kCloseAllWindows = 57425;
constexpr std::uint32_t kClearQuestion = 58062;  // "%u used entries of the card will be cleared. ..."
constexpr std::uint32_t kSaveTitle = 57924;
constexpr std::uint32_t kOpenTitle = 57925;
constexpr FileType kBackupFiles{57923, "*.SIM"};

// A new window of the kind, or null when the shell cannot open one.
template <typename Window>
Window* NewWindow(CMainFrame& frame, app::EditorKind kind) {
    return dynamic_cast<Window*>(frame.Editors().ActivateEditor(kind, app::kActivateFront, true, app::kNoOpenMode));
}

// The backup's SMS centre and validity become the defaults of new messages, for this run only.
void TakeSmsParameters(app::AppSettings& settings, const backup::SmsParameterTexts& parameters) {
    const std::string_view centre = sms::FieldText(parameters.centre);
    const std::string_view validity = sms::FieldText(parameters.validity);
    if (centre.empty() && validity.empty()) return;
    settings.serviceCentre = std::string(centre);
    sms::SmsTimeValue value{};
    settings.validityPeriod = sms::ParseDateOrValidity(validity, value) && value.isDate == 0 ? value.validity : 0;
}

// Open Backup File: the phone book, the fixed dialling numbers and the messages in new windows.
void OpenInWindows(CMainApp& app, CMainFrame& frame, const backup::SimBackup& backup) {
    if (auto* book = NewWindow<CSezEdDlg>(frame, app::EditorKind::PhoneBook)) {
        book->Table().OpenPositions(backup.phoneBook, backup.phoneBookCount);
        book->Refresh();
    }
    if (auto* fixedDialing = NewWindow<CSezEdDlg>(frame, app::EditorKind::FixedDialing)) {
        fixedDialing->Table().OpenPositions(backup.fixedDialing, backup.fixedDialingCount);
        fixedDialing->Refresh();
    }
    if (auto* messages = NewWindow<CSmsEdDlg>(frame, app::EditorKind::Sms)) {
        messages->Table().OpenPositions(backup.messages, backup.messageCount);
        messages->Refresh(0);
    }
    TakeSmsParameters(app.Settings(), backup.smsParameters);
}

}  // namespace

void RunBackupCard(CMainApp& app, QWidget* owner) {
    backup::BackupCard(app.Context().Session(), owner,
                       [owner] { return AskSavePath(owner, kSaveTitle, kBackupFiles); });
}

void RunRestoreFromBackup(CMainApp& app, CMainFrame& frame, bool restore, bool open) {
    if (!restore && !open) return;
    // The backup's windows would stand beside windows of another card.
    if (!restore && frame.Editors().AnyOpen()) {
        ShowMessageBox(&frame, resources::LoadString(kCloseAllWindows), card::MessageIcon::Error);
        return;
    }
    const std::optional<std::string> path = AskOpenPath(&frame, kOpenTitle, kBackupFiles);
    if (!path) return;
    const auto choose = [&frame]() -> std::optional<backup::RestoreChoice> {
        CRestoreCardDlg dialog(&frame);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.Choice();
    };
    const auto agreeToClear = [&app](std::size_t cleared) {
        if (app.Settings().confirm == 0) return true;
        const std::string question =
            card::FormatItemText(resources::LoadString(kClearQuestion), static_cast<unsigned>(cleared), 0);
        return app.Ui().AskQuestion(question, card::QuestionButtons::YesNo) == card::Answer::Yes;
    };
    auto saved = std::make_unique<backup::SimBackup>();
    const bool done = backup::RestoreFromBackup(app.Context().Session(), *path, restore, open, *saved, choose,
                                                agreeToClear, static_cast<QWidget*>(&frame));
    if (done && open) OpenInWindows(app, frame, *saved);
}

}  // namespace quillet::ui
