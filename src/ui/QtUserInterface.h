#pragma once

#include <QPointer>

#include "card/UserInterface.h"
#include "ui/ProgressDialog.h"

class QWidget;

namespace quillet::ui {

// The windowed program's side of the core's questions, messages, code requests and progress.
class QtUserInterface final : public card::UserInterface {
public:
    // Dialogs without an owner of their own belong to this window (the main window).
    explicit QtUserInterface(QWidget* mainWindow = nullptr);
    ~QtUserInterface() override;

    void SetMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }

    std::optional<card::SecretString> AskPin(const card::PinPrompt& prompt) override;
    std::optional<card::CodeChange> AskCodeChange(card::CodeForm form) override;
    void ShowMessage(std::string_view text, card::MessageIcon icon) override;
    card::Answer AskQuestion(std::string_view text, card::QuestionButtons buttons) override;

    void OpenProgress(card::ProgressOwner owner) override;
    void SetProgressTitle(std::string_view title) override;
    void SetProgressText(std::string_view text) override;
    void SetProgressPercent(unsigned percent) override;
    bool PumpProgress() override;
    void CloseProgress() override;

    // The open progress window, if any (for tests and for parenting message boxes).
    ProgressDialog* Progress() const { return m_progress.data(); }

private:
    QWidget* DialogParent() const;

    QPointer<QWidget> m_mainWindow;
    // Owned by the window that started the work, which may go first and take it along.
    QPointer<ProgressDialog> m_progress;
};

}  // namespace quillet::ui
