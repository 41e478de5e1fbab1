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
class EntryTransfer;

// "Quillet! - Phone Book - [n]": one of up to three windows holding a copy of the card's phone book,
// and the base of the fixed dialling numbers window. The document and every rule of its commands
// live in PhoneBookTable; this window shows its rows, hands it the selection and the dialogs'
// fields, and refreshes after each command.
class CSezEdDlg : public CDialogEx {
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
    EntryTransfer* Transfer() const { return m_transfer; }
    // The entry of the one selected row, for the SMS windows' "From Phone Book".
    std::optional<phonebook::PhoneBookEntry> SelectedEntry() const;
    // Shows the document again and optionally selects one row.
    void Refresh(std::optional<std::size_t> selectRow = std::nullopt);

protected:
    // A window on another card file of entries, made by a derived window.
    CSezEdDlg(CMainApp& app, app::EditorKind kind, const phonebook::BookFile& book);

    // Where the windows differ: the title for a window number, the offset from the main window's
    // client origin, and what follows a read of the card.
    virtual QString TitleOf(int number) const;
    virtual QPoint OffsetOf(int number) const;
    virtual void AfterRead() {}
    void ShowViewNote(const std::string& note);

    bool MayClose(int messageId, bool& asked) override;
    Ui::CSezEdDlg& Form() { return *m_ui; }

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
    // Find or replace: with the dialog, or repeating the last operation when there is one.
    void FindReplace(bool withDialog);

    std::unique_ptr<Ui::CSezEdDlg> m_ui;
    phonebook::PhoneBookTable m_table;
    EntryListModel* m_model = nullptr;
    EntryTransfer* m_transfer = nullptr;
    QMenu m_contextMenu;
    int m_number = 0;
};

}  // namespace quillet::ui
