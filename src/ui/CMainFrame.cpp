#include "ui/CMainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QInputDialog>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>

#include "app/AppSettings.h"
#include "resources/StringTable.h"
#include "ui/AppIcon.h"
#include "ui/CMainApp.h"
#include "ui/CMainToolBar.h"
#include "ui/CProgramInfoDlg.h"
#include "ui/CSetupDlg.h"
#include "ui/CommandTable.h"
#include "ui/CountryListDialog.h"
#include "ui/Cp1250.h"
#include "ui/GreyClientArea.h"
#include "ui/MessageBoxes.h"
#include "ui/TelephoneCardDialog.h"

namespace quillet::ui {

namespace {

using app::EditorKind;

constexpr int kWindowMenuPosition = 5;

// The editors' private clipboard formats, named so a Windows build shares them.
const QString kPhoneBookFormat = QStringLiteral("application/x-qt-windows-mime;value=\"Quillet_Dial\"");
const QString kSmsFormat = QStringLiteral("application/x-qt-windows-mime;value=\"Quillet_SMS\"");

// Commands the Edit menu and the toolbar pass on to the active editor, by the id the editor knows.
const std::map<int, int> kForwarded = {
    {40060, 2053}, {40061, 2054}, {40062, 2055}, {40063, 2056}, {40066, 2058}, {40067, 2057},
    {40068, 2059}, {40069, 2062}, {40079, 2063}, {40082, 1005}, {2011, 1005},  {2012, 2100},
    {2014, 2053},  {2015, 2054},  {2016, 2055},  {2017, 2063},
};

}  // namespace

CMainFrame::CMainFrame(CMainApp& app) : m_app(app), m_editors(NewEditorLists()) {
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
            action->setObjectName(QStringLiteral("command%1").arg(child.id));
            const int id = child.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            if (!Available(id)) action->setToolTip(UnavailableReason(id));
            m_menuActions[id] = action;
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
    m_toolBar = new CMainToolBar(this, [this](int id) { return Available(id); });
    addToolBar(m_toolBar);
    connect(m_toolBar, &CMainToolBar::CommandChosen, this, &CMainFrame::OnCommand);
}

void CMainFrame::BuildAccelerators() {
    for (const Accelerator& accelerator : Accelerators()) {
        auto* shortcut = new QShortcut(accelerator.keys, this);
        const int id = accelerator.commandId;
        connect(shortcut, &QShortcut::activated, this, [this, id] { OnCommand(id); });
    }
}

QAction* CMainFrame::MenuAction(int commandId) const {
    const auto found = m_menuActions.find(commandId);
    return found == m_menuActions.end() ? nullptr : found->second;
}

QAction* CMainFrame::ToolbarAction(int commandId) const { return m_toolBar->Button(commandId); }

QMenu* CMainFrame::TopMenu(int position) const {
    return position >= 0 && position < static_cast<int>(m_topMenus.size()) ? m_topMenus[position] : nullptr;
}

bool CMainFrame::Available(int commandId) const {
    const EditorCatalog& editors = m_app.Editors();
    switch (NeedOf(commandId)) {
        case CommandNeed::Nothing:
            return true;
        case CommandNeed::PhoneBookEditor:
            return editors.Offers(EditorKind::PhoneBook);
        case CommandNeed::FixedDialingEditor:
            return editors.Offers(EditorKind::FixedDialing);
        case CommandNeed::SmsEditor:
            return editors.Offers(EditorKind::Sms);
        case CommandNeed::AnyEditor:
            return editors.Offers(EditorKind::PhoneBook) || editors.Offers(EditorKind::FixedDialing) ||
                   editors.Offers(EditorKind::Sms);
        case CommandNeed::LaterVersion:
            return false;
    }
    return false;
}

int CMainFrame::AutoReadMode() const { return m_app.Settings().autoRead != 0 ? app::kOpenAndRead : app::kOpenEmpty; }

app::ActiveEditor CMainFrame::ActiveKind() const {
    if (m_editors->IsActiveFront(EditorKind::PhoneBook)) return app::ActiveEditor::PhoneBook;
    if (m_editors->IsActiveFront(EditorKind::FixedDialing)) return app::ActiveEditor::FixedDialing;
    if (m_editors->IsActiveFront(EditorKind::Sms)) return app::ActiveEditor::Sms;
    return app::ActiveEditor::None;
}

void CMainFrame::ApplyState(QAction* action, int commandId, const app::MenuStates& states) const {
    if (action) action->setEnabled(Available(commandId) && states.IsEnabled(commandId));
}

void CMainFrame::UpdateMenus() {
    app::MenuContext context;
    context.active = ActiveKind();
    context.phoneBookWindows = static_cast<int>(m_editors->OpenCount(EditorKind::PhoneBook));
    context.smsWindows = static_cast<int>(m_editors->OpenCount(EditorKind::Sms));
    context.anyEditorOpen = m_editors->AnyOpen();
    if (const QMimeData* data = QApplication::clipboard()->mimeData();
        data && context.active != app::ActiveEditor::None) {
        context.clipboardHasEditorFormat =
            data->hasFormat(context.active == app::ActiveEditor::Sms ? kSmsFormat : kPhoneBookFormat);
    }
    const app::MenuStates states = app::ComputeMenuStates(context);
    for (const auto& [id, action] : m_menuActions) ApplyState(action, id, states);
    for (const auto& [id, action] : m_toolBar->Buttons()) ApplyState(action, id, states);
    m_topMenus[kWindowMenuPosition]->menuAction()->setEnabled(states.windowMenuEnabled);
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

void CMainFrame::ShowEditor(EditorKind kind) {
    if (m_editors->OpenCount(kind) > 0) {
        m_editors->ActivateEditor(kind, 1, false, -1);
    } else {
        m_editors->ActivateEditor(kind, 0, true, AutoReadMode());
    }
}

void CMainFrame::NewEditor(EditorKind kind) {
    m_editors->ActivateEditor(kind, 0, true, m_editors->OpenCount(kind) > 0 ? -1 : AutoReadMode());
}

void CMainFrame::SendToFront(EditorKind kind, int commandId) {
    if (app::Editor* editor = m_editors->ActivateEditor(kind, 0, false, -1)) editor->SendCommand(commandId);
}

void CMainFrame::ShowWindowNumber(EditorKind kind, int number) {
    const int mode = m_editors->OpenCount(kind) > 0 ? -1 : AutoReadMode();
    m_editors->ActivateEditor(kind, 100 + number, false, mode);
}

void CMainFrame::NextWindow(EditorKind kind) {
    if (m_editors->OpenCount(kind) > 0) m_editors->ActivateEditor(kind, 1, false, -1);
}

bool CMainFrame::SendByActiveKind(int phoneBookCommand, int smsCommand) {
    if (m_editors->IsActiveFront(EditorKind::PhoneBook)) {
        SendToFront(EditorKind::PhoneBook, phoneBookCommand);
    } else if (m_editors->IsActiveFront(EditorKind::Sms)) {
        SendToFront(EditorKind::Sms, smsCommand);
    } else if (m_editors->IsActiveFront(EditorKind::FixedDialing)) {
        SendToFront(EditorKind::FixedDialing, phoneBookCommand);
    } else {
        return false;
    }
    return true;
}

void CMainFrame::OpenFileFromToolBar() {
    if (SendByActiveKind(40002, 40008)) return;

    QStringList kinds;
    if (m_app.Editors().Offers(EditorKind::PhoneBook)) kinds << QStringLiteral("Phone Book");
    if (m_app.Editors().Offers(EditorKind::Sms)) kinds << QStringLiteral("SMS Messages");
    bool chosen = false;
    const QString kind = QInputDialog::getItem(this, QStringLiteral("Open File"), QStringLiteral("&File of type: "),
                                               kinds, 0, false, &chosen);
    if (!chosen || kind.isEmpty()) return;
    const EditorKind editorKind = kind == QStringLiteral("Phone Book") ? EditorKind::PhoneBook : EditorKind::Sms;
    // The new window comes up empty and then opens its file; window activation may arrive late,
    // so the command goes straight to it.
    if (app::Editor* editor = m_editors->ActivateEditor(editorKind, 0, true, -1)) {
        editor->SendCommand(editorKind == EditorKind::PhoneBook ? 40002 : 40008);
    }
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
        ShowMessageBox(this, resources::LoadString(59020), card::MessageIcon::Error);
        return;
    }
    TelephoneCardDialog dialog(m_app.Context(), this);
    dialog.Run();
}

void CMainFrame::ShowProgramInfo() {
    CProgramInfoDlg dialog(this);
    dialog.DoModalTimed(-1);
}

void CMainFrame::OnCommand(int commandId) {
    if (!Available(commandId)) return;
    if (const auto forward = kForwarded.find(commandId); forward != kForwarded.end()) {
        m_editors->ForwardToActiveEditor(forward->second);
        return;
    }
    switch (commandId) {
        case 40001:
        case 2005:
            ShowEditor(EditorKind::PhoneBook);
            break;
        case 40089:
            ShowEditor(EditorKind::FixedDialing);
            break;
        case 40004:
        case 2007:
            ShowEditor(EditorKind::Sms);
            break;
        case 40002:
        case 40006:
            SendToFront(EditorKind::PhoneBook, commandId);
            break;
        case 40008:
        case 40009:
        case 40010:
            SendToFront(EditorKind::Sms, commandId);
            break;
        case 40005:
        case 2002:
            SendByActiveKind(40005, 40009);
            break;
        case 40007:
        case 2006:
            NewEditor(EditorKind::PhoneBook);
            break;
        case 2008:
            NewEditor(EditorKind::Sms);
            break;
        case 40201:
        case 40202:
        case 40203:
            ShowWindowNumber(EditorKind::PhoneBook, commandId - 40201);
            break;
        case 40301:
        case 40302:
        case 40303:
            ShowWindowNumber(EditorKind::Sms, commandId - 40301);
            break;
        case 40074:
            NextWindow(EditorKind::PhoneBook);
            break;
        case 40076:
            NextWindow(EditorKind::Sms);
            break;
        case 40071:
            CloseAllEditors();
            break;
        case 2001:
            OpenFileFromToolBar();
            break;
        case 40021:
            ShowSetup();
            break;
        case 40027:
            ShowCountryCodes();
            break;
        case 40086:
            ShowTelephoneCard();
            break;
        case 40081:
            ShowProgramInfo();
            break;
        case 40023:
            // Exit leaves at once: the editors go without asking about their changes, before the
            // application's own closing of its windows could reach them.
            m_exiting = true;
            DropEditors();
            close();
            QCoreApplication::exit(0);
            break;
        default:
            break;  // help commands have no action
    }
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
