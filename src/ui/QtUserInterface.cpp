#include "ui/QtUserInterface.h"

#include <QApplication>
#include <QWidget>

#include "ui/CCodeChangeDlg.h"
#include "ui/Cp1250.h"
#include "ui/MessageBoxes.h"
#include "ui/PinDialog.h"
#include "ui/ProgressDialog.h"

namespace quillet::ui {

QtUserInterface::QtUserInterface(QWidget* mainWindow) : m_mainWindow(mainWindow) {}

QtUserInterface::~QtUserInterface() { CloseProgress(); }

// Questions asked during card work sit over the progress window, so they are not hidden by it.
QWidget* QtUserInterface::DialogParent() const {
    if (m_progress && m_progress->isVisible()) return m_progress.data();
    return m_mainWindow.data();
}

std::optional<card::SecretString> QtUserInterface::AskPin(const card::PinPrompt& prompt) {
    PinDialog dialog(prompt, DialogParent());
    return dialog.AskCode();
}

std::optional<card::CodeChange> QtUserInterface::AskCodeChange(card::CodeForm form) {
    CCodeChangeDlg dialog(form, DialogParent());
    return dialog.AskCodes();
}

void QtUserInterface::ShowMessage(std::string_view text, card::MessageIcon icon) {
    ShowMessageBox(DialogParent(), text, icon);
}

card::Answer QtUserInterface::AskQuestion(std::string_view text, card::QuestionButtons buttons) {
    return AskQuestionBox(DialogParent(), text, buttons);
}

// The core hands the owner over opaquely; in this program an owner is always the QWidget of the
// window that started the work.
void QtUserInterface::OpenProgress(card::ProgressOwner owner) {
    if (m_progress) return;
    auto* ownerWindow = static_cast<QWidget*>(const_cast<void*>(owner));
    m_progress = new ProgressDialog(ownerWindow ? ownerWindow : m_mainWindow.data());
    m_progress->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUserInterface::SetProgressTitle(std::string_view title) {
    if (m_progress) m_progress->setWindowTitle(FromCp1250(title));
}

void QtUserInterface::SetProgressText(std::string_view text) {
    if (!m_progress) return;
    m_progress->SetText(DisplayText(text));
}

void QtUserInterface::SetProgressPercent(unsigned percent) {
    if (m_progress) m_progress->SetPercent(percent);
}

bool QtUserInterface::PumpProgress() { return m_progress ? m_progress->Pump() : true; }

void QtUserInterface::CloseProgress() { delete m_progress.data(); }

}  // namespace quillet::ui
