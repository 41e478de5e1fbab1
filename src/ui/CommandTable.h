#pragma once

#include <QKeySequence>
#include <vector>

#include "app/CommandId.h"

namespace quillet::ui {

// One entry of a menu: an item, a separator (no command, no label) or a submenu (no command, with
// children).
struct MenuEntry {
    app::CommandId id = app::CommandId::None;
    const char* label = nullptr;
    std::vector<MenuEntry> children;

    bool IsSeparator() const { return id == app::CommandId::None && label == nullptr; }
    bool IsSubmenu() const { return id == app::CommandId::None && label != nullptr; }
};

// The main menu, top level first.
const std::vector<MenuEntry>& MainMenu();

// The toolbar's commands in button order; CommandId::None is a separator.
const std::vector<app::CommandId>& ToolbarCommands();

struct Accelerator {
    QKeySequence keys;
    app::CommandId command;
};
// The main window's keys.
const std::vector<Accelerator>& Accelerators();

}  // namespace quillet::ui
