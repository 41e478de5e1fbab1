#include "ui/CSezEdDlg.h"

#include <QContextMenuEvent>
#include <QHeaderView>

#include "phonebook/PhoneBookTransfer.h"
#include "resources/StringTable.h"
#include "ui/CAddCodeDlg.h"
#include "ui/CEntryEditDlg.h"
#include "ui/CFindDlg.h"
#include "ui/CItemRangeDlg.h"
#include "ui/CMainApp.h"
#include "ui/CReplaceAskDlg.h"
#include "ui/Cp1250.h"
#include "ui/EntryListModel.h"
#include "ui/EntryListView.h"
#include "ui/EntryTransfer.h"
#include "ui/FileDialogs.h"
#include "ui/ReportPrinter.h"
#include "ui_CSezEdDlg.h"

namespace quillet::ui {

namespace {

using app::CommandId;

// "Closing window will lose changes.\nClose window?"
constexpr int kCloseWindowQuestion = 57585;

// Column titles "Item nr", "Name", "Tel. number" and the first two columns' widths.
constexpr std::uint32_t kItemColumnId = 57920;
constexpr std::uint32_t kNameColumnId = 57921;
constexpr std::uint32_t kNumberColumnId = 57922;
constexpr int kItemColumnWidth = 75;
constexpr int kNameColumnWidth = 150;

// File dialog titles and the phone book file type.
constexpr std::uint32_t kReadFileTitleId = 57904;
constexpr std::uint32_t kWriteFileTitleId = 57926;
constexpr FileType kDiaFileType{57902, "*.DIA"};

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

phonebook::SortColumn ColumnOf(int section) {
    switch (section) {
        case 1:
            return phonebook::SortColumn::Name;
        case 2:
            return phonebook::SortColumn::Number;
        default:
            return phonebook::SortColumn::ItemNumber;
    }
}

}  // namespace

CSezEdDlg::CSezEdDlg(CMainApp& app) : CSezEdDlg(app, app::EditorKind::PhoneBook, phonebook::kPhoneBookBook) {}

CSezEdDlg::CSezEdDlg(CMainApp& app, app::EditorKind kind, const phonebook::BookFile& book)
    : CDialogEx(app, kind, kCloseWindowQuestion),
      m_ui(std::make_unique<Ui::CSezEdDlg>()),
      m_table(book, app.Ui(), app.NameLimits()) {
    m_ui->setupUi(this);
    // Only the fixed dialling numbers window shows the card's fixed dialling state.
    m_ui->fdnActiveBox->hide();
    const QStringList titles{FromCp1250(resources::LoadString(kItemColumnId)),
                             FromCp1250(resources::LoadString(kNameColumnId)),
                             FromCp1250(resources::LoadString(kNumberColumnId))};
    m_model = new EntryListModel(
        titles, [this] { return static_cast<int>(m_table.PositionCount()); },
        [this](int row, int column) {
            const phonebook::RowText text = m_table.RowTextOf(static_cast<std::size_t>(row));
            return Utf8(column == 0 ? text.item : column == 1 ? text.name : text.number);
        },
        this);
    List()->SetEntryModel(m_model);
    List()->SetColumnWidths({kItemColumnWidth, kNameColumnWidth});
    m_transfer = new EntryTransfer(
        List(), kDialClipboardFormat, PhoneBookDocument([this]() -> phonebook::PhoneBookTable& { return Ready(); }),
        [this] { Refresh(); }, this);
    ConnectControls();
}

CSezEdDlg::~CSezEdDlg() = default;

EntryListView* CSezEdDlg::List() const { return m_ui->list; }

void CSezEdDlg::ConnectControls() {
    const std::pair<QPushButton*, CommandId> buttons[] = {
        {m_ui->readButton, CommandId::EditorReadFromSim},  {m_ui->writeButton, CommandId::EditorWriteToSim},
        {m_ui->editButton, CommandId::EditorEdit},         {m_ui->findButton, CommandId::EditorFind},
        {m_ui->sortButton, CommandId::EditorSort},         {m_ui->addCodeButton, CommandId::EditorAddCode},
        {m_ui->clearAllButton, CommandId::EditorClearAll}, {m_ui->closeButton, CommandId::EditorClose}};
    for (const auto& [button, command] : buttons) {
        connect(button, &QPushButton::clicked, this, [this, command = command] { SendCommand(command); });
    }
    EntryListView* list = List();
    connect(list, &EntryListView::CommandKey, this, &CSezEdDlg::SendCommand);
    connect(list, &EntryListView::CopyKey, this, &CSezEdDlg::CopyEntries);
    connect(list, &EntryListView::PasteKey, this, &CSezEdDlg::PasteEntries);
    connect(list, &EntryListView::HeaderClicked, this, [this](int section) {
        m_table.SortView(ColumnOf(section));
        Refresh();
    });
    connect(list, &QAbstractItemView::doubleClicked, this, [this] { SendCommand(CommandId::EditorEdit); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &CSezEdDlg::ShowContextMenu);

    const std::pair<const char*, CommandId> menu[] = {{"&Edit", CommandId::EditorMenuEdit},
                                                      {"Clea&r", CommandId::EditorMenuClear},
                                                      {"&Copy", CommandId::EditorCopy},
                                                      {"Cu&t", CommandId::EditorCut},
                                                      {"&Paste", CommandId::EditorPaste}};
    for (const auto& [label, command] : menu) {
        QAction* action = m_contextMenu.addAction(QString::fromLatin1(label));
        connect(action, &QAction::triggered, this, [this, command = command] { SendCommand(command); });
    }
}

void CSezEdDlg::ShowContextMenu(const QPoint& position) {
    if (!List()->indexAt(position).isValid()) return;
    m_contextMenu.popup(List()->viewport()->mapToGlobal(position));
}

void CSezEdDlg::OpenWindow(int number, int openMode) {
    m_number = number;
    setWindowTitle(TitleOf(number));
    PlaceWindow(OffsetOf(number));
    Refresh();
    show();
    MakeActive();
    if (openMode == app::kOpenAndRead) SendCommand(CommandId::EditorReadFromSim);
    if (openMode == app::kOpenAndOpenFile) SendCommand(CommandId::PhoneBookOpenFile);
}

QString CSezEdDlg::TitleOf(int number) const { return QStringLiteral("Quillet! - Phone Book - [%1]").arg(number + 1); }

QPoint CSezEdDlg::OffsetOf(int number) const { return {30 + 20 * number, 50 + 20 * number}; }

phonebook::RowSelection CSezEdDlg::Selection() const {
    phonebook::RowSelection selection;
    selection.selected = List()->SelectedRows();
    selection.focused = List()->FocusedRow();
    return selection;
}

phonebook::PhoneBookTable& CSezEdDlg::Ready() {
    const app::AppSettings& settings = m_app.Settings();
    m_table.SetSettings({settings.confirm != 0, settings.myCountryCode, settings.internationalPrefix});
    return m_table;
}

void CSezEdDlg::Refresh(std::optional<std::size_t> selectRow) {
    m_model->SetSortMark(static_cast<int>(m_table.ViewSortColumn()));
    m_model->Refresh();
    List()->SyncColumns();
    if (selectRow) List()->SelectOnly(static_cast<int>(*selectRow));
}

std::optional<phonebook::PhoneBookEntry> CSezEdDlg::SelectedEntry() const { return m_table.SelectedEntry(Selection()); }

void CSezEdDlg::SendCommand(CommandId command) {
    phonebook::PhoneBookTable& table = Ready();
    switch (command) {
        case CommandId::EditorReadFromSim:
            ReadFromSim();
            break;
        case CommandId::EditorWriteToSim:
            WriteToSim();
            break;
        case CommandId::EditorEdit:
        case CommandId::EditorMenuEdit:
            Edit();
            break;
        case CommandId::EditorFind:
            FindReplace(true);
            break;
        case CommandId::EditorFindNext:
            FindReplace(false);
            break;
        case CommandId::EditorSort:
            Sort();
            break;
        case CommandId::EditorAddCode:
            AddCode();
            break;
        case CommandId::EditorInternationalize:
            Internationalize();
            break;
        case CommandId::EditorClearAll:
            table.ClearAll();
            Refresh();
            break;
        case CommandId::EditorDeleteSelected:
        case CommandId::EditorMenuClear:
            table.ClearSelected(Selection());
            Refresh();
            break;
        case CommandId::EditorInsert:
            if (const std::optional<std::size_t> row = table.Insert(Selection())) {
                Refresh(*row);
                Edit();
            }
            break;
        case CommandId::EditorDelete:
            table.Delete(Selection());
            Refresh();
            break;
        case CommandId::EditorSelectAll:
            List()->SelectRows(table.SelectAll());
            break;
        case CommandId::EditorSelect:
            Select();
            break;
        case CommandId::EditorCopy:
            CopyEntries(false);
            break;
        case CommandId::EditorCut:
            CopyEntries(true);
            break;
        case CommandId::EditorPaste:
            PasteEntries();
            break;
        case CommandId::PhoneBookOpenFile:
            OpenFile();
            break;
        case CommandId::PhoneBookSaveFile:
            SaveFile();
            break;
        case CommandId::PhoneBookAddFromFile:
            AddFromFile();
            break;
        case CommandId::EditorClose:
            CloseWindow();
            break;
        case CommandId::PrintPhoneBook:
            // A window that holds no positions has nothing to print; empty positions print the frame.
            if (table.PositionCount() > 0) {
                PrintWithDialog(this,
                                {report::ReportKind::PhoneBook, table.Positions().first(table.PositionCount()), {}});
            }
            break;
        default:
            break;
    }
}

void CSezEdDlg::CopyEntries(bool cut) { m_transfer->Copy(cut); }

void CSezEdDlg::PasteEntries() { m_transfer->Paste(); }

void CSezEdDlg::ReadFromSim() {
    card::CardSession& session = m_app.Context().Session();
    m_table.ReadFromCard(session, this);
    ShowViewNote(m_table.Ef() == phonebook::kAdnFile ? card::GsmViewNote(session.Platform()) : std::string());
    AfterRead();
    Refresh();
}

// On a UICC the window shows the GSM view of a phone book that holds more; it says what it leaves out.
void CSezEdDlg::ShowViewNote(const std::string& note) {
    m_ui->viewNote->setText(QString::fromStdString(note));
    m_ui->viewNote->setVisible(!note.empty());
}

void CSezEdDlg::WriteToSim() {
    m_table.WriteToCard(m_app.Context().Session(), this);
    Refresh();
}

void CSezEdDlg::Edit() {
    const phonebook::RowSelection selection = Selection();
    const std::optional<phonebook::EntryForm> start = m_table.BeginEdit(selection);
    if (!start) return;
    const std::size_t row = selection.selected.front();
    CEntryEditDlg dialog(this, *start, m_app.NameLimits().maxNameLength,
                         [this, row](const phonebook::EntryForm& form) { return m_table.ApplyEdit(row, form); });
    if (dialog.exec() == QDialog::Accepted) Refresh();
}

void CSezEdDlg::Sort() {
    CItemRangeDlg dialog(this, RangeDialogKind::Sort, m_table.DefaultRange(Selection()), false,
                         [this](phonebook::ItemRange range, bool) { return m_table.SortRange(range); });
    if (dialog.exec() == QDialog::Accepted) Refresh();
}

void CSezEdDlg::AddCode() {
    CAddCodeDlg dialog(this, m_table.DefaultRange(Selection()),
                       [this](const phonebook::AddCodeRequest& request) { return m_table.AddCode(request); });
    if (dialog.exec() == QDialog::Accepted) Refresh();
}

void CSezEdDlg::Internationalize() {
    std::optional<phonebook::ItemRange> chosen;
    CItemRangeDlg dialog(this, RangeDialogKind::Internationalize, m_table.DefaultRange(Selection()), false,
                         [&chosen](phonebook::ItemRange range, bool) {
                             chosen = range;
                             return true;
                         });
    if (dialog.exec() != QDialog::Accepted || !chosen) return;
    m_table.Internationalize(*chosen);
    Refresh();
}

void CSezEdDlg::Select() {
    std::optional<std::vector<std::size_t>> rows;
    CItemRangeDlg dialog(this, RangeDialogKind::SelectItems, m_table.DefaultRange(Selection()), false,
                         [this, &rows](phonebook::ItemRange range, bool includeEmpty) {
                             rows = m_table.SelectRange({range, includeEmpty});
                             return rows.has_value();
                         });
    if (dialog.exec() == QDialog::Accepted && rows) List()->SelectRows(*rows);
}

void CSezEdDlg::SaveFile() {
    std::optional<phonebook::ItemRange> chosen;
    CItemRangeDlg dialog(this, RangeDialogKind::WriteToFile, m_table.DefaultRange(Selection()), false,
                         [this, &chosen](phonebook::ItemRange range, bool) {
                             if (!m_table.CheckSaveRange(range)) return false;
                             chosen = range;
                             return true;
                         });
    if (dialog.exec() != QDialog::Accepted || !chosen) return;
    const std::optional<std::string> path = AskSavePath(this, kWriteFileTitleId, kDiaFileType);
    if (!path) return;
    m_table.SaveFile(*path, *chosen);
    Refresh();
}

void CSezEdDlg::OpenFile() {
    if (!m_table.ConfirmOpenFile()) return;
    const std::optional<std::string> path = AskOpenPath(this, kReadFileTitleId, kDiaFileType);
    if (!path) return;
    m_table.OpenFile(*path);
    Refresh();
}

void CSezEdDlg::AddFromFile() {
    const phonebook::AddFromFileRequest start = m_table.DefaultAddFromFile(Selection());
    std::optional<phonebook::AddFromFileRequest> chosen;
    CItemRangeDlg dialog(this, RangeDialogKind::AddFromFile, {start.from, 0}, start.includeEmpty,
                         [this, &chosen](phonebook::ItemRange range, bool includeEmpty) {
                             const phonebook::AddFromFileRequest request{range.from, includeEmpty};
                             if (!m_table.CheckAddFromFile(request)) return false;
                             chosen = request;
                             return true;
                         });
    if (dialog.exec() != QDialog::Accepted || !chosen) return;
    const std::optional<std::string> path = AskOpenPath(this, kReadFileTitleId, kDiaFileType);
    if (!path) return;
    m_table.AddFromFile(*path, *chosen);
    Refresh();
}

void CSezEdDlg::FindReplace(bool withDialog) {
    RememberedFind& last = m_app.LastFind();
    if (withDialog || last.operation == phonebook::FindOperation::None) {
        CFindDlg dialog(this, m_app.Settings(), m_app.Store(), m_app.Ui());
        if (dialog.exec() != QDialog::Accepted) return;
        last = {dialog.Operation(), dialog.Request()};
    }
    // A copy: the replace question lets other windows run while it waits.
    const RememberedFind run = last;
    const phonebook::FindResult result =
        Ready().FindReplace(run.operation, run.request, Selection(), [this] { return CReplaceAskDlg(this).Ask(); });
    if (result.notFound) m_app.LastFind().operation = phonebook::FindOperation::None;
    Refresh(result.foundRow);
}

bool CSezEdDlg::MayClose(int messageId, bool& asked) { return Ready().ConfirmClose(messageId, asked); }

}  // namespace quillet::ui
