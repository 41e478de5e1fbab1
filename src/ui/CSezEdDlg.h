#pragma once

#include <QMenu>
#include <memory>
#include <optional>

#include "phonebook/PhoneBookTable.h"
#include "ui/CDialogEx.h"

namespace Ui {
class CSezEdDlg;
}

namespace quillet::ui {

class EntryListModel;
class EntryListView;

// "Quillet! - Phone Book - [n]": one of up to three windows holding a copy of the card's phone book.
// The document and every rule of its commands live in PhoneBookTable; this window shows its rows,
// hands it the selection and the dialogs' fields, and refreshes after each command.
class CSezEdDlg final : public CDialogEx {
    Q_OBJECT

public:
    explicit CSezEdDlg(CMainApp& app);
    ~CSezEdDlg() override;

    void OpenWindow(int number, int openMode) override;
    void SendCommand(app::CommandId command) override;
    void CopyEntries(bool cut) override;
    void PasteEntries() override;

    int Number() const { return m_number; }
    phonebook::PhoneBookTable& Table() { return m_table; }
    EntryListView* List() const;
    // The entry of the one selected row, for the SMS windows' "From Phone Book".
    std::optional<phonebook::PhoneBookEntry> SelectedEntry() const;
    // Shows the document again and optionally selects one row.
    void Refresh(std::optional<std::size_t> selectRow = std::nullopt);

protected:
    bool MayClose(int messageId, bool& asked) override;

private:
    phonebook::RowSelection Selection() const;
    // Hands the table the settings as they are now; every command starts with it.
    phonebook::PhoneBookTable& Ready();
    void ConnectControls();
    void ShowContextMenu(const QPoint& position);

    void Edit();
    void Sort();
    void AddCode();
    void Internationalize();
    void Select();
    void SaveFile();
    void OpenFile();
    void AddFromFile();
    void ReadFromSim();
    void WriteToSim();

    std::unique_ptr<Ui::CSezEdDlg> m_ui;
    phonebook::PhoneBookTable m_table;
    EntryListModel* m_model = nullptr;
    QMenu m_contextMenu;
    int m_number = 0;
};

}  // namespace quillet::ui
