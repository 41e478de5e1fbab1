#include "phonebook/PhoneBookTable.h"
#include "sms/SmsTable.h"
#include "ui/EntryTransfer.h"

namespace quillet::ui {

namespace {

// A table's commands behind the transfer's interface; the tables share the names of their
// commands, their payloads differ.
template <class Table, class Payload, std::optional<Payload> (*Parse)(std::span<const std::uint8_t>)>
class TableDocument final : public TransferDocument {
public:
    explicit TableDocument(std::function<Table&()> ready) : m_ready(std::move(ready)) {}

    std::optional<card::ClipboardContent> CopyEntries(const card::RowSelection& selection, bool cut,
                                                      std::uint32_t source) override {
        return m_ready().CopyEntries(selection, cut, source);
    }
    void PasteText(std::string_view text, const card::RowSelection& selection) override {
        m_ready().PasteText(text, selection);
    }
    std::optional<std::vector<std::uint8_t>> BeginDrag(const card::RowSelection& selection,
                                                       std::uint32_t source) override {
        return m_ready().BeginDrag(selection, source);
    }
    void EndDrag(bool moved) override { m_ready().EndDrag(moved); }
    std::optional<std::uint32_t> PayloadSource(std::span<const std::uint8_t> payload) const override {
        const std::optional<Payload> parsed = Parse(payload);
        return parsed ? std::optional<std::uint32_t>(parsed->source) : std::nullopt;
    }
    bool Drop(std::span<const std::uint8_t> payload, std::size_t row) override {
        const std::optional<Payload> parsed = Parse(payload);
        return parsed && m_ready().DropPayload(*parsed, row);
    }

private:
    std::function<Table&()> m_ready;
};

}  // namespace

std::unique_ptr<TransferDocument> PhoneBookDocument(std::function<phonebook::PhoneBookTable&()> ready) {
    return std::make_unique<
        TableDocument<phonebook::PhoneBookTable, phonebook::DialPayload, phonebook::ParseDialPayload>>(
        std::move(ready));
}

std::unique_ptr<TransferDocument> SmsDocument(std::function<sms::SmsTable&()> ready) {
    return std::make_unique<TableDocument<sms::SmsTable, sms::SmsPayload, sms::ParseSmsPayload>>(std::move(ready));
}

}  // namespace quillet::ui
