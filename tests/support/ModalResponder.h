#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>

namespace quillet::testing {

// Answers the modal windows a test provokes, in the order the test expects them: each handler
// gets the active modal window and returns true once it has dealt with it. Unexpected windows
// are closed and counted so a test cannot hang on them.
class ModalResponder final : public QObject {
public:
    using Handler = std::function<bool(QWidget*)>;

    ModalResponder() {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start();
    }

    void Expect(Handler handler) { m_handlers.push_back(std::move(handler)); }

    // A message box: its text and icon are recorded, then the button is pressed.
    void AnswerMessage(QMessageBox::StandardButton button = QMessageBox::Ok) {
        Expect([this, button](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr) return false;
            texts.push_back(box->text());
            icons.push_back(box->icon());
            box->done(button);
            return true;
        });
    }

    bool Done() const { return m_handlers.empty(); }

    QStringList texts;
    std::vector<QMessageBox::Icon> icons;
    int unexpected = 0;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        if (!m_handlers.empty()) {
            if (m_handlers.front()(modal)) m_handlers.pop_front();
            return;
        }
        // The card's progress window is modal while it works; it is not a question.
        if (modal->inherits("quillet::ui::ProgressDialog")) return;
        // Nothing expected: close stray windows so the test ends and says so.
        ++unexpected;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts.push_back(box->text());
            box->done(QMessageBox::Cancel);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    QTimer m_timer;
    std::deque<Handler> m_handlers;
};

}  // namespace quillet::testing
