#include "sms/SmsTable.h"

namespace quillet::sms {

SmsTable::SmsTable(card::UserInterface& ui) : m_ui(ui) {
    for (std::size_t row = 0; row < kSmsPositions; ++row)
        m_positions[row] = MakeEmptySmsEntry(static_cast<std::uint16_t>(row));
}
SmsRowText SmsTable::RowTextOf(std::size_t) const { return {}; }
SmsDetailText SmsTable::DetailOf(std::size_t) const { return {}; }
bool SmsTable::HasUnsavedChanges() const { return false; }
bool SmsTable::ReadFromCard(card::CardSession&, card::ProgressOwner) { return false; }
bool SmsTable::WriteToCard(card::CardSession&, card::ProgressOwner) { return false; }
std::optional<SmsEntry> SmsTable::BeginEdit(const card::RowSelection&) const { return std::nullopt; }
bool SmsTable::ApplyEdit(std::size_t, SmsEntry, const SmsEditForm&) { return false; }
void SmsTable::ClearAll() {}
void SmsTable::ClearSelected(const card::RowSelection&) {}
std::optional<std::size_t> SmsTable::Insert(const card::RowSelection&) { return std::nullopt; }
void SmsTable::Delete(const card::RowSelection&) {}
std::vector<std::size_t> SmsTable::SelectAll() const { return {}; }
card::ItemRange SmsTable::DefaultRange(const card::RowSelection&) const { return {}; }
std::optional<std::vector<std::size_t>> SmsTable::SelectRange(card::ItemRange, bool) const { return std::nullopt; }
bool SmsTable::ConfirmClose(std::int32_t, bool& asked) const {
    asked = false;
    return true;
}
bool SmsTable::SaveFile(const std::string&) { return false; }
bool SmsTable::AddToFile(const std::string&) { return false; }
bool SmsTable::ConfirmOpenFile() const { return true; }
void SmsTable::OpenFile(const std::string&) {}
std::optional<card::ClipboardContent> SmsTable::CopyEntries(const card::RowSelection&, bool, std::uint32_t) {
    return std::nullopt;
}
void SmsTable::PasteText(std::string_view, const card::RowSelection&) {}
std::optional<std::vector<std::uint8_t>> SmsTable::BeginDrag(const card::RowSelection&, std::uint32_t) {
    return std::nullopt;
}
void SmsTable::EndDrag(bool) {}
bool SmsTable::DropPayload(const SmsPayload&, std::size_t) { return false; }

}  // namespace quillet::sms
