#pragma once

#include <QToolBar>
#include <functional>
#include <map>

namespace quillet::ui {

// The main window's toolbar: twenty positions of buttons and separators, each button with its
// picture and the tooltip the string table gives its command.
class CMainToolBar final : public QToolBar {
    Q_OBJECT

public:
    // available tells whether a command works in this version; others say why in their tooltip.
    CMainToolBar(QWidget* parent, const std::function<bool(int)>& available);

    QAction* Button(int commandId) const;
    const std::map<int, QAction*>& Buttons() const { return m_buttons; }

signals:
    void CommandChosen(int commandId);

private:
    std::map<int, QAction*> m_buttons;
};

}  // namespace quillet::ui
