#include "ui/CommandTable.h"

namespace quillet::ui {

namespace {

using C = app::CommandId;

const MenuEntry kSeparator{};

MenuEntry Item(C id, const char* label) { return MenuEntry{id, label, {}}; }
MenuEntry Submenu(const char* label, std::vector<MenuEntry> children) {
    return MenuEntry{C::None, label, std::move(children)};
}

}  // namespace

const std::vector<MenuEntry>& MainMenu() {
    static const std::vector<MenuEntry> menu = {
        Submenu("&Phone Book",
                {Item(C::EditPhoneBook, "&Edit Phone Book"), Item(C::FixedDialingNumbers, "&Fixed Dialing Numbers"),
                 Item(C::ActivateFdn, "Activate F&DN"), kSeparator, Item(C::PhoneBookOpenFile, "&Open File"),
                 Item(C::PhoneBookSaveFile, "&Save File"), Item(C::PhoneBookAddFromFile, "&Add from File"), kSeparator,
                 Item(C::NewPhoneBook, "&New Phone Book"), Item(C::Internationalization, "&Internationalization"),
                 Item(C::PrintPhoneBook, "&Print Phone Book")}),
        Submenu("&SMS Messages",
                {Item(C::EditMessages, "&Edit Messages"), kSeparator, Item(C::SmsOpenFile, "&Open File"),
                 Item(C::SmsSaveFile, "&Save File"), Item(C::SmsAddToFile, "Add &to File"), kSeparator,
                 Item(C::SmsParameters, "SMS &Parameters"), Item(C::PrintMessages, "&Print Messages")}),
        Submenu("P&IN", {Item(C::EnterPin, "&Enter PIN"), Item(C::ChangePin, "&Change PIN"),
                         Item(C::EnableDisablePin, "Enable/Disable PIN"), kSeparator, Item(C::EnterPin2, "Enter PIN2"),
                         Item(C::ChangePin2, "Change PIN2"), kSeparator, Item(C::UnblockCard, "&Unblock Card")}),
        Submenu("SI&M Card",
                {Item(C::BackupCard, "&Backup Card"), Item(C::RestoreCard, "&Restore Card"),
                 Item(C::OpenBackupFile, "&Open Backup File"), kSeparator,
                 Item(C::SimInformation, "&Information about SIM"), Item(C::CheckAndRepairSim, "&Check and Repair SIM"),
                 kSeparator, Item(C::PreferredNetworks, "&Preferred Networks"),
                 Item(C::ForbiddenNetworks, "&Forbidden Networks")}),
        Submenu("&Edit",
                {Item(C::InsertItem, "&Insert Item       Insert"), Item(C::DeleteItem, "&Delete Item     Delete"),
                 kSeparator, Item(C::Copy, "&Copy                 Ctrl+C"),
                 Item(C::Cut, "Cu&t                    Ctrl+X"), Item(C::Paste, "&Paste                Ctrl+V"),
                 kSeparator, Item(C::Select, "&Select"), Item(C::SelectAll, "Select &All          Ctrl+A")}),
        Submenu(
            "&Window",
            {Submenu("Phone Book", {Item(C::PhoneBookWindow1, "Window  &1"), Item(C::PhoneBookWindow2, "Window  &2"),
                                    Item(C::PhoneBookWindow3, "Window &3")}),
             Item(C::PhoneBookNext, "Phone Book - &Next"), kSeparator,
             Submenu("SMS Messages", {Item(C::SmsWindow1, "Window &1"), Item(C::SmsWindow2, "Window  &2"),
                                      Item(C::SmsWindow3, "Window &3")}),
             Item(C::SmsNext, "SMS Messages - N&ext"), kSeparator, Item(C::CloseAll, "&Close All")}),
        Submenu("&Other", {Item(C::Setup, "&Setup"), Item(C::CountryCodes, "&Country Codes"), kSeparator,
                           Item(C::TelephoneCard, "&Telephone Card"), kSeparator, Item(C::Exit, "E&xit")}),
        Submenu("&Help", {Item(C::HelpContents, "&Contents"), kSeparator, Item(C::About, "&About Quillet!")}),
    };
    return menu;
}

const std::vector<app::CommandId>& ToolbarCommands() {
    static const std::vector<C> buttons = {C::ToolOpenFile,
                                           C::ToolSaveFile,
                                           C::ToolPrint,
                                           C::None,
                                           C::ToolEditPhoneBook,
                                           C::ToolAnotherPhoneBook,
                                           C::ToolEditMessages,
                                           C::ToolAnotherSmsWindow,
                                           C::ToolEnterPin,
                                           C::None,
                                           C::ToolFindReplace,
                                           C::ToolFindNext,
                                           C::None,
                                           C::ToolInsertItem,
                                           C::ToolDeleteItem,
                                           C::ToolDeleteSelected,
                                           C::ToolInternationalize,
                                           C::None,
                                           C::ToolSimInformation,
                                           C::ToolCheckAndRepair};
    return buttons;
}

const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> keys = {
        {QKeySequence(Qt::CTRL | Qt::Key_A), C::SelectAll},
        {QKeySequence(Qt::Key_Delete), C::DeleteItem},
        {QKeySequence(Qt::CTRL | Qt::Key_Delete), C::DeleteSelected},
        {QKeySequence(Qt::Key_F1), C::Help},
        {QKeySequence(Qt::CTRL | Qt::Key_F1), C::HelpContents},
        {QKeySequence(Qt::SHIFT | Qt::Key_F1), C::ContextHelp},
        {QKeySequence(Qt::Key_F7), C::FindReplace},
        {QKeySequence(Qt::Key_Insert), C::InsertItem},
    };
    return keys;
}

}  // namespace quillet::ui
