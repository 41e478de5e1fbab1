#include "ui/CSmsEdDlg.h"

#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <algorithm>

#include "resources/StringTable.h"
#include "ui/CItemRangeDlg.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/CSmsEditDlg.h"
#include "ui/Cp1250.h"
#include "ui/EntryListModel.h"
#include "ui/EntryListView.h"
#include "ui/EntryTransfer.h"
#include "ui/FileDialogs.h"
#include "ui/ReportPrinter.h"
#include "ui_CSmsEdDlg.h"

namespace quillet::ui {

namespace {

using app::CommandId;

// "Closing window will lose changes.\nClose window?", the message windows' own copy of the text.
constexpr int kCloseWindowQuestion = 57680;

// Column titles "#", "When", "Status", "Tel. number", "Text" and the widths of all but the last.
constexpr std::uint32_t kFirstColumnId = 57907;
constexpr int kColumnCount = 5;
const std::vector<int> kColumnWidths{35, 70, 45, 80};
// Room a header item needs besides its title: its margins and the blank of the sort mark.
constexpr int kTitleMargin = 34;

// The message files: the titles of their dialogs and the types each one offers.
constexpr std::uint32_t kSaveTitleId = 57913;
constexpr std::uint32_t kOpenTitleId = 57917;
constexpr std::uint32_t kAddToFileTitleId = 57919;
constexpr FileType kSaveType{57912, "*.SMS"};
constexpr FileType kOpenTypes[] = {{57914, "*.SMS"}, {57915, "*.SMA"}, {57916, "*.SMS; *.SMA"}, {57903, "*.*"}};
constexpr FileType kArchiveTypes[] = {{57918, "*.SMA"}, {57903, "*.*"}};

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

// A type list of the file dialog; each pattern also in lower case, as files come from systems
// that ignore case.
QString Filters(std::span<const FileType> types) {
    QStringList filters;
    for (const FileType& type : types) {
        const QString name = FromCp1250(resources::LoadString(type.nameId));
        const QString pattern = QString::fromLatin1(type.pattern);
        // "All files (*.*)" names its pattern itself.
        if (pattern == QStringLiteral("*.*")) {
            filters << name;
            continue;
        }
        QStringList patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& each : patterns) each = each.trimmed();
        QStringList both = patterns;
        for (const QString& each : patterns) both << each.toLower();
        filters << name + QStringLiteral(" (%1)").arg(both.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

// An open dialog over several types; with `mayBeNew` a name of a file that does not exist yet is
// taken too (Add to File starts a new archive). Nothing when the user cancelled.
std::optional<std::string> AskMessageFile(QWidget* parent, std::uint32_t titleId, std::span<const FileType> types,
                                          bool mayBeNew) {
    QFileDialog dialog(parent, FromCp1250(resources::LoadString(titleId)), QString(), Filters(types));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mayBeNew ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

}  // namespace

CSmsEdDlg::CSmsEdDlg(CMainApp& app)
    : CDialogEx(app, app::EditorKind::Sms, kCloseWindowQuestion),
      m_ui(std::make_unique<Ui::CSmsEdDlg>()),
      m_table(app.Ui()) {
    m_ui->setupUi(this);
    QStringList titles;
    for (int column = 0; column < kColumnCount; ++column) {
        titles << FromCp1250(resources::LoadString(kFirstColumnId + static_cast<std::uint32_t>(column)));
    }
    m_model = new EntryListModel(
        titles, [this] { return static_cast<int>(m_table.PositionCount()); },
        [this](int row, int column) {
            const sms::SmsRowText text = m_table.RowTextOf(static_cast<std::size_t>(row));
            const std::string* cells[] = {&text.item, &text.when, &text.status, &text.number, &text.text};
            return column >= 0 && column < kColumnCount ? Utf8(*cells[column]) : QString();
        },
        this);
    // The message list has no sort by column.
    m_model->SetSortMark(-1);
    List()->SetEntryModel(m_model);
    // The widths are the least a column gets; a title wider in this font than its column widens it.
    std::vector<int> widths = kColumnWidths;
    for (std::size_t column = 0; column < widths.size(); ++column) {
        const int title = List()->header()->fontMetrics().horizontalAdvance(titles[static_cast<int>(column)]);
        widths[column] = std::max(widths[column], title + kTitleMargin);
    }
    List()->SetColumnWidths(widths);
    m_transfer = new EntryTransfer(
        List(), kSmsClipboardFormat, SmsDocument([this]() -> sms::SmsTable& { return Ready(); }), [this] { Refresh(); },
        this);
    ConnectControls();
}

CSmsEdDlg::~CSmsEdDlg() = default;

EntryListView* CSmsEdDlg::List() const { return m_ui->list; }

void CSmsEdDlg::ConnectControls() {
    const std::pair<QPushButton*, CommandId> buttons[] = {{m_ui->readButton, CommandId::EditorReadFromSim},
                                                          {m_ui->writeButton, CommandId::EditorWriteToSim},
                                                          {m_ui->editButton, CommandId::EditorEdit},
                                                          {m_ui->clearAllButton, CommandId::EditorClearAll},
                                                          {m_ui->closeButton, CommandId::EditorClose}};
    for (const auto& [button, command] : buttons) {
        connect(button, &QPushButton::clicked, this, [this, command = command] { SendCommand(command); });
    }
    EntryListView* list = List();
    connect(list, &EntryListView::CommandKey, this, &CSmsEdDlg::SendCommand);
    connect(list, &EntryListView::CopyKey, this, &CSmsEdDlg::CopyEntries);
    connect(list, &EntryListView::PasteKey, this, &CSmsEdDlg::PasteEntries);
    connect(list, &QAbstractItemView::doubleClicked, this, [this] { SendCommand(CommandId::EditorEdit); });
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { ShowDetails(current.isValid() ? current.row() : -1); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &CSmsEdDlg::ShowContextMenu);

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

void CSmsEdDlg::ShowContextMenu(const QPoint& position) {
    if (!List()->indexAt(position).isValid()) return;
    m_contextMenu.popup(List()->viewport()->mapToGlobal(position));
}

void CSmsEdDlg::OpenWindow(int number, int openMode) {
    m_number = number;
    setWindowTitle(QStringLiteral("Quillet! - Edit SMS Messages - [%1]").arg(number + 1));
    PlaceWindow({150 + 20 * number, 50 + 20 * number});
    Refresh();
    show();
    MakeActive();
    if (openMode == app::kOpenAndRead) SendCommand(CommandId::EditorReadFromSim);
    if (openMode == app::kOpenAndOpenFile) SendCommand(CommandId::SmsOpenFile);
}

card::RowSelection CSmsEdDlg::Selection() const {
    card::RowSelection selection;
    selection.selected = List()->SelectedRows();
    selection.focused = List()->FocusedRow();
    return selection;
}

sms::SmsTable& CSmsEdDlg::Ready() {
    const app::AppSettings& settings = m_app.Settings();
    m_table.SetSettings({settings.confirm != 0, settings.serviceCentre, settings.validityPeriod});
    return m_table;
}

void CSmsEdDlg::Refresh(std::optional<std::size_t> selectRow) {
    m_model->Refresh();
    List()->SyncColumns();
    if (selectRow) List()->SelectOnly(static_cast<int>(*selectRow));
    ShowDetails(List()->FocusedRow());
}

void CSmsEdDlg::ShowDetails(long row) {
    sms::SmsDetailText detail;
    if (row >= 0 && static_cast<std::size_t>(row) < m_table.PositionCount()) {
        detail = m_table.DetailOf(static_cast<std::size_t>(row));
    }
    m_ui->dateEdit->setText(Utf8(detail.dateOrValidity));
    m_ui->statusEdit->setText(Utf8(detail.status));
    m_ui->numberEdit->setText(Utf8(detail.number));
    m_ui->centreEdit->setText(Utf8(detail.centre));
    m_ui->textEdit->setPlainText(Utf8(detail.text));
}

void CSmsEdDlg::SendCommand(CommandId command) {
    sms::SmsTable& table = Ready();
    switch (command) {
        case CommandId::EditorReadFromSim:
            table.ReadFromCard(m_app.Context().Session(), this);
            Refresh(0);
            break;
        case CommandId::EditorWriteToSim:
            table.WriteToCard(m_app.Context().Session(), this);
            Refresh(0);
            break;
        case CommandId::EditorEdit:
        case CommandId::EditorMenuEdit:
            Edit();
            break;
        case CommandId::EditorClearAll:
            table.ClearAll();
            Refresh(0);
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
        case CommandId::SmsOpenFile:
            OpenFile();
            break;
        case CommandId::SmsSaveFile:
            SaveFile();
            break;
        case CommandId::SmsAddToFile:
            AddToFile();
            break;
        case CommandId::EditorClose:
            CloseWindow();
            break;
        case CommandId::PrintMessages:
            // A window that holds no positions has nothing to print; empty positions print the frame.
            if (table.PositionCount() > 0) {
                PrintWithDialog(this,
                                {report::ReportKind::Messages, {}, table.Positions().first(table.PositionCount())});
            }
            break;
        default:
            break;
    }
}

void CSmsEdDlg::CopyEntries(bool cut) { m_transfer->Copy(cut); }

void CSmsEdDlg::PasteEntries() { m_transfer->Paste(); }

void CSmsEdDlg::Edit() {
    const card::RowSelection selection = Selection();
    const std::optional<sms::SmsEntry> start = m_table.BeginEdit(selection);
    if (!start) return;
    const std::size_t row = selection.selected.front();
    CSmsEditDlg dialog(this, *start, {[this] { return m_app.Frame()->FrontPhoneBookNumber(); }, m_app.Ui()},
                       [this, row](const sms::SmsEntry& edited, const sms::SmsEditForm& form) {
                           return m_table.ApplyEdit(row, edited, form);
                       });
    if (dialog.exec() == QDialog::Accepted) Refresh();
}

void CSmsEdDlg::Select() {
    std::optional<std::vector<std::size_t>> rows;
    CItemRangeDlg dialog(this, RangeDialogKind::SelectItems, m_table.DefaultRange(Selection()), false,
                         [this, &rows](card::ItemRange range, bool includeEmpty) {
                             rows = m_table.SelectRange(range, includeEmpty);
                             return rows.has_value();
                         });
    if (dialog.exec() == QDialog::Accepted && rows) List()->SelectRows(*rows);
}

void CSmsEdDlg::OpenFile() {
    if (!m_table.ConfirmOpenFile()) return;
    const std::optional<std::string> path = AskMessageFile(this, kOpenTitleId, kOpenTypes, false);
    if (!path) return;
    m_table.OpenFile(*path);
    Refresh(0);
}

void CSmsEdDlg::SaveFile() {
    const std::optional<std::string> path = AskSavePath(this, kSaveTitleId, kSaveType);
    if (!path) return;
    m_table.SaveFile(*path);
}

void CSmsEdDlg::AddToFile() {
    const std::optional<std::string> path = AskMessageFile(this, kAddToFileTitleId, kArchiveTypes, true);
    if (!path) return;
    m_table.AddToFile(*path);
}

bool CSmsEdDlg::MayClose(int messageId, bool& asked) { return Ready().ConfirmClose(messageId, asked); }

}  // namespace quillet::ui
