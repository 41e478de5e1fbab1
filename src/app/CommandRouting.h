#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/CommandId.h"
#include "app/EditorLists.h"

namespace quillet::app {

// What a command needs before it can work in this version of the program.
enum class CommandNeed {
    Nothing,             // works now
    PhoneBookEditor,     // opens or drives a phone-book window
    FixedDialingEditor,  // opens the fixed-dialing-numbers window
    SmsEditor,           // opens or drives an SMS window
    AnyEditor,           // goes to whichever editor is active
};

// Where a command goes.
enum class CommandAction {
    Nothing,           // help: no action
    Forward,           // to the active editor, as `sent`
    ShowEditor,        // bring the front window of `kind`, or open one
    NewEditor,         // open another window of `kind`
    SendToFront,       // bring the front window of `kind` and give it `sent`
    SendByActiveKind,  // `sent` to an active phone-book-like window, `smsSent` to an active SMS window
    OpenFileByKind,    // as SendByActiveKind; with no active editor, ask which kind of file to open
    ShowWindowNumber,  // the window of `kind` numbered `windowNumber`
    NextWindow,        // step to the next window of `kind`
    CloseAll,
    Setup,
    CountryCodes,
    TelephoneCard,
    ActivateFixedDialing,
    SmsParameters,
    PinCommand,   // a PIN command, as `sent`
    NetworkList,  // the preferred networks, or the forbidden ones when `sent` is ForbiddenNetworks
    BackupCard,
    RestoreCard,
    OpenBackupFile,
    SimInformation,
    CheckAndRepair,
    ProgramInfo,
    Exit,
};

struct CommandRoute {
    CommandAction action = CommandAction::Nothing;
    EditorKind kind = EditorKind::PhoneBook;
    CommandId sent = CommandId::None;
    CommandId smsSent = CommandId::None;
    int windowNumber = 0;
};

CommandNeed NeedOf(CommandId command);
CommandRoute RouteOf(CommandId command);

// What the routing needs of the main window: its editor lists, the editor kinds the program
// offers, and the commands the window carries out itself.
class CommandTargets {
public:
    virtual ~CommandTargets() = default;

    virtual EditorLists& Editors() = 0;
    virtual bool Offers(EditorKind kind) const = 0;
    // The first window of a kind reads the card when this setting is on.
    virtual bool AutoRead() const = 0;
    // Asks which kind of file to open among `offered`; nothing when the user cancels.
    virtual std::optional<EditorKind> ChooseFileKind(const std::vector<EditorKind>& offered) = 0;
    virtual void ShowSetup() = 0;
    virtual void ShowCountryCodes() = 0;
    virtual void ShowTelephoneCard() = 0;
    // "Activate FDN": switches fixed dialling on the card the other way, after asking.
    virtual void ActivateFixedDialing() = 0;
    // "SMS Parameters": the default centre and validity, read from and written to the card.
    virtual void ShowSmsParameters() = 0;
    // The PIN menu's commands (Enter PIN, Change PIN, Enable/Disable PIN, their PIN2 forms, Unblock
    // Card), each a short dialogue with the card.
    virtual void RunPinCommand(CommandId command) = 0;
    // "Preferred Networks" or "Forbidden Networks": the list read from the card, edited, written back.
    virtual void ShowNetworkList(bool forbidden) = 0;
    // "Backup Card": the whole card into one file.
    virtual void BackupCard() = 0;
    // "Restore Card" (restore) and "Open Backup File" (open): a backup file onto the card or into
    // new editor windows.
    virtual void RestoreFromBackup(bool restore, bool open) = 0;
    // "Information about SIM": what the card is and holds, page by page.
    virtual void ShowSimInformation() = 0;
    // "Check and Repair SIM": a report on the card's links and records, then repairs on request.
    virtual void CheckAndRepairCard() = 0;
    virtual void ShowProgramInfo() = 0;
    virtual void Exit() = 0;
};

// Carries out menu, toolbar and key commands: passes them on to the editor windows or to the
// main window's own targets.
class CommandRouter {
public:
    explicit CommandRouter(CommandTargets& targets) : m_targets(targets) {}

    // Whether the command works in this version with the editors the program offers.
    bool Available(CommandId command) const;
    // Does nothing for a command that is not available.
    void OnCommand(CommandId command);

private:
    int AutoReadMode() const;
    void RunEditorAction(const CommandRoute& route);
    void ShowEditor(EditorKind kind);
    void NewEditor(EditorKind kind);
    void SendToFront(EditorKind kind, CommandId command);
    void ShowWindowNumber(EditorKind kind, int number);
    void NextWindow(EditorKind kind);
    // False when no editor is active.
    bool SendByActiveKind(CommandId phoneBookCommand, CommandId smsCommand);
    void OpenFileByKind(CommandId phoneBookCommand, CommandId smsCommand);

    CommandTargets& m_targets;
};

}  // namespace quillet::app
