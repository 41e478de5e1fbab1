#pragma once

#include <QIcon>

#include "app/CommandId.h"

namespace quillet::ui {

// The toolbar's 16 × 15 pictures, drawn in code so no image comes from elsewhere and they stay
// sharp on high-density screens. Null for an unknown command.
QIcon ToolbarIcon(app::CommandId command);

}  // namespace quillet::ui
