#include "ui/CDialogEx.h"

#include <QCloseEvent>

#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/GreyClientArea.h"

namespace quillet::ui {

CDialogEx::CDialogEx(CMainApp& app, app::EditorKind kind, int closeQuestion)
    : QDialog(app.Frame()), m_app(app), m_kind(kind), m_closeQuestion(closeQuestion) {
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

CDialogEx::~CDialogEx() = default;

void CDialogEx::MakeActive() {
    if (m_closed) return;
    show();
    raise();
    activateWindow();
    // The platform reports activation only once the window system has done it; the main window
    // needs to know now.
    m_app.Frame()->OnEditorActivated(this);
}

bool CDialogEx::CloseWithConfirm(int messageId, bool& askedOut) {
    m_closeQuestion = messageId;
    m_asked = false;
    CloseWindow();
    askedOut = m_asked;
    return !m_closed;
}

void CDialogEx::CloseWindow() {
    if (m_closed) return;
    bool asked = false;
    const bool mayClose = MayClose(m_closeQuestion, asked);
    m_asked = asked;
    if (!mayClose) return;
    m_closed = true;
    m_closeQuestion = kNoCloseQuestion;
    hide();
    m_app.Frame()->OnEditorClosed(m_kind, this);
}

void CDialogEx::PlaceWindow(QPoint offset) {
    const QWidget* client = m_app.Frame()->ClientArea();
    move(client->mapToGlobal(QPoint(0, 0)) + offset);
}

void CDialogEx::reject() { CloseWindow(); }

void CDialogEx::closeEvent(QCloseEvent* event) {
    event->ignore();
    CloseWindow();
}

bool CDialogEx::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !m_closed) m_app.Frame()->OnEditorActivated(this);
    return QDialog::event(event);
}

}  // namespace quillet::ui
