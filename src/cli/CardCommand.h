#pragma once

#include <ostream>
#include <string>

#include "app/ApplicationContext.h"
#include "app/SettingsStore.h"
#include "card/ProcessPriority.h"
#include "cli/CliMessages.h"
#include "cli/CliOptions.h"
#include "cli/TerminalUserInterface.h"

namespace quillet::cli {

// A card command: opens the reader of the chosen device, runs the work inside a card session and
// turns the outcome into the exit code, each failure said once on the error stream.
class CardCommand {
public:
    CardCommand(const Options& options, std::ostream& err);

    // Opens the reader only, for the workers that talk to it themselves; false with the reason shown.
    bool OpenReader();
    // Opens the reader and begins a session that verifies the codes asked for; false with the reason shown.
    bool Start(bool askChv1, bool askChv2);
    // Ends the session. On failure the session's error is shown. Returns the exit code.
    int Finish(bool succeeded);
    // Ends the session, for a command the program itself refuses halfway too. False, with the
    // reason shown, when the card was not released properly (a virtual card's file not saved).
    bool End();
    // For the commands whose workers release the card themselves: true, with the reason shown, when a
    // virtual card's changes could not be saved to its file.
    bool ReportUnsavedCard();
    // The exit code of a failure already shown: 2 when the card wanted a code nobody could give,
    // else that of the failure (1 for the card, 2 or 3 for a device refused before opening).
    int FailureExit() const;

    card::CardSession& Session() { return m_context.Session(); }
    card::SessionHost& Host() { return m_context; }
    TerminalUserInterface& Ui() { return m_ui; }
    std::ostream& Err() { return m_err; }

private:
    void InstallTrace();

    std::ostream& m_err;
    TerminalUserInterface m_ui;
    app::MemorySettingsStore m_settings;
    app::SystemReaderFactory m_readers;
    card::PosixProcessPriority m_priority;
    app::ApplicationContext m_context;
    std::string m_device;
    bool m_trace;
    int m_failureExit = kExitCardFailure;
};

}  // namespace quillet::cli
