#include "ui/CMainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QInputDialog>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <cstring>

#include "app/AppSettings.h"
#include "card/DialNumbers.h"
#include "card/PinCommands.h"
#include "phonebook/FixedDialingSwitch.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/AppIcon.h"
#include "ui/BackupWindows.h"
#include "ui/CMainApp.h"
#include "ui/CMainToolBar.h"
#include "ui/CNetworkListDlg.h"
#include "ui/CProgramInfoDlg.h"
#include "ui/CSetupDlg.h"
#include "ui/CSezEdDlg.h"
#include "ui/CSimInfoDlg.h"
#include "ui/CSmsParamDlg.h"
#include "ui/CheckRepairWindow.h"
#include "ui/CommandTable.h"
#include "ui/CountryListDialog.h"
#include "ui/EntryTransfer.h"
#include "ui/GreyClientArea.h"
#include "ui/MessageBoxes.h"
#include "ui/TelephoneCardDialog.h"

namespace quillet::ui {

namespace {

using app::CommandId;
using app::EditorKind;

constexpr int kWindowMenuPosition = 5;

QString FileKindName(EditorKind kind) {
    return kind == EditorKind::Sms ? QStringLiteral("SMS Messages") : QStringLiteral("Phone Book");
}

}  // namespace

CMainFrame::CMainFrame(CMainApp& app) : m_app(app), m_editors(NewEditorLists()), m_router(*this) {
    setWindowTitle(QStringLiteral("Quillet!"));
    setWindowIcon(ApplicationIcon());
    m_clientArea = new GreyClientArea(this);
    setCentralWidget(m_clientArea);
    connect(m_clientArea, &GreyClientArea::Painted, this, [this] {
        if (m_painted) return;
        m_painted = true;
        emit FirstPainted();
    });
    BuildMenus();
    BuildToolBar();
    BuildAccelerators();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateMenus);
    resize(640, 360);
}

std::unique_ptr<app::EditorLists> CMainFrame::NewEditorLists() {
    return std::make_unique<app::EditorLists>(m_app.Editors(), [this] { UpdateMenus(); });
}

// The editor objects go while an empty list stands in for theirs, so a window that still reports
// to this one while it is destroyed finds nothing to change.
void CMainFrame::DropEditors() { m_editors = NewEditorLists(); }

CMainFrame::~CMainFrame() {
    DropEditors();
    m_editors.reset();
}

QMenu* CMainFrame::AddMenu(QWidget* parent, const MenuEntry& entry) {
    auto* menu = new QMenu(QString::fromLatin1(entry.label), parent);
    menu->setToolTipsVisible(true);
    for (const MenuEntry& child : entry.children) {
        if (child.IsSeparator()) {
            menu->addSeparator();
        } else if (child.IsSubmenu()) {
            menu->addMenu(AddMenu(menu, child));
        } else {
            QAction* action = menu->addAction(QString::fromLatin1(child.label));
            const CommandId command = child.id;
            action->setObjectName(QStringLiteral("command%1").arg(static_cast<int>(command)));
            connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
            m_menuActions[command] = action;
        }
    }
    return menu;
}

void CMainFrame::BuildMenus() {
    for (const MenuEntry& top : MainMenu()) {
        QMenu* menu = AddMenu(menuBar(), top);
        menuBar()->addMenu(menu);
        m_topMenus.push_back(menu);
    }
}

void CMainFrame::BuildToolBar() {
    m_toolBar = new CMainToolBar(this);
    addToolBar(m_toolBar);
    connect(m_toolBar, &CMainToolBar::CommandChosen, this, &CMainFrame::OnCommand);
}

void CMainFrame::BuildAccelerators() {
    for (const Accelerator& accelerator : Accelerators()) {
        auto* shortcut = new QShortcut(accelerator.keys, this);
        // A key held down acts once, as in the editors' lists.
        shortcut->setAutoRepeat(false);
        const CommandId command = accelerator.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
    }
}

QAction* CMainFrame::MenuAction(CommandId command) const {
    const auto found = m_menuActions.find(command);
    return found == m_menuActions.end() ? nullptr : found->second;
}

QAction* CMainFrame::ToolbarAction(CommandId command) const { return m_toolBar->Button(command); }

QMenu* CMainFrame::TopMenu(int position) const {
    return position >= 0 && position < static_cast<int>(m_topMenus.size()) ? m_topMenus[position] : nullptr;
}

app::ActiveEditor CMainFrame::ActiveKind() const {
    if (m_editors->IsActiveFront(EditorKind::PhoneBook)) return app::ActiveEditor::PhoneBook;
    if (m_editors->IsActiveFront(EditorKind::FixedDialing)) return app::ActiveEditor::FixedDialing;
    if (m_editors->IsActiveFront(EditorKind::Sms)) return app::ActiveEditor::Sms;
    return app::ActiveEditor::None;
}

void CMainFrame::ApplyState(QAction* action, CommandId command, const app::MenuStates& states) const {
    if (action) action->setEnabled(m_router.Available(command) && states.IsEnabled(command));
}

void CMainFrame::UpdateMenus() {
    app::MenuContext context;
    context.active = ActiveKind();
    context.phoneBookWindows = static_cast<int>(m_editors->OpenCount(EditorKind::PhoneBook));
    context.smsWindows = static_cast<int>(m_editors->OpenCount(EditorKind::Sms));
    context.anyEditorOpen = m_editors->AnyOpen();
    if (const QMimeData* clipboard = QApplication::clipboard()->mimeData();
        clipboard && context.active != app::ActiveEditor::None) {
        context.clipboardHasEditorFormat =
            clipboard->hasFormat(context.active == app::ActiveEditor::Sms ? kSmsClipboardFormat : kDialClipboardFormat);
    }
    const app::MenuStates states = app::ComputeMenuStates(context);
    for (const auto& [id, action] : m_menuActions) ApplyState(action, id, states);
    for (const auto& [id, action] : m_toolBar->Buttons()) ApplyState(action, id, states);
    m_topMenus[kWindowMenuPosition]->menuAction()->setEnabled(states.windowMenuEnabled);
}

std::optional<phonebook::PhoneBookEntry> CMainFrame::FrontPhoneBookEntry() const {
    const auto* window = dynamic_cast<const CSezEdDlg*>(m_editors->Front(EditorKind::PhoneBook));
    if (window == nullptr) return std::nullopt;
    std::optional<phonebook::PhoneBookEntry> entry = window->SelectedEntry();
    if (entry && entry->used == 0) return std::nullopt;
    return entry;
}

std::optional<std::string> CMainFrame::FrontPhoneBookNumber() const {
    const std::optional<phonebook::PhoneBookEntry> entry = FrontPhoneBookEntry();
    if (!entry) return std::nullopt;
    const std::string_view number(entry->number, ::strnlen(entry->number, sizeof entry->number));
    return card::JoinInternational(number, entry->ton);
}

void CMainFrame::OnEditorActivated(app::Editor* editor) { m_editors->OnEditorActivated(editor); }

void CMainFrame::OnEditorClosed(app::EditorKind kind, app::Editor* editor) { m_editors->OnEditorClosed(kind, editor); }

void CMainFrame::CloseAllEditors() { m_editors->CloseAllEditors(); }

void CMainFrame::ShrinkToToolbar() {
    // The client area keeps only the toolbar: caption and menu stay, the grey area goes.
    const int height = menuBar()->sizeHint().height() + m_toolBar->sizeHint().height();
    m_clientArea->setMinimumHeight(0);
    resize(width(), height);
}

void CMainFrame::OnCommand(CommandId command) { m_router.OnCommand(command); }

bool CMainFrame::Offers(EditorKind kind) const { return m_app.Editors().Offers(kind); }

bool CMainFrame::AutoRead() const { return m_app.Settings().autoRead != 0; }

std::optional<EditorKind> CMainFrame::ChooseFileKind(const std::vector<EditorKind>& offered) {
    QStringList kinds;
    for (const EditorKind kind : offered) kinds << FileKindName(kind);
    bool chosen = false;
    const QString name = QInputDialog::getItem(this, QStringLiteral("Open File"), QStringLiteral("&File of type: "),
                                               kinds, 0, false, &chosen);
    for (const EditorKind kind : offered) {
        if (chosen && name == FileKindName(kind)) return kind;
    }
    return std::nullopt;
}

void CMainFrame::ShowSetup() {
    CSetupDlg dialog(SetupTargets{m_app.Settings(), m_app.Store(), m_app.Context(), m_app.listPcscReaders}, this);
    dialog.exec();
}

void CMainFrame::ShowCountryCodes() {
    CountryListDialog dialog(this);
    dialog.exec();
}

void CMainFrame::ShowTelephoneCard() {
    if (m_app.Context().Reader() == nullptr) {
        ShowMessageBox(this, resources::LoadString(resources::string_id::kNoReaderForTelephoneCard),
                       card::MessageIcon::Error);
        return;
    }
    TelephoneCardDialog dialog(m_app.Context(), this);
    dialog.Run();
}

void CMainFrame::ActivateFixedDialing() { phonebook::ToggleFixedDialing(m_app.Context().Session(), m_app.Ui(), this); }

void CMainFrame::ShowSmsParameters() {
    CSmsParamDlg dialog(m_app, this);
    dialog.exec();
}

void CMainFrame::RunPinCommand(CommandId command) {
    card::CardSession& session = m_app.Context().Session();
    switch (command) {
        case CommandId::EnterPin:
            card::EnterPin(session, this, 1);
            break;
        case CommandId::EnterPin2:
            card::EnterPin(session, this, 2);
            break;
        case CommandId::ChangePin:
            card::ChangePin(session, this, 1);
            break;
        case CommandId::ChangePin2:
            card::ChangePin(session, this, 2);
            break;
        case CommandId::EnableDisablePin:
            card::EnableDisablePin(session, this);
            break;
        case CommandId::UnblockCard:
            card::UnblockCard(session, this);
            break;
        default:
            break;
    }
}

void CMainFrame::ShowNetworkList(bool forbidden) {
    CNetworkListDlg dialog(m_app, forbidden, this);
    dialog.exec();
}

void CMainFrame::BackupCard() { RunBackupCard(m_app, this); }

void CMainFrame::RestoreFromBackup(bool restore, bool open) { RunRestoreFromBackup(m_app, *this, restore, open); }

void CMainFrame::ShowSimInformation() {
    CSimInfoDlg dialog(m_app, this);
    dialog.exec();
}

void CMainFrame::CheckAndRepairCard() { RunCheckAndRepair(m_app, this); }

void CMainFrame::ShowProgramInfo() {
    CProgramInfoDlg dialog(this);
    dialog.DoModalTimed(-1);
}

// Exit leaves at once: the editors go without asking about their changes, before the application's
// own closing of its windows could reach them.
void CMainFrame::Exit() {
    m_exiting = true;
    DropEditors();
    close();
    QCoreApplication::exit(0);
}

// Closing the window closes the editors first; one the user keeps open keeps the program running.
void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_exiting) {
        CloseAllEditors();
        if (m_editors->AnyOpen()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace quillet::ui
