#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>

namespace quillet::ui {

class CMainApp;

// One page of a tab dialog: its tab title and a stale flag, set at first and by Update, that
// makes the page read the card the next time it is shown.
class CTabPageTemplate : public QWidget {
    Q_OBJECT

public:
    CTabPageTemplate(CMainApp& app, QString title, QWidget* parent);

    const QString& Title() const { return m_title; }
    bool IsStale() const { return m_stale; }
    void SetStale() { m_stale = true; }
    // Empties the fields and reads the card again. A read that failed shows why, with the fields
    // it filled, and leaves the page stale so the next view tries again.
    void Refresh();

protected:
    virtual void ClearFields() = 0;
    // Reads the card into the fields; the message of a failure, or nothing.
    virtual std::optional<std::string> ReadCard() = 0;

    CMainApp& App() { return m_app; }

private:
    CMainApp& m_app;
    QString m_title;
    bool m_stale = true;
};

}  // namespace quillet::ui
