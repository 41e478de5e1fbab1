#include "app/MenuRules.h"

#include <initializer_list>

#include "app/EditorLists.h"

namespace quillet::app {

namespace {

using C = CommandId;

void SetAll(MenuStates& states, std::initializer_list<CommandId> commands, bool enabled) {
    for (const CommandId command : commands) {
        states.enabled[command] = enabled;
    }
}

}  // namespace

MenuStates ComputeMenuStates(const MenuContext& context) {
    const bool anyActive = context.active != ActiveEditor::None;
    // The fixed-dialing editor is a phone book as far as the menus go.
    const bool phoneBookLike =
        context.active == ActiveEditor::PhoneBook || context.active == ActiveEditor::FixedDialing;
    const bool smsActive = context.active == ActiveEditor::Sms;

    MenuStates states;
    SetAll(states, {C::ToolSaveFile, C::ToolPrint, C::ToolInsertItem, C::ToolDeleteItem, C::ToolDeleteSelected},
           anyActive);
    SetAll(states, {C::ToolFindReplace, C::ToolFindNext, C::ToolInternationalize}, phoneBookLike);
    SetAll(states, {C::PhoneBookSaveFile, C::Internationalization}, phoneBookLike);
    // SMS Save File and Add to File stay usable with no editor: they open an SMS window first.
    SetAll(states, {C::SmsSaveFile, C::SmsAddToFile}, smsActive || !anyActive);
    states.windowMenuEnabled = anyActive;
    states.enabled[C::Paste] = anyActive && context.clipboardHasEditorFormat;
    SetAll(states, {C::InsertItem, C::DeleteItem}, anyActive);

    const auto phoneBookLimit = static_cast<int>(EditorLists::Capacity(EditorKind::PhoneBook));
    const auto smsLimit = static_cast<int>(EditorLists::Capacity(EditorKind::Sms));
    SetAll(states, {C::ToolAnotherPhoneBook, C::NewPhoneBook}, context.phoneBookWindows < phoneBookLimit);
    states.enabled[C::ToolAnotherSmsWindow] = context.smsWindows < smsLimit;
    states.enabled[C::CloseAll] = context.anyEditorOpen;
    states.enabled[C::PrintPhoneBook] = phoneBookLike;
    states.enabled[C::PrintMessages] = smsActive;
    return states;
}

}  // namespace quillet::app
