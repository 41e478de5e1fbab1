#include "app/CommandRouting.h"

#include <algorithm>
#include <array>

namespace quillet::app {

namespace {

using C = CommandId;
using Need = CommandNeed;
using Act = CommandAction;
using Kind = EditorKind;

// One row per command that needs something or goes somewhere; the rest (help) need nothing and
// do nothing.
struct CommandRow {
    CommandId command;
    CommandNeed need;
    CommandRoute route;
};

constexpr CommandRoute Forward(CommandId sent) { return {Act::Forward, Kind::PhoneBook, sent, C::None, 0}; }
constexpr CommandRoute To(CommandAction action, EditorKind kind) { return {action, kind, C::None, C::None, 0}; }
constexpr CommandRoute ToFront(EditorKind kind, CommandId sent) { return {Act::SendToFront, kind, sent, C::None, 0}; }
constexpr CommandRoute ByActiveKind(CommandAction action, CommandId phoneBook, CommandId sms) {
    return {action, Kind::PhoneBook, phoneBook, sms, 0};
}
constexpr CommandRoute WindowNumber(EditorKind kind, int number) {
    return {Act::ShowWindowNumber, kind, C::None, C::None, number};
}
constexpr CommandRoute Own(CommandAction action) { return To(action, Kind::PhoneBook); }
constexpr CommandRoute Pin(CommandId command) { return {Act::PinCommand, Kind::PhoneBook, command, C::None, 0}; }
constexpr CommandRoute Networks(CommandId command) { return {Act::NetworkList, Kind::PhoneBook, command, C::None, 0}; }

constexpr std::array kCommands = {
    // Phone Book menu.
    CommandRow{C::EditPhoneBook, Need::PhoneBookEditor, To(Act::ShowEditor, Kind::PhoneBook)},
    CommandRow{C::FixedDialingNumbers, Need::FixedDialingEditor, To(Act::ShowEditor, Kind::FixedDialing)},
    CommandRow{C::ActivateFdn, Need::Nothing, Own(Act::ActivateFixedDialing)},
    CommandRow{C::PhoneBookOpenFile, Need::PhoneBookEditor, ToFront(Kind::PhoneBook, C::PhoneBookOpenFile)},
    CommandRow{C::PhoneBookSaveFile, Need::AnyEditor,
               ByActiveKind(Act::SendByActiveKind, C::PhoneBookSaveFile, C::SmsSaveFile)},
    CommandRow{C::PhoneBookAddFromFile, Need::PhoneBookEditor, ToFront(Kind::PhoneBook, C::PhoneBookAddFromFile)},
    CommandRow{C::NewPhoneBook, Need::PhoneBookEditor, To(Act::NewEditor, Kind::PhoneBook)},
    CommandRow{C::Internationalization, Need::AnyEditor, Forward(C::EditorInternationalize)},
    CommandRow{C::PrintPhoneBook, Need::PhoneBookEditor, Forward(C::PrintPhoneBook)},
    // SMS Messages menu.
    CommandRow{C::EditMessages, Need::SmsEditor, To(Act::ShowEditor, Kind::Sms)},
    CommandRow{C::SmsOpenFile, Need::SmsEditor, ToFront(Kind::Sms, C::SmsOpenFile)},
    CommandRow{C::SmsSaveFile, Need::SmsEditor, ToFront(Kind::Sms, C::SmsSaveFile)},
    CommandRow{C::SmsAddToFile, Need::SmsEditor, ToFront(Kind::Sms, C::SmsAddToFile)},
    CommandRow{C::SmsParameters, Need::Nothing, Own(Act::SmsParameters)},
    CommandRow{C::PrintMessages, Need::SmsEditor, Forward(C::PrintMessages)},
    // PIN and SIM Card menus.
    CommandRow{C::EnterPin, Need::Nothing, Pin(C::EnterPin)},
    CommandRow{C::ChangePin, Need::Nothing, Pin(C::ChangePin)},
    CommandRow{C::EnableDisablePin, Need::Nothing, Pin(C::EnableDisablePin)},
    CommandRow{C::EnterPin2, Need::Nothing, Pin(C::EnterPin2)},
    CommandRow{C::ChangePin2, Need::Nothing, Pin(C::ChangePin2)},
    CommandRow{C::UnblockCard, Need::Nothing, Pin(C::UnblockCard)},
    CommandRow{C::BackupCard, Need::Nothing, Own(Act::BackupCard)},
    CommandRow{C::RestoreCard, Need::Nothing, Own(Act::RestoreCard)},
    CommandRow{C::OpenBackupFile, Need::Nothing, Own(Act::OpenBackupFile)},
    CommandRow{C::SimInformation, Need::Nothing, Own(Act::SimInformation)},
    CommandRow{C::CheckAndRepairSim, Need::Nothing, Own(Act::CheckAndRepair)},
    CommandRow{C::PreferredNetworks, Need::Nothing, Networks(C::PreferredNetworks)},
    CommandRow{C::ForbiddenNetworks, Need::Nothing, Networks(C::ForbiddenNetworks)},
    // Edit menu and its keys: the active editor's own commands.
    CommandRow{C::InsertItem, Need::AnyEditor, Forward(C::EditorInsert)},
    CommandRow{C::DeleteItem, Need::AnyEditor, Forward(C::EditorDelete)},
    CommandRow{C::DeleteSelected, Need::AnyEditor, Forward(C::EditorDeleteSelected)},
    CommandRow{C::SelectAll, Need::AnyEditor, Forward(C::EditorSelectAll)},
    CommandRow{C::Copy, Need::AnyEditor, Forward(C::EditorCopy)},
    CommandRow{C::Cut, Need::AnyEditor, Forward(C::EditorCut)},
    CommandRow{C::Paste, Need::AnyEditor, Forward(C::EditorPaste)},
    CommandRow{C::Select, Need::AnyEditor, Forward(C::EditorSelect)},
    CommandRow{C::FindReplace, Need::AnyEditor, Forward(C::EditorFind)},
    // Window menu.
    CommandRow{C::PhoneBookWindow1, Need::PhoneBookEditor, WindowNumber(Kind::PhoneBook, 0)},
    CommandRow{C::PhoneBookWindow2, Need::PhoneBookEditor, WindowNumber(Kind::PhoneBook, 1)},
    CommandRow{C::PhoneBookWindow3, Need::PhoneBookEditor, WindowNumber(Kind::PhoneBook, 2)},
    CommandRow{C::PhoneBookNext, Need::PhoneBookEditor, To(Act::NextWindow, Kind::PhoneBook)},
    CommandRow{C::SmsWindow1, Need::SmsEditor, WindowNumber(Kind::Sms, 0)},
    CommandRow{C::SmsWindow2, Need::SmsEditor, WindowNumber(Kind::Sms, 1)},
    CommandRow{C::SmsWindow3, Need::SmsEditor, WindowNumber(Kind::Sms, 2)},
    CommandRow{C::SmsNext, Need::SmsEditor, To(Act::NextWindow, Kind::Sms)},
    CommandRow{C::CloseAll, Need::Nothing, Own(Act::CloseAll)},
    // Other and Help menus.
    CommandRow{C::Setup, Need::Nothing, Own(Act::Setup)},
    CommandRow{C::CountryCodes, Need::Nothing, Own(Act::CountryCodes)},
    CommandRow{C::TelephoneCard, Need::Nothing, Own(Act::TelephoneCard)},
    CommandRow{C::About, Need::Nothing, Own(Act::ProgramInfo)},
    CommandRow{C::Exit, Need::Nothing, Own(Act::Exit)},
    // Toolbar.
    CommandRow{C::ToolOpenFile, Need::AnyEditor,
               ByActiveKind(Act::OpenFileByKind, C::PhoneBookOpenFile, C::SmsOpenFile)},
    CommandRow{C::ToolSaveFile, Need::AnyEditor,
               ByActiveKind(Act::SendByActiveKind, C::PhoneBookSaveFile, C::SmsSaveFile)},
    CommandRow{C::ToolPrint, Need::AnyEditor, ByActiveKind(Act::SendByActiveKind, C::PrintPhoneBook, C::PrintMessages)},
    CommandRow{C::ToolEditPhoneBook, Need::PhoneBookEditor, To(Act::ShowEditor, Kind::PhoneBook)},
    CommandRow{C::ToolAnotherPhoneBook, Need::PhoneBookEditor, To(Act::NewEditor, Kind::PhoneBook)},
    CommandRow{C::ToolEditMessages, Need::SmsEditor, To(Act::ShowEditor, Kind::Sms)},
    CommandRow{C::ToolAnotherSmsWindow, Need::SmsEditor, To(Act::NewEditor, Kind::Sms)},
    CommandRow{C::ToolEnterPin, Need::Nothing, Pin(C::EnterPin)},
    CommandRow{C::ToolFindReplace, Need::AnyEditor, Forward(C::EditorFind)},
    CommandRow{C::ToolFindNext, Need::AnyEditor, Forward(C::EditorFindNext)},
    CommandRow{C::ToolInsertItem, Need::AnyEditor, Forward(C::EditorInsert)},
    CommandRow{C::ToolDeleteItem, Need::AnyEditor, Forward(C::EditorDelete)},
    CommandRow{C::ToolDeleteSelected, Need::AnyEditor, Forward(C::EditorDeleteSelected)},
    CommandRow{C::ToolInternationalize, Need::AnyEditor, Forward(C::EditorInternationalize)},
    CommandRow{C::ToolSimInformation, Need::Nothing, Own(Act::SimInformation)},
    CommandRow{C::ToolCheckAndRepair, Need::Nothing, Own(Act::CheckAndRepair)},
};

const CommandRow* RowOf(CommandId command) {
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [command](const CommandRow& row) { return row.command == command; });
    return found == kCommands.end() ? nullptr : &*found;
}

}  // namespace

CommandNeed NeedOf(CommandId command) {
    const CommandRow* row = RowOf(command);
    return row == nullptr ? Need::Nothing : row->need;
}

CommandRoute RouteOf(CommandId command) {
    const CommandRow* row = RowOf(command);
    return row == nullptr ? CommandRoute{} : row->route;
}

bool CommandRouter::Available(CommandId command) const {
    switch (NeedOf(command)) {
        case Need::Nothing:
            return true;
        case Need::PhoneBookEditor:
            return m_targets.Offers(Kind::PhoneBook);
        case Need::FixedDialingEditor:
            return m_targets.Offers(Kind::FixedDialing);
        case Need::SmsEditor:
            return m_targets.Offers(Kind::Sms);
        case Need::AnyEditor:
            return m_targets.Offers(Kind::PhoneBook) || m_targets.Offers(Kind::FixedDialing) ||
                   m_targets.Offers(Kind::Sms);
    }
    return false;
}

void CommandRouter::OnCommand(CommandId command) {
    if (!Available(command)) return;
    const CommandRoute route = RouteOf(command);
    switch (route.action) {
        case Act::CloseAll:
            m_targets.Editors().CloseAllEditors();
            break;
        case Act::Setup:
            m_targets.ShowSetup();
            break;
        case Act::CountryCodes:
            m_targets.ShowCountryCodes();
            break;
        case Act::TelephoneCard:
            m_targets.ShowTelephoneCard();
            break;
        case Act::ActivateFixedDialing:
            m_targets.ActivateFixedDialing();
            break;
        case Act::SmsParameters:
            m_targets.ShowSmsParameters();
            break;
        case Act::PinCommand:
            m_targets.RunPinCommand(route.sent);
            break;
        case Act::NetworkList:
            m_targets.ShowNetworkList(route.sent == C::ForbiddenNetworks);
            break;
        case Act::BackupCard:
            m_targets.BackupCard();
            break;
        case Act::RestoreCard:
            m_targets.RestoreFromBackup(true, false);
            break;
        case Act::OpenBackupFile:
            m_targets.RestoreFromBackup(false, true);
            break;
        case Act::SimInformation:
            m_targets.ShowSimInformation();
            break;
        case Act::CheckAndRepair:
            m_targets.CheckAndRepairCard();
            break;
        case Act::ProgramInfo:
            m_targets.ShowProgramInfo();
            break;
        case Act::Exit:
            m_targets.Exit();
            break;
        default:
            RunEditorAction(route);
            break;
    }
}

void CommandRouter::RunEditorAction(const CommandRoute& route) {
    switch (route.action) {
        case Act::Forward:
            m_targets.Editors().ForwardToActiveEditor(route.sent);
            break;
        case Act::ShowEditor:
            ShowEditor(route.kind);
            break;
        case Act::NewEditor:
            NewEditor(route.kind);
            break;
        case Act::SendToFront:
            SendToFront(route.kind, route.sent);
            break;
        case Act::SendByActiveKind:
            SendByActiveKind(route.sent, route.smsSent);
            break;
        case Act::OpenFileByKind:
            OpenFileByKind(route.sent, route.smsSent);
            break;
        case Act::ShowWindowNumber:
            ShowWindowNumber(route.kind, route.windowNumber);
            break;
        case Act::NextWindow:
            NextWindow(route.kind);
            break;
        default:
            break;  // help commands have no action
    }
}

int CommandRouter::AutoReadMode() const { return m_targets.AutoRead() ? kOpenAndRead : kOpenEmpty; }

void CommandRouter::ShowEditor(EditorKind kind) {
    EditorLists& editors = m_targets.Editors();
    if (editors.OpenCount(kind) > 0) {
        editors.ActivateEditor(kind, kActivateNext, false, kNoOpenMode);
    } else {
        editors.ActivateEditor(kind, kActivateFront, true, AutoReadMode());
    }
}

void CommandRouter::NewEditor(EditorKind kind) {
    EditorLists& editors = m_targets.Editors();
    // Only the first window of a kind reads the card.
    editors.ActivateEditor(kind, kActivateFront, true, editors.OpenCount(kind) > 0 ? kNoOpenMode : AutoReadMode());
}

void CommandRouter::SendToFront(EditorKind kind, CommandId command) {
    if (Editor* editor = m_targets.Editors().ActivateEditor(kind, kActivateFront, false, kNoOpenMode)) {
        editor->SendCommand(command);
    }
}

void CommandRouter::ShowWindowNumber(EditorKind kind, int number) {
    EditorLists& editors = m_targets.Editors();
    const int mode = editors.OpenCount(kind) > 0 ? kNoOpenMode : AutoReadMode();
    editors.ActivateEditor(kind, kActivateNumberBase + number, false, mode);
}

void CommandRouter::NextWindow(EditorKind kind) {
    EditorLists& editors = m_targets.Editors();
    if (editors.OpenCount(kind) > 0) editors.ActivateEditor(kind, kActivateNext, false, kNoOpenMode);
}

bool CommandRouter::SendByActiveKind(CommandId phoneBookCommand, CommandId smsCommand) {
    const EditorLists& editors = m_targets.Editors();
    if (editors.IsActiveFront(Kind::PhoneBook)) {
        SendToFront(Kind::PhoneBook, phoneBookCommand);
    } else if (editors.IsActiveFront(Kind::Sms)) {
        SendToFront(Kind::Sms, smsCommand);
    } else if (editors.IsActiveFront(Kind::FixedDialing)) {
        SendToFront(Kind::FixedDialing, phoneBookCommand);
    } else {
        return false;
    }
    return true;
}

void CommandRouter::OpenFileByKind(CommandId phoneBookCommand, CommandId smsCommand) {
    if (SendByActiveKind(phoneBookCommand, smsCommand)) return;
    std::vector<EditorKind> offered;
    for (const EditorKind kind : {Kind::PhoneBook, Kind::Sms}) {
        if (m_targets.Offers(kind)) offered.push_back(kind);
    }
    const std::optional<EditorKind> chosen = m_targets.ChooseFileKind(offered);
    if (!chosen) return;
    // The new window comes up empty and then opens its file; window activation may arrive late,
    // so the command goes straight to it.
    if (Editor* editor = m_targets.Editors().ActivateEditor(*chosen, kActivateFront, true, kNoOpenMode)) {
        editor->SendCommand(*chosen == Kind::Sms ? smsCommand : phoneBookCommand);
    }
}

}  // namespace quillet::app
