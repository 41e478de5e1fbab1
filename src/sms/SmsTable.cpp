// The document of a message window: its positions and every command on them.
#include "sms/SmsTable.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "card/DialNumbers.h"
#include "card/DiallingDigits.h"
#include "card/FinishCardCommand.h"
#include "card/GsmText.h"
#include "card/ProgressWindow.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "sms/MessageBody.h"
#include "sms/SmsFile.h"
#include "sms/SmsTimeValue.h"
#include "sms/SmsTransfer.h"

namespace quillet::sms {

namespace {

using card::Answer;
using card::MessageIcon;
using card::QuestionButtons;
using card::RowSelection;

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kReadTitle = 5111;
constexpr std::uint32_t kWriteTitle = 5112;
constexpr std::uint32_t kTooManyItems = 5505;
constexpr std::uint32_t kUnsavedQuestion = 57500;
constexpr std::uint32_t kTargetUsedQuestion = 57586;
constexpr std::uint32_t kClearNothingSelected = 57681;
constexpr std::uint32_t kClearSelectedQuestion = 57682;
constexpr std::uint32_t kClearNoneUsed = 57683;
constexpr std::uint32_t kClearAllQuestion = 57684;
constexpr std::uint32_t kDropOverwriteQuestion = 57693;
constexpr std::uint32_t kInsertNeedsSelection = 57694;
constexpr std::uint32_t kInsertLastOccupied = 57695;
constexpr std::uint32_t kDeleteNothingSelected = 57696;
constexpr std::uint32_t kDeleteUsedQuestion = 57697;
constexpr std::uint32_t kBeyondCapacity = 57698;
constexpr std::uint32_t kEditOneOnly = 57720;
constexpr std::uint32_t kBadNumber = 57721;
constexpr std::uint32_t kTextTooLong = 57722;
constexpr std::uint32_t kWindowEmpty = 57820;
constexpr std::uint32_t kWriteQuestion = 57821;
constexpr std::uint32_t kCapacityExceeded = 57824;

// A pasted line keeps one character less than the edit dialog allows.
constexpr std::size_t kMaxPastedCharacters = std::min<std::size_t>(kMaxSmsLength, 200) - 1;
constexpr std::size_t kMaxDigits = sizeof(SmsEntry::address) - 1;
constexpr const char* kEmptyColumn = "----";

void Show(card::UserInterface& ui, std::uint32_t id, MessageIcon icon = MessageIcon::Error) {
    ui.ShowMessage(resources::LoadString(id), icon);
}

bool AskYes(card::UserInterface& ui, std::uint32_t id, QuestionButtons buttons = QuestionButtons::YesNoCancel) {
    return ui.AskQuestion(resources::LoadString(id), buttons) == Answer::Yes;
}

void Clear(SmsEntry& entry) {
    entry = MakeEmptySmsEntry(entry.index);
    entry.modified = 1;
}

// A message to send at `index` with the user's default centre and validity. A centre the settings
// file spoils is left out rather than cut or garbled.
SmsEntry NewMessage(std::uint16_t index, const SmsTableSettings& settings) {
    SmsEntry entry = MakeEmptySmsEntry(index);
    std::string_view centre = settings.serviceCentre;
    if (!card::IsValidCentreNumber(centre)) centre = {};
    std::string digits;
    card::SplitInternational(centre, digits, entry.centreTon, sizeof entry.serviceCentre);
    SetFieldText(entry.serviceCentre, digits);
    entry.centreNpi = digits.empty() ? 0 : card::kIsdnTelephonyPlan;
    SmsTimeValue validity{};
    validity.validity = static_cast<std::uint8_t>(std::clamp(settings.validityPeriod, 0, 255));
    FormatDateOrValidity(validity, entry.dateOrValidity);
    entry.status = kStatusToSend;
    entry.used = 1;
    return entry;
}

// A line of text from another program as phones write it: the default alphabet when it holds the
// line, else UCS2, with as many characters as the record takes.
void SetPastedText(SmsEntry& entry, std::string_view line) {
    const std::optional<std::u32string> utf8 = card::TextFromUtf8(line);
    std::u32string text = utf8 ? *utf8 : card::TextFromCp1250(line);
    text.resize(std::min(text.size(), kMaxPastedCharacters));
    while (!SetMessageText(entry, text)) text.pop_back();
}

}  // namespace

SmsTable::SmsTable(card::UserInterface& ui) : m_ui(ui) {
    for (std::size_t row = 0; row < kSmsPositions; ++row) {
        m_positions[row] = MakeEmptySmsEntry(static_cast<std::uint16_t>(row));
    }
}

SmsRowText SmsTable::RowTextOf(std::size_t row) const {
    if (row >= kSmsPositions) return {};
    const SmsEntry& entry = m_positions[row];
    char item[16];
    std::snprintf(item, sizeof item, "%3d %c", entry.index + 1, entry.modified != 0 ? '*' : ' ');
    if (entry.used == 0) return {item, kEmptyColumn, kEmptyColumn, kEmptyColumn, kEmptyColumn};
    return {item, std::string(FieldText(entry.dateOrValidity)), std::string(SmsStatusListText(entry.status)),
            (entry.addressTon != 0 ? "+" : "") + std::string(FieldText(entry.address)), MessageListText(entry)};
}

SmsDetailText SmsTable::DetailOf(std::size_t row) const {
    if (row >= kSmsPositions || m_positions[row].used == 0) return {};
    const SmsEntry& entry = m_positions[row];
    return {std::string(FieldText(entry.dateOrValidity)), std::string(SmsStatusDetailText(entry.status)),
            card::JoinInternational(FieldText(entry.address), entry.addressTon),
            card::JoinInternational(FieldText(entry.serviceCentre), entry.centreTon),
            card::Utf8FromText(MessageText(entry))};
}

bool SmsTable::HasUnsavedChanges() const { return card::AnyUnsaved(m_positions); }

bool SmsTable::ReadFromCard(card::CardSession& session, card::ProgressOwner owner) {
    const bool anyModified =
        std::any_of(m_positions.begin(), m_positions.end(), [](const SmsEntry& entry) { return entry.modified != 0; });
    if (m_settings.confirm && anyModified && !AskYes(m_ui, kUnsavedQuestion)) return false;

    // Read into a copy: a read that fails half-way must not leave empty positions under the old
    // count, which a following write would carry onto the card.
    auto read = std::make_unique<std::array<SmsEntry, kSmsPositions>>();
    std::uint32_t count = 0;
    session.BeginProgress(owner, kInitializing, kReadTitle);
    const bool done = session.BeginSession(true, false, true) && ReadSmsFile(session, *read, count);
    if (!card::FinishCardCommand(session, done, true)) {
        m_ui.ShowMessage(session.FormatLastError(), MessageIcon::Error);
        return false;
    }
    m_positions = *read;
    m_positionCount = std::min<std::size_t>(count, kSmsPositions);
    return true;
}

bool SmsTable::WriteToCard(card::CardSession& session, card::ProgressOwner owner) {
    if (m_positionCount == 0) {
        Show(m_ui, kWindowEmpty);
        return false;
    }
    if (m_settings.confirm && !AskYes(m_ui, kWriteQuestion)) return false;
    SmsWriteReport report;
    session.BeginProgress(owner, kInitializing, kWriteTitle);
    const bool done = session.BeginSession(true, false, true) &&
                      WriteSms(session, std::span(m_positions).first(m_positionCount), report);
    if (card::FinishCardCommand(session, done, true)) return true;
    // Both refusals come before anything is written; each names what the user can change.
    if (session.LastResult() == reader::result::kPositionOverflow) {
        Show(m_ui, kCapacityExceeded);
    } else if (session.LastResult() == reader::result::kTextTooLong && report.firstTooLong != 0) {
        const std::string_view pattern = resources::LoadString(resources::string_id::kMessageTextTooLong);
        m_ui.ShowMessage(card::FormatItemText(pattern, report.firstTooLong, 0), MessageIcon::Error);
    } else {
        m_ui.ShowMessage(session.FormatLastError(), MessageIcon::Error);
    }
    return false;
}

std::optional<SmsEntry> SmsTable::BeginEdit(const RowSelection& selection) const {
    if (selection.selected.empty()) return std::nullopt;
    if (selection.selected.size() > 1) {
        Show(m_ui, kEditOneOnly);
        return std::nullopt;
    }
    const std::size_t row = selection.selected.front();
    if (row >= m_positionCount) return std::nullopt;
    const SmsEntry& entry = m_positions[row];
    return entry.used != 0 ? entry : NewMessage(entry.index, m_settings);
}

bool SmsTable::ApplyEdit(std::size_t row, SmsEntry edited, const SmsEditForm& form) {
    if (row >= m_positionCount) return true;
    // The record holds 20 digits; more would be cut without a word.
    const std::size_t digits = form.number.size() - (form.number.starts_with('+') ? 1 : 0);
    if (!card::IsValidNumber(form.number) || digits > kMaxDigits) {
        Show(m_ui, kBadNumber);
        return false;
    }
    const std::optional<std::u32string> text = card::TextFromUtf8(form.text);
    if (!text || !SetMessageText(edited, *text)) {
        Show(m_ui, kTextTooLong);
        return false;
    }
    // A number left as it was keeps its type and plan.
    if (form.number != card::JoinInternational(FieldText(edited.address), edited.addressTon)) {
        std::string number;
        card::SplitInternational(form.number, number, edited.addressTon, sizeof edited.address);
        SetFieldText(edited.address, number);
        edited.addressNpi = card::kIsdnTelephonyPlan;
    }
    edited.index = m_positions[row].index;
    edited.used = 1;
    edited.modified = 1;
    edited.inTransfer = 0;
    m_positions[row] = edited;
    return true;
}

void SmsTable::ClearAll() {
    const auto shown = std::span(m_positions).first(m_positionCount);
    if (m_settings.confirm && card::AnyUsed(shown) && !AskYes(m_ui, kClearAllQuestion)) return;
    for (SmsEntry& entry : shown) Clear(entry);
}

void SmsTable::ClearSelected(const RowSelection& selection) {
    if (selection.selected.empty()) {
        if (m_settings.confirm) Show(m_ui, kClearNothingSelected);
        return;
    }
    bool anyUsed = false;
    for (const std::size_t row : selection.selected) {
        if (row >= m_positionCount || m_positions[row].used == 0) continue;
        if (!anyUsed && m_settings.confirm && !AskYes(m_ui, kClearSelectedQuestion, QuestionButtons::YesNo)) return;
        anyUsed = true;
        Clear(m_positions[row]);
    }
    if (!anyUsed) Show(m_ui, kClearNoneUsed, MessageIcon::Information);
}

std::optional<std::size_t> SmsTable::Insert(const RowSelection& selection) {
    if (selection.selected.empty() || selection.selected.front() >= m_positionCount) {
        Show(m_ui, kInsertNeedsSelection, MessageIcon::Exclamation);
        return std::nullopt;
    }
    const auto shown = std::span(m_positions).first(m_positionCount);
    if (!card::LastPositionFree<SmsEntry>(shown)) {
        Show(m_ui, kInsertLastOccupied);
        return std::nullopt;
    }
    const std::size_t row = selection.selected.front();
    card::InsertEmptyAt(shown, row);
    return row;
}

void SmsTable::Delete(const RowSelection& selection) {
    if (selection.selected.empty()) {
        if (m_settings.confirm) Show(m_ui, kDeleteNothingSelected);
        return;
    }
    card::DeleteRows(
        std::span(m_positions).first(m_positionCount), selection,
        [&] { return !m_settings.confirm || AskYes(m_ui, kDeleteUsedQuestion); }, MakeEmptySmsEntry);
}

std::vector<std::size_t> SmsTable::SelectAll() const {
    return card::UsedRows<SmsEntry>(std::span(m_positions).first(m_positionCount));
}

card::ItemRange SmsTable::DefaultRange(const RowSelection& selection) const {
    return card::DefaultItemRange(m_positionCount, selection.First(), selection.Last());
}

std::optional<std::vector<std::size_t>> SmsTable::SelectRange(card::ItemRange range, bool includeEmpty) const {
    return card::RowsInRange<SmsEntry>(std::span(m_positions).first(m_positionCount), range, includeEmpty, m_ui);
}

bool SmsTable::ConfirmClose(std::int32_t messageId, bool& asked) const {
    return card::ConfirmClose(messageId, m_settings.confirm, HasUnsavedChanges(), asked, m_ui);
}

bool SmsTable::SaveFile(const std::string& path) {
    return SaveSmsFile(path, m_positions, static_cast<std::uint32_t>(m_positionCount), m_ui);
}

bool SmsTable::AddToFile(const std::string& path) {
    return AddToSmsArchiveFile(path, m_positions, static_cast<std::uint32_t>(m_positionCount), m_ui);
}

bool SmsTable::ConfirmOpenFile() const {
    return card::ConfirmReplaceWindow(HasUnsavedChanges(), m_settings.confirm, m_ui);
}

void SmsTable::OpenFile(const std::string& path) {
    auto count = static_cast<std::uint32_t>(m_positionCount);
    OpenSmsFile(path, m_positions, count, m_ui);
    m_positionCount = std::min<std::size_t>(count, kSmsPositions);
}

void SmsTable::OpenPositions(std::span<const SmsEntry> positions, std::size_t count) {
    m_positionCount = std::min({count, positions.size(), kSmsPositions});
    for (std::size_t position = 0; position < kSmsPositions; ++position) {
        SmsEntry& entry = m_positions[position];
        entry =
            position < m_positionCount ? positions[position] : MakeEmptySmsEntry(static_cast<std::uint16_t>(position));
        entry.modified = entry.used != 0 ? 1 : 0;
    }
}

std::optional<card::ClipboardContent> SmsTable::CopyEntries(const RowSelection& selection, bool cut,
                                                            std::uint32_t source) {
    const std::vector<SmsEntry> entries =
        card::SelectedEntries<SmsEntry>(std::span(m_positions).first(m_positionCount), selection);
    if (!card::AnyUsed(entries)) return std::nullopt;
    card::ClipboardContent content{PackSmsPayload(source, entries), SmsEntriesAsText(entries)};
    if (cut) {
        for (const std::size_t row : selection.selected) {
            if (row < m_positionCount && m_positions[row].used != 0) Clear(m_positions[row]);
        }
    }
    return content;
}

void SmsTable::PasteText(std::string_view text, const RowSelection& selection) {
    if (selection.focused < 0 || text.empty()) return;
    std::size_t at = 0;
    const auto skip = [&](std::string_view characters) {
        while (at < text.size() && characters.find(text[at]) != std::string_view::npos) ++at;
    };
    bool overwriteAgreed = false;
    for (auto position = static_cast<std::size_t>(selection.focused);; ++position) {
        skip(" \t");
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end;
        // Blank lines between messages make no messages of their own.
        skip(" \t\r\n");
        if (position >= m_positionCount) {
            Show(m_ui, kTooManyItems);
            return;
        }
        SmsEntry& target = m_positions[position];
        if (target.used != 0 && !overwriteAgreed) {
            if (!AskYes(m_ui, kTargetUsedQuestion)) return;
            overwriteAgreed = true;
        }
        SmsEntry entry = NewMessage(target.index, m_settings);
        SetPastedText(entry, line);
        entry.modified = 1;
        target = entry;
        if (at >= text.size()) return;
    }
}

std::optional<std::vector<std::uint8_t>> SmsTable::BeginDrag(const RowSelection& selection, std::uint32_t source) {
    const std::vector<SmsEntry> entries =
        card::SelectedEntries<SmsEntry>(std::span(m_positions).first(m_positionCount), selection);
    if (!card::AnyUsed(entries)) return std::nullopt;
    card::MarkInTransfer(std::span(m_positions).first(m_positionCount), selection);
    return PackSmsPayload(source, entries);
}

void SmsTable::EndDrag(bool moved) { card::EndTransfer(m_positions, moved, Clear); }

bool SmsTable::DropPayload(const SmsPayload& payload, std::size_t row) {
    // A message moved within the window keeps its reference, so that the card keeps its record's
    // bytes; the payload does not carry it, so it is taken from the position being dragged.
    const auto takeReferences = [this](std::vector<SmsEntry>& arriving) {
        for (SmsEntry& message : arriving) {
            const auto source = std::find_if(m_positions.begin(), m_positions.end(), [&](const SmsEntry& entry) {
                return entry.inTransfer != 0 && entry.index == message.index;
            });
            message.messageRef = source != m_positions.end() ? source->messageRef : 0;
        }
    };
    const card::DropOutcome outcome = card::DropEntries(
        std::span(m_positions).first(m_positionCount), row, std::span<const SmsEntry>(payload.entries),
        [&] { return !m_settings.confirm || AskYes(m_ui, kDropOverwriteQuestion, QuestionButtons::YesNo); },
        takeReferences);
    if (outcome == card::DropOutcome::PlacedSome) Show(m_ui, kBeyondCapacity, MessageIcon::Exclamation);
    return outcome != card::DropOutcome::Refused;
}

}  // namespace quillet::sms
