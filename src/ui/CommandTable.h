#pragma once

#include <QKeySequence>
#include <QString>
#include <vector>

namespace quillet::ui {

// What a command needs before it can work in this version of the program.
enum class CommandNeed {
    Nothing,             // works now
    PhoneBookEditor,     // opens or drives a phone-book window
    FixedDialingEditor,  // opens the fixed-dialing-numbers window
    SmsEditor,           // opens or drives an SMS window
    AnyEditor,           // goes to whichever editor is active
    LaterVersion,        // its dialog is not part of this version yet
};

// One entry of a menu: an item, a separator (id 0, no label) or a submenu (id 0, with children).
struct MenuEntry {
    int id = 0;
    const char* label = nullptr;
    std::vector<MenuEntry> children;

    bool IsSeparator() const { return id == 0 && label == nullptr; }
    bool IsSubmenu() const { return id == 0 && label != nullptr; }
};

// Menu 101, top level first.
const std::vector<MenuEntry>& MainMenu();

// The toolbar's command ids in button order; 0 is a separator.
const std::vector<int>& ToolbarCommands();

struct Accelerator {
    QKeySequence keys;
    int commandId;
};
// Accelerator table 101.
const std::vector<Accelerator>& Accelerators();

CommandNeed NeedOf(int commandId);
// Why a command is not available when what it needs is missing: shown as its tooltip.
QString UnavailableReason(int commandId);

}  // namespace quillet::ui
