#include "ui/CMainToolBar.h"

#include "resources/StringTable.h"
#include "ui/CommandTable.h"
#include "ui/Cp1250.h"
#include "ui/ToolbarIcons.h"

namespace quillet::ui {

namespace {

constexpr int kToolTipLength = 79;

}  // namespace

CMainToolBar::CMainToolBar(QWidget* parent, const std::function<bool(int)>& available)
    : QToolBar(QStringLiteral("Quillet!"), parent) {
    setObjectName(QStringLiteral("mainToolBar"));
    setMovable(false);
    setIconSize(QSize(16, 15));
    for (const int id : ToolbarCommands()) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        QString tip = FromCp1250(resources::LoadString(static_cast<std::uint32_t>(id))).left(kToolTipLength);
        if (!available(id)) tip += QLatin1Char('\n') + UnavailableReason(id);
        QAction* action = addAction(ToolbarIcon(id), tip);
        action->setObjectName(QStringLiteral("button%1").arg(id));
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, [this, id] { emit CommandChosen(id); });
        m_buttons[id] = action;
    }
}

QAction* CMainToolBar::Button(int commandId) const {
    const auto found = m_buttons.find(commandId);
    return found == m_buttons.end() ? nullptr : found->second;
}

}  // namespace quillet::ui
