#include "backup/NetworkListEditor.h"

#include <cstdio>

#include "backup/NetworkList.h"
#include "backup/OperatorTable.h"
#include "card/FinishCardCommand.h"
#include "resources/StringTable.h"

namespace quillet::backup {

namespace {

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kWorkingTitle = 5106;
constexpr std::uint32_t kReadingPreferred = 5009;
constexpr std::uint32_t kReadingForbidden = 5019;
constexpr std::uint32_t kWritingPreferred = 5010;
constexpr std::uint32_t kWritingForbidden = 5020;
constexpr std::uint32_t kWriteQuestion = 58060;
constexpr unsigned kTransferPercent = 70;
constexpr std::size_t kMaxCodeDigits = 3;

// The frame of both transfers: progress window, card session, the transfer, and the common ending;
// a failure is shown with the error icon.
template <typename Transfer>
bool RunTransfer(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner, std::uint32_t textId,
                 Transfer transfer) {
    session.BeginProgress(owner, kInitializing, kWorkingTitle);
    bool succeeded = session.BeginSession(true, false, true);
    if (succeeded) {
        session.StepProgress(textId, kTransferPercent);
        succeeded = transfer();
    }
    if (!card::FinishCardCommand(session, succeeded, false)) {
        ui.ShowMessage(session.FormatLastError(), card::MessageIcon::Error);
        return false;
    }
    return true;
}

// A code field as a number: one to three decimal digits, spaces around them allowed. `digits`
// tells how many were typed.
std::optional<std::uint32_t> FieldNumber(std::string_view field, std::size_t& digits) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    field = field.substr(first, field.find_last_not_of(' ') - first + 1);
    if (field.size() > kMaxCodeDigits) return std::nullopt;
    std::uint32_t number = 0;
    for (const char digit : field) {
        if (digit < '0' || digit > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint32_t>(digit - '0');
    }
    digits = field.size();
    return number;
}

// Zero-padded to `width` digits (2 or 3).
std::string Padded(std::uint32_t number, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, number);
    return text;
}

}  // namespace

std::string FormatMcc(std::uint32_t mcc) { return Padded(mcc, 3); }

std::string FormatMnc(std::uint32_t mnc, bool threeDigits) { return Padded(mnc, threeDigits ? 3 : 2); }

bool NetworkListEditor::Read(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner) {
    return RunTransfer(session, ui, owner, m_forbidden ? kReadingForbidden : kReadingPreferred,
                       [&] { return ReadNetworkList(session, m_slots, m_forbidden); });
}

bool NetworkListEditor::Write(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner,
                              bool confirm) {
    if (m_slots.empty()) return false;
    if (confirm &&
        ui.AskQuestion(resources::LoadString(kWriteQuestion), card::QuestionButtons::YesNo) != card::Answer::Yes) {
        return false;
    }
    // A list longer than the card's file is refused whole when a network would not fit.
    const bool written = RunTransfer(session, ui, owner, m_forbidden ? kWritingForbidden : kWritingPreferred,
                                     [&] { return WriteNetworkList(session, m_slots, m_forbidden); });
    for (PlmnEntry& entry : m_slots) entry.modified = 0;
    return written;
}

NetworkCodeTexts NetworkListEditor::FieldTexts(std::size_t slot) const {
    if (slot >= m_slots.size() || m_slots[slot].valid == 0) return {};
    const PlmnEntry& entry = m_slots[slot];
    return {FormatMcc(entry.mcc), FormatMnc(entry.mnc, entry.HasThreeDigitMnc())};
}

void NetworkListEditor::Edit(std::size_t slot, std::string_view mccField, std::string_view mncField) {
    if (slot >= m_slots.size()) return;
    PlmnEntry& entry = m_slots[slot];
    std::size_t digits = 0;
    if (const std::optional<std::uint32_t> mcc = FieldNumber(mccField, digits)) entry.mcc = *mcc;
    if (const std::optional<std::uint32_t> mnc = FieldNumber(mncField, digits)) {
        entry.mnc = *mnc;
        entry.threeDigitMnc = digits == kMaxCodeDigits ? 1 : 0;
    }
    entry.valid = 1;
    entry.modified = 1;
}

void NetworkListEditor::Delete(std::size_t slot) {
    if (slot >= m_slots.size()) return;
    m_slots[slot].valid = 0;
    m_slots[slot].modified = 1;
}

void NetworkListEditor::DeleteAll() {
    for (std::size_t slot = 0; slot < m_slots.size(); ++slot) Delete(slot);
}

std::string NetworkListEditor::RowText(std::size_t slot) const {
    std::string text = std::to_string(slot + 1);
    if (slot >= m_slots.size() || m_slots[slot].valid == 0) return text;
    const PlmnEntry& entry = m_slots[slot];
    if (entry.modified != 0) text += '*';
    text += '\t' + FormatMcc(entry.mcc) + '-' + FormatMnc(entry.mnc, entry.HasThreeDigitMnc());
    std::string_view name;
    if (LookupOperatorName(entry.mcc, entry.mnc, name)) {
        text += '\t';
        text += name;
    }
    return text;
}

NetworkListButtons NetworkListEditor::Buttons(std::optional<std::size_t> selected) const {
    NetworkListButtons buttons;
    buttons.write = buttons.removeAll = !m_slots.empty();
    if (selected && *selected < m_slots.size()) {
        buttons.edit = true;
        buttons.remove = m_slots[*selected].valid != 0;
    }
    return buttons;
}

}  // namespace quillet::backup
