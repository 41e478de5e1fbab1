#include "ui/CMainToolBar.h"

#include "app/CommandRouting.h"
#include "resources/StringTable.h"
#include "ui/CommandTable.h"
#include "ui/Cp1250.h"
#include "ui/ToolbarIcons.h"

namespace quillet::ui {

namespace {

constexpr int kToolTipLength = 79;

}  // namespace

CMainToolBar::CMainToolBar(QWidget* parent) : QToolBar(QStringLiteral("Quillet!"), parent) {
    setObjectName(QStringLiteral("mainToolBar"));
    setMovable(false);
    setIconSize(QSize(16, 15));
    for (const app::CommandId command : ToolbarCommands()) {
        if (command == app::CommandId::None) {
            addSeparator();
            continue;
        }
        // A button's tooltip is the string of its command's id.
        const auto id = static_cast<std::uint32_t>(command);
        QString tip = FromCp1250(resources::LoadString(id)).left(kToolTipLength);
        QAction* action = addAction(ToolbarIcon(command), tip);
        action->setObjectName(QStringLiteral("button%1").arg(id));
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, [this, command] { emit CommandChosen(command); });
        m_buttons[command] = action;
    }
}

QAction* CMainToolBar::Button(app::CommandId command) const {
    const auto found = m_buttons.find(command);
    return found == m_buttons.end() ? nullptr : found->second;
}

}  // namespace quillet::ui
