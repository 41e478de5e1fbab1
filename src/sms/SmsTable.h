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
#include "sms/SmsClipboard.h"
#include "sms/SmsEntry.h"
#include "sms/SmsMessageForms.h"

namespace quillet::sms {

inline constexpr std::size_t kSmsPositions = 99;
static_assert(kSmsPositions < kMaxSmsPayloadEntries, "a payload must be able to hold more than a window");

// What the commands read from the user's settings, handed in before each command.
struct SmsTableSettings {
    bool confirm = true;
    std::string serviceCentre;  // servCenter: the default SMS centre, '+' for international
    int validityPeriod = 0;     // validPer: the default relative validity byte
};

// What one row of the list shows (UTF-8): "%3d %c" of the record number and the modified mark, the
// date or validity, the short status word, the number with its '+', and the text with its part
// mark; dashes for an empty position.
struct SmsRowText {
    std::string item;
    std::string when;
    std::string status;
    std::string number;
    std::string text;
};

// The detail pane below the list for one row: the date or validity, the long status word, the
// number and the centre with their '+', and the whole text; all empty for an empty position.
struct SmsDetailText {
    std::string dateOrValidity;
    std::string status;
    std::string number;
    std::string centre;
    std::string text;
};

// One message window's document: 99 positions of which `PositionCount()` are shown (the card's
// record count after a read, raised by Open File), with every command of the window as an
// operation that checks its input, asks its questions and shows its messages through the
// UserInterface port. Nothing reaches the card until WriteToCard. Texts are what phones show:
// a message keeps its alphabet and header unless the user edits its text.
class SmsTable {
public:
    explicit SmsTable(card::UserInterface& ui);

    void SetSettings(SmsTableSettings settings) { m_settings = std::move(settings); }
    const SmsTableSettings& Settings() const { return m_settings; }

    std::size_t PositionCount() const { return m_positionCount; }
    std::span<const SmsEntry> Positions() const { return m_positions; }
    const SmsEntry& At(std::size_t row) const { return m_positions.at(row); }
    SmsRowText RowTextOf(std::size_t row) const;
    SmsDetailText DetailOf(std::size_t row) const;
    // A used position that is changed and not written yet.
    bool HasUnsavedChanges() const;

    // Read from SIM: asks before unsaved changes are dropped, reads the card's messages into a copy
    // and takes it only when the whole read succeeded, so a failed read leaves the window as it was.
    bool ReadFromCard(card::CardSession& session, card::ProgressOwner owner);
    // Write to SIM!: the shown positions go to the card; messages that reached it lose their marks.
    bool WriteToCard(card::CardSession& session, card::ProgressOwner owner);

    // The edit dialog: the copy it works on for the one selected row (an empty position becomes a
    // new message from the settings), or nothing (with the message when more than one row is
    // selected).
    std::optional<SmsEntry> BeginEdit(const card::RowSelection& selection) const;
    // OK of the edit dialog opened on `row`, with the copy as the details dialog left it: false
    // keeps the dialog open (its message was shown).
    bool ApplyEdit(std::size_t row, SmsEntry edited, const SmsEditForm& form);

    void ClearAll();
    void ClearSelected(const card::RowSelection& selection);
    // Inserts an empty position at the first selected row; the row to open the edit dialog on.
    std::optional<std::size_t> Insert(const card::RowSelection& selection);
    void Delete(const card::RowSelection& selection);
    // The rows Select All selects: the used ones.
    std::vector<std::size_t> SelectAll() const;
    // The Select Items dialog: its start, then the rows it selects (nothing keeps it open).
    card::ItemRange DefaultRange(const card::RowSelection& selection) const;
    std::optional<std::vector<std::size_t>> SelectRange(card::ItemRange range, bool includeEmpty) const;
    // The close question: true when the window may close. `asked` tells whether it asked.
    bool ConfirmClose(std::int32_t messageId, bool& asked) const;

    // Save File and Add to File: the used positions shown.
    bool SaveFile(const std::string& path);
    bool AddToFile(const std::string& path);
    // Open File: the question before the file dialog when unsaved changes would be lost, then the
    // file into the window.
    bool ConfirmOpenFile() const;
    void OpenFile(const std::string& path);

    // Messages from elsewhere (a card backup): the first `count` positions are shown, their used
    // messages marked changed as an opened file's are; positions beyond come empty.
    void OpenPositions(std::span<const SmsEntry> positions, std::size_t count);

    // Copy and Cut: the selected rows packed for the clipboard; nothing, and nothing cut, when no
    // selected position is used. `source` is the token of the list the window shows.
    std::optional<card::ClipboardContent> CopyEntries(const card::RowSelection& selection, bool cut,
                                                      std::uint32_t source);
    // Text pasted from another program (UTF-8): one message per line from the focused row on.
    void PasteText(std::string_view text, const card::RowSelection& selection);
    // The start of a drag: the selected rows packed, their positions marked as in transfer; nothing
    // (and no marks) when no selected position is used.
    std::optional<std::vector<std::uint8_t>> BeginDrag(const card::RowSelection& selection, std::uint32_t source);
    // The end of a drag: after a move the used positions still marked become empty and changed;
    // every mark is cleared.
    void EndDrag(bool moved);
    // A drop, or a paste of the private payload, at `row`: false when nothing was placed.
    bool DropPayload(const SmsPayload& payload, std::size_t row);

private:
    card::UserInterface& m_ui;
    SmsTableSettings m_settings;
    std::array<SmsEntry, kSmsPositions> m_positions{};
    std::size_t m_positionCount = kSmsPositions;
};

}  // namespace quillet::sms
