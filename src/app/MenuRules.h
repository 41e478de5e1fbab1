#pragma once

#include <map>

#include "app/CommandId.h"

namespace quillet::app {

// Which editor is active, as far as the menus care: the front window of a list, or none.
enum class ActiveEditor { None, PhoneBook, FixedDialing, Sms };

struct MenuContext {
    ActiveEditor active = ActiveEditor::None;
    int phoneBookWindows = 0;
    int smsWindows = 0;
    bool anyEditorOpen = false;
    // The clipboard holds the active editor's private format.
    bool clipboardHasEditorFormat = false;
};

// What UpdateMenus decides: enabled state by command (menu items and toolbar buttons share one
// map, their ids never collide) and the state of the Window menu. Commands that are not in the
// map are always enabled.
struct MenuStates {
    std::map<CommandId, bool> enabled;
    bool windowMenuEnabled = false;

    bool IsEnabled(CommandId command) const {
        const auto found = enabled.find(command);
        return found == enabled.end() || found->second;
    }
};

MenuStates ComputeMenuStates(const MenuContext& context);

}  // namespace quillet::app
