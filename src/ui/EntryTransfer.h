#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "card/EditorSelection.h"

class QMimeData;

namespace quillet::phonebook {
class PhoneBookTable;
}
namespace quillet::sms {
class SmsTable;
}

namespace quillet::ui {

class EntryListView;

// The private clipboard formats of the phone book and message windows; a Windows build registers
// the same names.
extern const QString kDialClipboardFormat;
extern const QString kSmsClipboardFormat;

// A window's document as the clipboard and drag and drop see it: its entries packed into and
// taken from the private payload, and text from other programs.
class TransferDocument {
public:
    virtual ~TransferDocument() = default;

    // Copy and Cut: nothing, and nothing cut, when no selected position is used.
    virtual std::optional<card::ClipboardContent> CopyEntries(const card::RowSelection& selection, bool cut,
                                                              std::uint32_t source) = 0;
    // UTF-8 text from another program, from the focused row on.
    virtual void PasteText(std::string_view text, const card::RowSelection& selection) = 0;
    // The start of a drag: the payload, or nothing when no selected position is used.
    virtual std::optional<std::vector<std::uint8_t>> BeginDrag(const card::RowSelection& selection,
                                                               std::uint32_t source) = 0;
    virtual void EndDrag(bool moved) = 0;
    // The source token of a payload; nothing when the payload cannot be read.
    virtual std::optional<std::uint32_t> PayloadSource(std::span<const std::uint8_t> payload) const = 0;
    // A drop, or a paste of the private payload, at `row`: false when nothing was placed.
    virtual bool Drop(std::span<const std::uint8_t> payload, std::size_t row) = 0;
};

// The documents of the two kinds of windows, each reached through a function that returns the
// table ready for a command (settings set).
std::unique_ptr<TransferDocument> PhoneBookDocument(std::function<phonebook::PhoneBookTable&()> ready);
std::unique_ptr<TransferDocument> SmsDocument(std::function<sms::SmsTable&()> ready);

// Moves a window's entries through the clipboard and by drag and drop: Copy, Cut and Paste (the
// private payload with its UTF-8 plain text, or plain text from other programs), drags started
// from the list, and drops on it with their highlight and scrolling. `refresh` shows the
// document again after a change.
class EntryTransfer final : public QObject {
    Q_OBJECT

public:
    using Refresh = std::function<void()>;

    EntryTransfer(EntryListView* list, QString format, std::unique_ptr<TransferDocument> document, Refresh refresh,
                  QObject* parent);
    ~EntryTransfer() override;

    void Copy(bool cut);
    void Paste();

    // This list's token in payloads: unique among the lists of every running copy of the program.
    std::uint32_t SourceToken() const { return m_source; }

private:
    EntryListView* m_list;
    QString m_format;
    std::shared_ptr<TransferDocument> m_document;
    Refresh m_refresh;
    std::uint32_t m_source;
};

}  // namespace quillet::ui
