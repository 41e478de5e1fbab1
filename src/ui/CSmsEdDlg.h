#pragma once

#include <QMenu>
#include <memory>
#include <optional>
#include <string>

#include "sms/SmsTable.h"
#include "ui/CDialogEx.h"

namespace Ui {
class CSmsEdDlg;
}

namespace quillet::ui {

class EntryListModel;
class EntryListView;
class EntryTransfer;

// "Quillet! - Edit SMS Messages - [n]": one of up to three windows holding a copy of the card's
// messages, with the focused message shown in full below the list. The document and the rules of
// its commands live in SmsTable; this window shows its rows, hands it the selection and the
// dialogs' fields, and refreshes after each command.
class CSmsEdDlg final : public CDialogEx {
    Q_OBJECT

public:
    explicit CSmsEdDlg(CMainApp& app);
    ~CSmsEdDlg() override;

    void OpenWindow(int number, int openMode) override;
    void SendCommand(app::CommandId command) override;
    void CopyEntries(bool cut) override;
    void PasteEntries() override;

    int Number() const { return m_number; }
    sms::SmsTable& Table() { return m_table; }
    EntryListView* List() const;
    EntryTransfer* Transfer() const { return m_transfer; }
    // Shows the document again and optionally selects one row; the detail pane follows the focus.
    void Refresh(std::optional<std::size_t> selectRow = std::nullopt);

protected:
    bool MayClose(int messageId, bool& asked) override;

private:
    card::RowSelection Selection() const;
    // Hands the table the settings as they are now; every command starts with it.
    sms::SmsTable& Ready();
    void ConnectControls();
    void ShowContextMenu(const QPoint& position);
    void ShowDetails(long row);

    void Edit();
    void Select();
    void OpenFile();
    void SaveFile();
    void AddToFile();

    std::unique_ptr<Ui::CSmsEdDlg> m_ui;
    sms::SmsTable m_table;
    EntryListModel* m_model = nullptr;
    EntryTransfer* m_transfer = nullptr;
    QMenu m_contextMenu;
    int m_number = 0;
};

}  // namespace quillet::ui
