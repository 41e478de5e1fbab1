#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/ApplicationContext.h"
#include "app/EditorLists.h"
#include "app/ReaderFactory.h"
#include "card/ProcessPriority.h"
#include "phonebook/PhoneBookTable.h"
#include "ui/QtSettingsStore.h"
#include "ui/QtUserInterface.h"

namespace quillet::ui {

class CMainFrame;

struct StartupOptions {
    // Opens this device for the run instead of the stored one, without storing it.
    std::optional<std::string> device;
    // How long the program information shows at start-up; 0 leaves it out.
    int programInfoSeconds = 3;
};

struct RememberedFind {
    phonebook::FindOperation operation = phonebook::FindOperation::None;
    phonebook::FindRequest request;
};

// Editor windows the main window can make.
class EditorCatalog : public app::EditorFactory {
public:
    virtual bool Offers(app::EditorKind kind) const = 0;
};

// The application object: settings, reader, card session, remembered PINs and the main window,
// for the whole run. The session and then the reader go last, after the windows.
class CMainApp {
public:
    // Without a catalog the main window offers the program's own editor windows.
    explicit CMainApp(EditorCatalog* editors = nullptr);
    ~CMainApp();
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    // The start-up sequence; false when the program is to end at once.
    bool StartUp(const StartupOptions& options);

    app::AppSettings& Settings() { return m_settings; }
    QtSettingsStore& Store() { return m_store; }
    app::ApplicationContext& Context() { return *m_context; }
    QtUserInterface& Ui() { return m_ui; }
    CMainFrame* Frame() { return m_frame.get(); }
    EditorCatalog& Editors() { return *m_editors; }
    // The name length the card's records hold, shared by every phone book window.
    phonebook::NameLimit& NameLimits() { return m_nameLimit; }
    // The last find or replace of any phone book window, which "Find/Replace Next" repeats; kept
    // for the run only, with the texts as typed.
    RememberedFind& LastFind() { return m_lastFind; }

    // The PC/SC readers of the system; replaceable for tests.
    std::function<bool(std::vector<std::string>&)> listPcscReaders;
    // Runs once when the main window has painted for the first time.
    std::function<void()> onFramePainted;

private:
    void OpenStartupReader(const StartupOptions& options);

    QtSettingsStore m_store;
    app::AppSettings m_settings;
    QtUserInterface m_ui;
    app::SystemReaderFactory m_readers;
    card::PosixProcessPriority m_priority;
    phonebook::NameLimit m_nameLimit;
    RememberedFind m_lastFind;
    std::unique_ptr<EditorCatalog> m_ownEditors;
    EditorCatalog* m_editors;
    std::unique_ptr<app::ApplicationContext> m_context;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace quillet::ui
