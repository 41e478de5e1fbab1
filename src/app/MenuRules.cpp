#include "app/MenuRules.h"

#include <initializer_list>

#include "app/EditorLists.h"

namespace quillet::app {

namespace {

void SetAll(MenuStates& states, std::initializer_list<int> commandIds, bool enabled) {
    for (int id : commandIds) {
        states.enabled[id] = enabled;
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
    // Toolbar: save, print, insert, delete, delete selected.
    SetAll(states, {2002, 2003, 2014, 2015, 2016}, anyActive);
    // Toolbar: find, find next, internationalize.
    SetAll(states, {2011, 2012, 2017}, phoneBookLike);
    // Phone Book > Save File and Phone Book > Internationalization.
    SetAll(states, {40005, 40079}, phoneBookLike);
    // SMS Save File and Add to File stay usable with no editor: they open an SMS window first.
    SetAll(states, {40009, 40010}, smsActive || !anyActive);
    states.windowMenuEnabled = anyActive;
    states.enabled[40068] = anyActive && context.clipboardHasEditorFormat;
    // Edit > Insert Item, Delete Item.
    SetAll(states, {40060, 40061}, anyActive);

    const auto phoneBookLimit = static_cast<int>(EditorLists::Capacity(EditorKind::PhoneBook));
    const auto smsLimit = static_cast<int>(EditorLists::Capacity(EditorKind::Sms));
    // Another phone-book window, New Phone Book, another SMS window.
    SetAll(states, {2006, 40007}, context.phoneBookWindows < phoneBookLimit);
    states.enabled[2008] = context.smsWindows < smsLimit;
    // Window > Close All.
    states.enabled[40071] = context.anyEditorOpen;
    // Print Phone Book, Print Messages.
    states.enabled[40096] = phoneBookLike;
    states.enabled[40097] = smsActive;
    return states;
}

}  // namespace quillet::app
