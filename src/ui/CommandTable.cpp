#include "ui/CommandTable.h"

#include <map>

namespace quillet::ui {

namespace {

const MenuEntry kSeparator{};

MenuEntry Item(int id, const char* label) { return MenuEntry{id, label, {}}; }
MenuEntry Submenu(const char* label, std::vector<MenuEntry> children) {
    return MenuEntry{0, label, std::move(children)};
}

}  // namespace

const std::vector<MenuEntry>& MainMenu() {
    static const std::vector<MenuEntry> menu = {
        Submenu("&Phone Book",
                {Item(40001, "&Edit Phone Book"), Item(40089, "&Fixed Dialing Numbers"), Item(40093, "Activate F&DN"),
                 kSeparator, Item(40002, "&Open File"), Item(40005, "&Save File"), Item(40006, "&Add from File"),
                 kSeparator, Item(40007, "&New Phone Book"), Item(40079, "&Internationalization"),
                 Item(40096, "&Print Phone Book")}),
        Submenu("&SMS Messages", {Item(40004, "&Edit Messages"), kSeparator, Item(40008, "&Open File"),
                                  Item(40009, "&Save File"), Item(40010, "Add &to File"), kSeparator,
                                  Item(40053, "SMS &Parameters"), Item(40097, "&Print Messages")}),
        Submenu("P&IN",
                {Item(40018, "&Enter PIN"), Item(40091, "&Change PIN"), Item(40099, "Enable/Disable PIN"), kSeparator,
                 Item(40090, "Enter PIN2"), Item(40092, "Change PIN2"), kSeparator, Item(40087, "&Unblock Card")}),
        Submenu("SI&M Card",
                {Item(40024, "&Backup Card"), Item(40025, "&Restore Card"), Item(40078, "&Open Backup File"),
                 kSeparator, Item(40026, "&Information about SIM"), Item(40098, "&Check and Repair SIM"), kSeparator,
                 Item(40094, "&Preferred Networks"), Item(40095, "&Forbidden Networks")}),
        Submenu("&Edit", {Item(40060, "&Insert Item       Insert"), Item(40061, "&Delete Item     Delete"), kSeparator,
                          Item(40066, "&Copy                 Ctrl+C"), Item(40067, "Cu&t                    Ctrl+X"),
                          Item(40068, "&Paste                Ctrl+V"), kSeparator, Item(40069, "&Select"),
                          Item(40063, "Select &All          Ctrl+A")}),
        Submenu(
            "&Window",
            {Submenu("Phone Book", {Item(40201, "Window  &1"), Item(40202, "Window  &2"), Item(40203, "Window &3")}),
             Item(40074, "Phone Book - &Next"), kSeparator,
             Submenu("SMS Messages", {Item(40301, "Window &1"), Item(40302, "Window  &2"), Item(40303, "Window &3")}),
             Item(40076, "SMS Messages - N&ext"), kSeparator, Item(40071, "&Close All")}),
        Submenu("&Other", {Item(40021, "&Setup"), Item(40027, "&Country Codes"), kSeparator,
                           Item(40086, "&Telephone Card"), kSeparator, Item(40023, "E&xit")}),
        Submenu("&Help", {Item(57666, "&Contents"), kSeparator, Item(40081, "&About Quillet!")}),
    };
    return menu;
}

const std::vector<int>& ToolbarCommands() {
    static const std::vector<int> buttons = {2001, 2002, 2003, 0,    2005, 2006, 2007, 2008, 2009, 0,
                                             2011, 2012, 0,    2014, 2015, 2016, 2017, 0,    2019, 2020};
    return buttons;
}

const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> keys = {
        {QKeySequence(Qt::CTRL | Qt::Key_A), 40063},
        {QKeySequence(Qt::Key_Delete), 40061},
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), 40062},
        {QKeySequence(Qt::Key_F1), 57670},
        {QKeySequence(Qt::CTRL | Qt::Key_F1), 57666},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), 57669},
        {QKeySequence(Qt::Key_F7), 40082},
        {QKeySequence(Qt::Key_Insert), 40060},
    };
    return keys;
}

CommandNeed NeedOf(int commandId) {
    static const std::map<int, CommandNeed> needs = [] {
        std::map<int, CommandNeed> table;
        const auto mark = [&table](CommandNeed need, std::initializer_list<int> ids) {
            for (const int id : ids) table[id] = need;
        };
        mark(CommandNeed::PhoneBookEditor, {40001, 40002, 40006, 40007, 40074, 40201, 40202, 40203, 2005, 2006});
        mark(CommandNeed::FixedDialingEditor, {40089});
        mark(CommandNeed::SmsEditor, {40004, 40008, 40009, 40010, 40076, 40301, 40302, 40303, 2007, 2008});
        mark(CommandNeed::AnyEditor, {40005, 40079, 40060, 40061, 40062, 40063, 40066, 40067, 40068, 40069, 40082, 2001,
                                      2002, 2011, 2012, 2014, 2015, 2016, 2017});
        mark(CommandNeed::LaterVersion, {40093, 40096, 40053, 40097, 40018, 40091, 40099, 40090, 40092, 40087, 40024,
                                         40025, 40078, 40026, 40098, 40094, 40095, 2003,  2009,  2019,  2020});
        return table;
    }();
    const auto found = needs.find(commandId);
    return found == needs.end() ? CommandNeed::Nothing : found->second;
}

QString UnavailableReason(int commandId) {
    // Some of what the windows cannot do yet, the command-line tool does already.
    static const std::map<int, const char*> toolCommands = {
        {40018, "pin verify"},        {2009, "pin verify"},
        {40091, "pin change"},        {40099, "pin enable|disable"},
        {40090, "pin verify --pin2"}, {40092, "pin change --pin2"},
        {40087, "pin unblock"},       {40024, "backup"},
        {40025, "restore"},           {40053, "smsp"},
        {40094, "networks"},          {40095, "networks --forbidden"},
    };
    switch (NeedOf(commandId)) {
        case CommandNeed::PhoneBookEditor:
        case CommandNeed::FixedDialingEditor:
            return QStringLiteral("Not available yet: the phone book windows come in a later version.");
        case CommandNeed::SmsEditor:
            return QStringLiteral("Not available yet: the SMS windows come in a later version.");
        case CommandNeed::AnyEditor:
            return QStringLiteral("Not available yet: works on an editor window, and those come in a later version.");
        case CommandNeed::LaterVersion: {
            const auto tool = toolCommands.find(commandId);
            if (tool == toolCommands.end()) return QStringLiteral("Not available yet: comes in a later version.");
            return QStringLiteral("Not available in the window yet; \"quillet-cli %1\" does it today.")
                .arg(QLatin1String(tool->second));
        }
        case CommandNeed::Nothing:
            break;
    }
    return {};
}

}  // namespace quillet::ui
