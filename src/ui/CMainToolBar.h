#pragma once

#include <QToolBar>
#include <map>

#include "app/CommandId.h"

namespace quillet::ui {

// The main window's toolbar: twenty positions of buttons and separators, each button with its
// picture and the tooltip the string table gives its command.
class CMainToolBar final : public QToolBar {
    Q_OBJECT

public:
    explicit CMainToolBar(QWidget* parent);

    QAction* Button(app::CommandId command) const;
    const std::map<app::CommandId, QAction*>& Buttons() const { return m_buttons; }

signals:
    void CommandChosen(app::CommandId command);

private:
    std::map<app::CommandId, QAction*> m_buttons;
};

}  // namespace quillet::ui
