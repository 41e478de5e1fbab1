// The document of a phone-book window: its positions and every command on them.
#include "phonebook/PhoneBookTable.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "card/DiallingDigits.h"
#include "card/FinishCardCommand.h"
#include "card/GsmFiles.h"
#include "card/GsmText.h"
#include "phonebook/CaseFold.h"
#include "phonebook/DialNumbers.h"
#include "phonebook/EntryName.h"
#include "phonebook/NameFromText.h"
#include "phonebook/PhoneBookTransfer.h"
#include "phonebook/TextHelpers.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

const BookFile kPhoneBookBook = {kAdnFile, 5100, 5101, false};
const BookFile kFixedDialingBook = {kFdnFile, 5102, 5103, true};

namespace {

using card::Answer;
using card::MessageIcon;
using card::QuestionButtons;

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kPasswordProtected = 5609;
constexpr std::uint32_t kUnsavedQuestion = 57500;
constexpr std::uint32_t kSortOutOfRange = 57580;
constexpr std::uint32_t kClearAllQuestion = 57581;
constexpr std::uint32_t kClearNothingSelected = 57582;
constexpr std::uint32_t kClearSelectedQuestion = 57583;
constexpr std::uint32_t kClearNoneUsed = 57584;
constexpr std::uint32_t kInsertNeedsSelection = 57587;
constexpr std::uint32_t kInsertLastOccupied = 57588;
constexpr std::uint32_t kDeleteNothingSelected = 57589;
constexpr std::uint32_t kDeleteUsedQuestion = 57590;
constexpr std::uint32_t kBadNumber = 57620;
constexpr std::uint32_t kBadItemNumber = 57621;
constexpr std::uint32_t kBadName = 57622;
constexpr std::uint32_t kOverwriteQuestion = 57623;
constexpr std::uint32_t kEditOneOnly = 57624;
constexpr std::uint32_t kWindowEmpty = 57800;
constexpr std::uint32_t kWriteQuestion = 57801;

constexpr std::uint32_t kNameTooLong = 5500;
constexpr std::uint32_t kNoNumber = 5501;
constexpr std::uint32_t kNoName = 5502;
constexpr std::uint32_t kNumberTooLong = 5503;
constexpr std::uint32_t kBadPastedNumber = 5504;
constexpr std::uint32_t kTooManyItems = 5505;
constexpr std::uint32_t kTargetUsedQuestion = 57586;
constexpr std::uint32_t kBeyondCapacity = 57594;

constexpr std::uint16_t kTelecom = card::gsm_file::kTelecomDirectory;
constexpr std::size_t kMaxNameCharacters = 20;
constexpr std::size_t kMaxNumberLength = sizeof(PhoneBookEntry::number) - 1;
constexpr const char* kEmptyColumn = "-------------------------------";

void Show(card::UserInterface& ui, std::uint32_t id, MessageIcon icon = MessageIcon::Error) {
    ui.ShowMessage(resources::LoadString(id), icon);
}

bool AskYes(card::UserInterface& ui, std::uint32_t id, QuestionButtons buttons = QuestionButtons::YesNoCancel) {
    return ui.AskQuestion(resources::LoadString(id), buttons) == Answer::Yes;
}

// The number as the list and the entry dialog show it.
std::string ShownNumber(const PhoneBookEntry& entry) {
    const std::string_view digits(entry.number, strnlen(entry.number, sizeof entry.number));
    return (entry.ton != 0 ? "+" : "") + std::string(digits);
}

void Clear(PhoneBookEntry& entry) {
    entry = EmptyPosition(entry.index);
    entry.modified = 1;
}

std::u32string SortKey(const PhoneBookEntry& entry, SortColumn column) {
    std::u32string key;
    if (column == SortColumn::Name) {
        key = NameText(entry);
    } else {
        const std::size_t length = strnlen(entry.number, sizeof entry.number);
        key.assign(entry.number, entry.number + length);
    }
    return Folded(key);
}

// Sorts by name or number, used positions first; equal keys and empties keep their order.
void SortByText(std::span<PhoneBookEntry> positions, SortColumn column) {
    struct Keyed {
        bool empty;
        std::u32string key;
        PhoneBookEntry entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(positions.size());
    for (const PhoneBookEntry& entry : positions) {
        const bool empty = entry.used == 0;
        keyed.push_back({empty, empty ? std::u32string() : SortKey(entry, column), entry});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.empty != b.empty) return b.empty;
        return a.key < b.key;
    });
    std::transform(keyed.begin(), keyed.end(), positions.begin(), [](const Keyed& k) { return k.entry; });
}

// A dialog's number as the file functions take it; anything below 1 is 0, which they refuse.
unsigned Unsigned(long value) {
    return value < 0 ? 0u : static_cast<unsigned>(std::min<unsigned long>(static_cast<unsigned long>(value), UINT_MAX));
}

// Reads a *.DIA file over all positions and raises the count to what it placed; true when the
// positions were touched (they are then in card order).
bool ReadFileInto(const std::string& path, const DiaReadOptions& options, std::span<PhoneBookEntry> positions,
                  std::size_t& positionCount, card::UserInterface& ui) {
    unsigned count = static_cast<unsigned>(positionCount);
    const DiaReadOutcome outcome = ReadDiaFile(path, options, positions, count, ui).outcome;
    positionCount = std::min<std::size_t>(count, positions.size());
    return outcome != DiaReadOutcome::BadStart && outcome != DiaReadOutcome::CannotOpen;
}

// Runs a card step inside the progress window and a card session; a failure is shown once both
// have ended.
template <typename Step, typename ShowError>
bool RunOnCard(card::CardSession& session, card::ProgressOwner owner, std::uint32_t titleId, bool chv2, Step step,
               ShowError showError) {
    session.BeginProgress(owner, kInitializing, titleId);
    const bool stepsDone = session.BeginSession(true, chv2, true) && step();
    if (card::FinishCardCommand(session, stepsDone, true)) return true;
    showError();
    return false;
}

// One line of pasted text: "name TAB number", the number perhaps behind a "'" as copied entries
// carry it.
struct PastedLine {
    std::u32string name;
    std::string_view number;
};

// Reads pasted text line by line, checking each field as it comes.
class PastedText {
public:
    explicit PastedText(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_at >= m_text.size(); }

    // The next line; 0, or the id of the message for the first thing wrong with it.
    std::uint32_t Next(std::size_t nameLimit, PastedLine& line) {
        Skip(" \t");
        const std::size_t nameEnd = m_text.find_first_of("\t\r\n", m_at);
        if (nameEnd == std::string_view::npos || m_text[nameEnd] != '\t') return kNoNumber;
        line.name = NameFromUtf8(m_text.substr(m_at, nameEnd - m_at));
        if (line.name.size() > nameLimit) return kNameTooLong;
        if (line.name.empty()) return kNoName;
        m_at = nameEnd + 1;
        Skip(" \t");
        if (!AtEnd() && m_text[m_at] == '\'') ++m_at;
        const std::size_t numberEnd = std::min(m_text.find_first_of("\t \r\n", m_at), m_text.size());
        line.number = m_text.substr(m_at, numberEnd - m_at);
        m_at = numberEnd;
        if (line.number.size() > kMaxNumberLength) return kNumberTooLong;
        if (line.number.empty()) return kNoNumber;
        if (!IsValidNumber(line.number)) return kBadPastedNumber;
        Skip(" \t\r\n");
        return 0;
    }

private:
    void Skip(std::string_view characters) {
        while (!AtEnd() && characters.find(m_text[m_at]) != std::string_view::npos) ++m_at;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace

PhoneBookTable::PhoneBookTable(const BookFile& book, card::UserInterface& ui, NameLimit& limit)
    : m_book(book), m_ui(ui), m_limit(limit), m_positionCount(kTablePositions) {
    for (std::size_t position = 0; position < kTablePositions; ++position) {
        m_positions[position] = EmptyPosition(static_cast<std::uint16_t>(position));
    }
}

RowText PhoneBookTable::RowTextOf(std::size_t row) const {
    if (row >= kTablePositions) return {};
    const PhoneBookEntry& entry = m_positions[row];
    char item[16];
    std::snprintf(item, sizeof item, "%3d %c", entry.index + 1, entry.modified != 0 ? '*' : ' ');
    if (entry.used == 0) return {item, kEmptyColumn, kEmptyColumn};
    return {item, NameIn(entry, card::TextForm::Display), ShownNumber(entry)};
}

bool PhoneBookTable::HasUnsavedChanges() const { return card::AnyUnsaved(m_positions); }

bool PhoneBookTable::ReadFromCard(card::CardSession& session, card::ProgressOwner owner) {
    const bool anyModified = std::any_of(m_positions.begin(), m_positions.end(),
                                         [](const PhoneBookEntry& entry) { return entry.modified != 0; });
    if (m_settings.confirm && anyModified && !AskYes(m_ui, kUnsavedQuestion)) return false;

    // Read into a copy: a read that fails half-way must not leave empty positions under the old
    // count, which a following write would carry onto the card.
    auto read = std::make_unique<std::array<PhoneBookEntry, kTablePositions>>();
    PhoneBookInfo info;
    const bool fixedDialing = m_book.ef == kFdnFile;
    card::EfInformation adn;
    bool headerFailed = false;
    const bool done = RunOnCard(
        session, owner, m_book.readTitleId, false,
        [&] {
            if (!ReadPhoneBook(session, m_book.ef, *read, info)) return false;
            headerFailed = fixedDialing && !session.FileHeader(kTelecom, kAdnFile, adn);
            return !headerFailed;
        },
        [&] { ShowCardError(session, true); });
    // Fixed dialling is on while the phone book is invalidated; unknown counts as off.
    m_fdnActive = done && fixedDialing && !adn.IsValid();
    // Numbers read whole are kept when only the phone book's state could not be learned.
    if (!done && !headerFailed) return false;
    m_positions = *read;
    m_positionCount = std::min<std::size_t>(info.entryCount, kTablePositions);
    // The phone book sets the name limit; the fixed dialling numbers only ever lower it.
    const std::size_t alpha = info.alphaLength;
    if (m_book.ef == kAdnFile || alpha < m_limit.maxNameLength) m_limit.maxNameLength = alpha;
    m_limit.maxNameLength = std::min(m_limit.maxNameLength, kMaxNameCharacters);
    m_viewSort = SortColumn::ItemNumber;
    return done;
}

bool PhoneBookTable::WriteToCard(card::CardSession& session, card::ProgressOwner owner) {
    if (m_positionCount == 0) {
        Show(m_ui, kWindowEmpty);
        return false;
    }
    if (m_settings.confirm && !AskYes(m_ui, kWriteQuestion)) return false;
    PhoneBookWriteReport report;
    const bool fixedDialing = m_book.ef == kFdnFile;
    return RunOnCard(
        session, owner, m_book.writeTitleId, m_book.writeNeedsChv2,
        [&] {
            card::EfInformation adn;
            return WritePhoneBook(session, m_book.ef, std::span(m_positions).first(m_positionCount), report) &&
                   (!fixedDialing || session.FileHeader(kTelecom, kAdnFile, adn));
        },
        [&] { ShowCardError(session, false); });
}

std::optional<EntryForm> PhoneBookTable::BeginEdit(const RowSelection& selection) const {
    if (selection.selected.empty()) return std::nullopt;
    if (selection.selected.size() > 1) {
        Show(m_ui, kEditOneOnly);
        return std::nullopt;
    }
    const std::size_t row = selection.selected.front();
    if (row >= m_positionCount) return std::nullopt;
    const PhoneBookEntry& entry = m_positions[row];
    EntryForm form;
    form.itemNumber = std::to_string(entry.index + 1);
    if (entry.used != 0) {
        form.name = NameIn(entry, card::TextForm::Display);
        form.number = ShownNumber(entry);
    }
    return form;
}

bool PhoneBookTable::ApplyEdit(std::size_t row, const EntryForm& form) {
    if (row >= m_positionCount) return true;
    if (form.number.empty() || !IsValidNumber(form.number)) {
        Show(m_ui, kBadNumber);
        return false;
    }
    const long item = ParseDecimal(form.itemNumber);
    if (item < 1 || item > static_cast<long>(m_positionCount)) {
        Show(m_ui, kBadItemNumber);
        return false;
    }
    const PhoneBookEntry edited = m_positions[row];
    // What the user left as it was keeps the entry's own bytes ('@' and UCS2 names, a national
    // type of number): only typed text is encoded afresh.
    const bool sameName = edited.used != 0 && form.name == NameIn(edited, card::TextForm::Display);
    const bool sameNumber = edited.used != 0 && form.number == ShownNumber(edited);
    const std::optional<std::u32string> name = card::TextFromUtf8(form.name);
    const std::size_t room = m_limit.maxNameLength == 0 ? kMaxNameCharacters : m_limit.maxNameLength;
    if (!name || name->empty() || name->size() > kMaxNameCharacters || (!sameName && !NameBytesLeft(*name, room))) {
        Show(m_ui, kBadName);
        return false;
    }

    const auto shown = std::span(m_positions).first(m_positionCount);
    const auto found =
        std::find_if(shown.begin(), shown.end(), [&](const PhoneBookEntry& entry) { return entry.index == item - 1; });
    const std::size_t target = found != shown.end() ? static_cast<std::size_t>(found - shown.begin()) : row;
    PhoneBookEntry result = edited;
    if (target != row) {
        PhoneBookEntry& old = m_positions[target];
        if (old.used != 0 && !AskYes(m_ui, kOverwriteQuestion)) return false;
        // The ids travel with the entry; the emptied position takes the target's.
        PhoneBookEntry& source = m_positions[row];
        Clear(source);
        source.capabilityId = old.capabilityId;
        source.extensionId = old.extensionId;
        result.index = old.index;
    }
    if (!sameName) SetNameText(result, *name, room);
    if (!sameNumber) {
        std::string digits;
        SplitInternational(form.number, digits, result.ton, sizeof result.number);
        CopyBounded(result.number, sizeof result.number, digits);
        if (edited.used == 0) result.npi = card::kIsdnTelephonyPlan;
    }
    result.used = 1;
    result.modified = 1;
    result.inTransfer = 0;
    m_positions[target] = result;
    return true;
}

void PhoneBookTable::SortView(SortColumn column) {
    m_viewSort = column;
    if (column == SortColumn::ItemNumber) {
        SortByIndex();
    } else {
        SortByText(std::span(m_positions).first(m_positionCount), column);
    }
}

ItemRange PhoneBookTable::DefaultRange(const RowSelection& selection) const {
    return card::DefaultItemRange(m_positionCount, selection.First(), selection.Last());
}

bool PhoneBookTable::SortRange(ItemRange range) {
    const long count = static_cast<long>(m_positionCount);
    if (range.from < 1 || range.from > count || range.to < 1 || range.to > count || range.to <= range.from) {
        Show(m_ui, kSortOutOfRange);
        return false;
    }
    SortByIndex();
    const auto sorted = std::span(m_positions).subspan(range.from - 1, range.to - range.from + 1);
    SortByText(sorted, SortColumn::Name);
    for (PhoneBookEntry& entry : sorted) entry.modified = entry.used != 0 ? 1 : entry.modified;
    for (std::size_t position = 0; position < kTablePositions; ++position) {
        m_positions[position].index = static_cast<std::uint16_t>(position);
    }
    return true;
}

void PhoneBookTable::ClearAll() {
    if (m_settings.confirm && card::AnyUsed(m_positions) && !AskYes(m_ui, kClearAllQuestion)) return;
    for (PhoneBookEntry& entry : m_positions) Clear(entry);
}

void PhoneBookTable::ClearSelected(const RowSelection& selection) {
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

std::optional<std::size_t> PhoneBookTable::Insert(const RowSelection& selection) {
    if (selection.selected.empty() || selection.selected.front() >= m_positionCount) {
        Show(m_ui, kInsertNeedsSelection);
        return std::nullopt;
    }
    const auto shown = std::span(m_positions).first(m_positionCount);
    if (!card::LastPositionFree<PhoneBookEntry>(shown)) {
        Show(m_ui, kInsertLastOccupied);
        return std::nullopt;
    }
    const std::size_t row = selection.selected.front();
    card::InsertEmptyAt(shown, row);
    return row;
}

void PhoneBookTable::Delete(const RowSelection& selection) {
    if (selection.selected.empty()) {
        if (m_settings.confirm) Show(m_ui, kDeleteNothingSelected);
        return;
    }
    card::DeleteRows(
        std::span(m_positions).first(m_positionCount), selection,
        [&] { return !m_settings.confirm || AskYes(m_ui, kDeleteUsedQuestion); }, EmptyPosition);
}

std::vector<std::size_t> PhoneBookTable::SelectAll() const {
    return card::UsedRows<PhoneBookEntry>(std::span(m_positions).first(m_positionCount));
}

std::optional<std::vector<std::size_t>> PhoneBookTable::SelectRange(const SelectRequest& request) const {
    return card::RowsInRange<PhoneBookEntry>(std::span(m_positions).first(m_positionCount), request.range,
                                             request.includeEmpty, m_ui);
}

bool PhoneBookTable::ConfirmClose(std::int32_t messageId, bool& asked) const {
    return card::ConfirmClose(messageId, m_settings.confirm, HasUnsavedChanges(), asked, m_ui);
}

bool PhoneBookTable::AddCode(const AddCodeRequest& request) {
    const bool performed = phonebook::AddCode(std::span(m_positions).first(m_positionCount), request, m_ui).performed;
    // It counts its range in card order.
    if (performed) m_viewSort = SortColumn::ItemNumber;
    return performed;
}

void PhoneBookTable::Internationalize(ItemRange range) {
    const InternationalSettings settings{m_settings.intNumber, m_settings.intSelector};
    phonebook::Internationalize(std::span(m_positions).first(m_positionCount), range, settings, m_ui);
}

bool PhoneBookTable::CheckSaveRange(ItemRange range) const {
    return phonebook::CheckSaveRange(Unsigned(range.from), Unsigned(range.to), static_cast<unsigned>(m_positionCount),
                                     m_ui);
}

bool PhoneBookTable::SaveFile(const std::string& path, ItemRange range) {
    if (!CheckSaveRange(range)) return false;
    SortByIndex();
    return WriteDiaFile(path, std::span(m_positions).first(m_positionCount), Unsigned(range.from), Unsigned(range.to),
                        m_ui);
}

bool PhoneBookTable::ConfirmOpenFile() const {
    return card::ConfirmReplaceWindow(card::AnyUsed(std::span(m_positions).first(m_positionCount)), m_settings.confirm,
                                      m_ui);
}

void PhoneBookTable::OpenFile(const std::string& path) {
    const DiaReadOptions options{DiaReadMode::Open, 1, false, m_settings.confirm};
    if (ReadFileInto(path, options, m_positions, m_positionCount, m_ui)) m_viewSort = SortColumn::ItemNumber;
}

void PhoneBookTable::OpenPositions(std::span<const PhoneBookEntry> positions, std::size_t count) {
    m_positionCount = std::min({count, positions.size(), kTablePositions});
    for (std::size_t position = 0; position < kTablePositions; ++position) {
        PhoneBookEntry& entry = m_positions[position];
        entry = position < m_positionCount ? positions[position] : EmptyPosition(static_cast<std::uint16_t>(position));
        entry.modified = entry.used != 0 ? 1 : 0;
    }
    m_viewSort = SortColumn::ItemNumber;
}

AddFromFileRequest PhoneBookTable::DefaultAddFromFile(const RowSelection& selection) const {
    return {selection.focused >= 0 ? selection.focused + 1 : 1, false};
}

bool PhoneBookTable::CheckAddFromFile(const AddFromFileRequest& request) const {
    return CheckAddStart(Unsigned(request.from), static_cast<unsigned>(m_positionCount), m_ui);
}

void PhoneBookTable::AddFromFile(const std::string& path, const AddFromFileRequest& request) {
    const DiaReadOptions options{DiaReadMode::Add, Unsigned(request.from), request.includeEmpty, m_settings.confirm};
    if (ReadFileInto(path, options, m_positions, m_positionCount, m_ui)) m_viewSort = SortColumn::ItemNumber;
}

std::optional<PhoneBookEntry> PhoneBookTable::SelectedEntry(const RowSelection& selection) const {
    if (selection.selected.size() != 1 || selection.selected.front() >= m_positionCount) return std::nullopt;
    return m_positions[selection.selected.front()];
}

std::optional<ClipboardContent> PhoneBookTable::CopyEntries(const RowSelection& selection, bool cut,
                                                            std::uint32_t source) {
    const std::vector<PhoneBookEntry> entries =
        card::SelectedEntries<PhoneBookEntry>(std::span(m_positions).first(m_positionCount), selection);
    if (!card::AnyUsed(entries)) return std::nullopt;
    ClipboardContent content{PackDialPayload(source, entries), DialEntriesAsText(entries)};
    if (cut) {
        for (const std::size_t row : selection.selected) {
            if (row < m_positionCount && m_positions[row].used != 0) Clear(m_positions[row]);
        }
    }
    return content;
}

void PhoneBookTable::PasteText(std::string_view text, const RowSelection& selection) {
    if (selection.focused < 0) return;
    const std::size_t nameLimit = m_limit.maxNameLength == 0 ? kMaxNameCharacters : m_limit.maxNameLength;
    PastedText pasted(text);
    bool overwriteAgreed = false;
    for (auto position = static_cast<std::size_t>(selection.focused); !pasted.AtEnd(); ++position) {
        PastedLine line;
        std::uint32_t problem = pasted.Next(nameLimit, line);
        PhoneBookEntry entry{};
        // A name of few characters may still take more of the card's bytes than its records hold.
        if (problem == 0 && !SetNameText(entry, line.name, nameLimit)) problem = kNameTooLong;
        if (problem == 0 && position >= m_positionCount) problem = kTooManyItems;
        if (problem != 0) {
            Show(m_ui, problem);
            return;
        }
        PhoneBookEntry& target = m_positions[position];
        if (target.used != 0 && !overwriteAgreed) {
            if (!AskYes(m_ui, kTargetUsedQuestion, QuestionButtons::YesNo)) return;
            overwriteAgreed = true;
        }
        entry.index = target.index;
        std::string digits;
        SplitInternational(line.number, digits, entry.ton, sizeof entry.number);
        CopyBounded(entry.number, sizeof entry.number, digits);
        entry.npi = card::kIsdnTelephonyPlan;  // as phones store numbers
        entry.used = 1;
        entry.modified = 1;
        target = entry;
    }
}

std::optional<std::vector<std::uint8_t>> PhoneBookTable::BeginDrag(const RowSelection& selection,
                                                                   std::uint32_t source) {
    const std::vector<PhoneBookEntry> entries =
        card::SelectedEntries<PhoneBookEntry>(std::span(m_positions).first(m_positionCount), selection);
    if (!card::AnyUsed(entries)) return std::nullopt;
    card::MarkInTransfer(std::span(m_positions).first(m_positionCount), selection);
    return PackDialPayload(source, entries);
}

void PhoneBookTable::EndDrag(bool moved) { card::EndTransfer(m_positions, moved, Clear); }

bool PhoneBookTable::DropPayload(const DialPayload& payload, std::size_t row) {
    const card::DropOutcome outcome = card::DropEntries(
        std::span(m_positions).first(m_positionCount), row, std::span<const PhoneBookEntry>(payload.entries),
        [&] { return !m_settings.confirm || AskYes(m_ui, kTargetUsedQuestion, QuestionButtons::YesNo); },
        [](std::vector<PhoneBookEntry>&) {});
    if (outcome == card::DropOutcome::PlacedSome) Show(m_ui, kBeyondCapacity, MessageIcon::Exclamation);
    return outcome != card::DropOutcome::Refused;
}

FindResult PhoneBookTable::FindReplace(FindOperation operation, const FindRequest& request,
                                       const RowSelection& selection, const AskReplace& ask) {
    return RunFindReplace(std::span(m_positions).first(m_positionCount), operation, request, selection.First(), m_ui,
                          ask);
}

void PhoneBookTable::SortByIndex() {
    m_viewSort = SortColumn::ItemNumber;
    std::stable_sort(m_positions.begin(), m_positions.begin() + static_cast<std::ptrdiff_t>(m_positionCount),
                     [](const PhoneBookEntry& a, const PhoneBookEntry& b) { return a.index < b.index; });
}

void PhoneBookTable::ShowCardError(const card::CardSession& session, bool reading) const {
    if (reading && m_book.ef == kAdnFile && session.LastResult() == reader::result::kInaccessibleRecord) {
        Show(m_ui, kPasswordProtected);
        return;
    }
    m_ui.ShowMessage(session.FormatLastError(), MessageIcon::Error);
}

}  // namespace quillet::phonebook
