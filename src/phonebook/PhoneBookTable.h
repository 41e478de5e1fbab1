#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "card/CardSession.h"
#include "card/EditorSelection.h"
#include "card/UserInterface.h"
#include "phonebook/DiaFile.h"
#include "phonebook/DialClipboard.h"
#include "phonebook/FindReplace.h"
#include "phonebook/Internationalize.h"
#include "phonebook/PhoneBookEntry.h"

namespace quillet::phonebook {

inline constexpr std::size_t kTablePositions = 250;
static_assert(kTablePositions < kMaxPayloadEntries, "a payload must be able to hold more than a window");

// The card file a window edits, with the titles of its progress windows.
struct BookFile {
    std::uint16_t ef = 0;
    std::uint32_t readTitleId = 0;
    std::uint32_t writeTitleId = 0;
    bool writeNeedsChv2 = false;
};
extern const BookFile kPhoneBookBook;     // EF_ADN
extern const BookFile kFixedDialingBook;  // EF_FDN

// The name characters the card's records hold, learned from the card; one value for the whole
// program, so every window's entry dialog limits names alike. 20 until a card was read.
struct NameLimit {
    std::size_t maxNameLength = 20;
};

// What the commands read from the user's settings, handed in before each command.
struct TableSettings {
    bool confirm = true;
    std::string intNumber;
    std::string intSelector;
};

using card::ClipboardContent;
using card::RowSelection;

// The columns a click on the header sorts the view by.
enum class SortColumn { ItemNumber, Name, Number };

// What one row of the list shows: "%3d %c" of the record number and the modified mark, the
// decoded name and the number with its '+' (dashes for an empty position).
struct RowText {
    std::string item;
    std::string name;
    std::string number;
};

// The fields of the entry dialog as the user typed them (UTF-8).
struct EntryForm {
    std::string itemNumber;
    std::string name;
    std::string number;
};

// The Select Items dialog's fields.
struct SelectRequest {
    ItemRange range;
    bool includeEmpty = false;
};

// The Add from File dialog's fields.
struct AddFromFileRequest {
    long from = 1;
    bool includeEmpty = false;
};

// One phone-book window's document: 250 positions of which `PositionCount()` are shown (the
// card's record count after a read), with every command of the window as an operation that
// checks its input, asks its questions and shows its messages through the UserInterface port.
// Nothing reaches the card until WriteToCard. The view shows RowTextOf(0 .. PositionCount() - 1)
// after every command and passes in the rows the user selected.
class PhoneBookTable {
public:
    PhoneBookTable(const BookFile& book, card::UserInterface& ui, NameLimit& limit);

    void SetSettings(TableSettings settings) { m_settings = std::move(settings); }
    const TableSettings& Settings() const { return m_settings; }
    std::uint16_t Ef() const { return m_book.ef; }

    std::size_t PositionCount() const { return m_positionCount; }
    std::span<const PhoneBookEntry> Positions() const { return m_positions; }
    const PhoneBookEntry& At(std::size_t row) const { return m_positions.at(row); }
    RowText RowTextOf(std::size_t row) const;
    // A used position that is changed and not written yet.
    bool HasUnsavedChanges() const;
    SortColumn ViewSortColumn() const { return m_viewSort; }

    // Read from SIM: asks before unsaved changes are dropped, reads the card's file into a copy and
    // takes it only when the whole read succeeded, so a failed read leaves the window as it was.
    bool ReadFromCard(card::CardSession& session, card::ProgressOwner owner);
    // Write to SIM!: the shown positions go to the card; entries that reached it lose their marks.
    bool WriteToCard(card::CardSession& session, card::ProgressOwner owner);

    // The entry dialog: the fields it starts with for the one selected row, or nothing (with the
    // message when more than one row is selected).
    std::optional<EntryForm> BeginEdit(const RowSelection& selection) const;
    // OK of the entry dialog opened on `row`: false keeps the dialog open (its message was shown).
    bool ApplyEdit(std::size_t row, const EntryForm& form);

    // A click on a column header: sorts all positions for viewing; nothing is marked changed.
    void SortView(SortColumn column);
    // The range dialogs start with all positions or the selected rows.
    ItemRange DefaultRange(const RowSelection& selection) const;
    // The Sort command; false keeps the dialog open.
    bool SortRange(ItemRange range);
    void ClearAll();
    void ClearSelected(const RowSelection& selection);
    // Inserts an empty position at the first selected row; the row to open the entry dialog on.
    std::optional<std::size_t> Insert(const RowSelection& selection);
    void Delete(const RowSelection& selection);
    // The rows Select All selects: the used ones.
    std::vector<std::size_t> SelectAll() const;
    // The rows the Select Items dialog selects; nothing keeps the dialog open.
    std::optional<std::vector<std::size_t>> SelectRange(const SelectRequest& request) const;
    // The close question: true when the window may close. `asked` tells whether it asked.
    bool ConfirmClose(std::int32_t messageId, bool& asked) const;

    // Add Code's OK; false keeps the dialog open.
    bool AddCode(const AddCodeRequest& request);
    void Internationalize(ItemRange range);

    // Save File: the range check (false keeps the dialog open), then the file.
    bool CheckSaveRange(ItemRange range) const;
    bool SaveFile(const std::string& path, ItemRange range);
    // Open File: the question before the file dialog, then the file replacing every position.
    bool ConfirmOpenFile() const;
    void OpenFile(const std::string& path);
    // A whole book from elsewhere (a card backup): its first `count` positions are shown, their
    // used entries marked changed as an opened file's are; positions beyond come empty.
    void OpenPositions(std::span<const PhoneBookEntry> positions, std::size_t count);
    // Add from File: the dialog's start, its check (false keeps it open), then the file.
    AddFromFileRequest DefaultAddFromFile(const RowSelection& selection) const;
    bool CheckAddFromFile(const AddFromFileRequest& request) const;
    void AddFromFile(const std::string& path, const AddFromFileRequest& request);

    // The entry of the one selected row, for the SMS windows' "From Phone Book".
    std::optional<PhoneBookEntry> SelectedEntry(const RowSelection& selection) const;

    // Copy and Cut: the selected rows packed for the clipboard; nothing, and nothing cut, when no
    // selected position is used. `source` is the token of the list the window shows.
    std::optional<ClipboardContent> CopyEntries(const RowSelection& selection, bool cut, std::uint32_t source);
    // Text pasted from another program (UTF-8), parsed into entries from the focused row on; stops
    // at the first bad line with its message, keeping the entries placed before it.
    void PasteText(std::string_view text, const RowSelection& selection);
    // The start of a drag: the selected rows packed, their positions marked as in transfer; nothing
    // (and no marks) when no selected position is used.
    std::optional<std::vector<std::uint8_t>> BeginDrag(const RowSelection& selection, std::uint32_t source);
    // The end of a drag: after a move the used positions still marked become empty and changed;
    // every mark is cleared.
    void EndDrag(bool moved);
    // A drop, or a paste of the private payload, at `row`: false when nothing was placed.
    bool DropPayload(const DialPayload& payload, std::size_t row);

    // One run of Find or Replace over the shown positions from the selection.
    FindResult FindReplace(FindOperation operation, const FindRequest& request, const RowSelection& selection,
                           const AskReplace& ask);

    // The fixed dialling numbers window's "FDN Active": EF ADN was invalidated at the last read.
    bool FdnActive() const { return m_fdnActive; }

private:
    void SortByIndex();
    void ShowCardError(const card::CardSession& session, bool reading) const;

    const BookFile& m_book;
    card::UserInterface& m_ui;
    NameLimit& m_limit;
    TableSettings m_settings;
    std::array<PhoneBookEntry, kTablePositions> m_positions{};
    std::size_t m_positionCount = 0;
    SortColumn m_viewSort = SortColumn::ItemNumber;
    bool m_fdnActive = false;
};

}  // namespace quillet::phonebook
