#include "ui/EntryTransfer.h"

#include <unistd.h>

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <set>

#include "card/GsmText.h"
#include "resources/StringTable.h"
#include "ui/Cp1250.h"
#include "ui/EntryListView.h"
#include "ui/MessageBoxes.h"

namespace quillet::ui {

const QString kDialClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"Quillet_Dial\"");
const QString kSmsClipboardFormat = QStringLiteral("application/x-qt-windows-mime;value=\"Quillet_SMS\"");

namespace {

// "The entries on the clipboard cannot be read."
constexpr std::uint32_t kUnreadableEntriesId = 58050;

// Text pasted from another program is read up to this size.
constexpr qsizetype kMaxPastedText = 1 << 20;

// A token is the process id with a list number below it: Linux process ids take at most 22 bits.
constexpr unsigned kListBits = 10;
constexpr std::uint32_t kListMask = (1u << kListBits) - 1;

// The tokens of this process's lists that are open now.
std::set<std::uint32_t>& LiveTokens() {
    static std::set<std::uint32_t> tokens;
    return tokens;
}

std::uint32_t NewSourceToken() {
    static std::uint32_t next = 0;
    const std::uint32_t process = static_cast<std::uint32_t>(getpid()) << kListBits;
    std::uint32_t token = process;
    // A number still held by an open list is skipped when the numbers wrap.
    for (std::uint32_t tries = 0; tries <= kListMask; ++tries) {
        token = process | (next++ & kListMask);
        if (LiveTokens().insert(token).second) break;
    }
    return token;
}

card::RowSelection SelectionOf(const EntryListView& list) { return {list.SelectedRows(), list.FocusedRow()}; }

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

std::span<const std::uint8_t> BytesOf(const QByteArray& bytes) {
    return std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
}

// Text from another program: UTF-8 when it is valid UTF-8, else Windows-1250, the way older
// programs put their 8-bit text there; it ends at a zero byte as such programs' text does.
std::string PlainTextOf(const QMimeData& data) {
    QByteArray raw = data.data(QStringLiteral("text/plain"));
    if (raw.isEmpty()) raw = data.text().toUtf8();
    const qsizetype end = raw.indexOf('\0');
    if (end >= 0) raw.truncate(end);
    // A window takes at most 250 lines; far more text than that is cut after a whole line.
    if (raw.size() > kMaxPastedText) raw.truncate(raw.lastIndexOf('\n', kMaxPastedText - 1) + 1);
    const std::string_view bytes(raw.constData(), static_cast<std::size_t>(raw.size()));
    if (card::TextFromUtf8(bytes)) return std::string(bytes);
    return FromCp1250(bytes).toStdString();
}

// The window's side of the list's drags and drops.
class TransferPartner final : public EntryListView::DragPartner {
public:
    TransferPartner(EntryListView& list, QString format, std::shared_ptr<TransferDocument> document,
                    EntryTransfer::Refresh refresh, std::uint32_t source)
        : m_list(list),
          m_format(std::move(format)),
          m_document(std::move(document)),
          m_refresh(std::move(refresh)),
          m_source(source) {}

    void StartDrag() override {
        const std::optional<std::vector<std::uint8_t>> payload = m_document->BeginDrag(SelectionOf(m_list), m_source);
        if (!payload) return;
        auto* data = new QMimeData;
        data->setData(m_format, ToByteArray(*payload));
        auto* drag = new QDrag(&m_list);
        drag->setMimeData(data);
        const Qt::DropAction result = m_list.RunDrag(*drag);
        m_document->EndDrag(result == Qt::MoveAction);
        m_refresh();
    }

    // Rows dragged within their own list move unless Ctrl is held; rows from any other list are copied.
    Qt::DropAction DropAction(const QMimeData& data, Qt::KeyboardModifiers modifiers) const override {
        if (!data.hasFormat(m_format)) return Qt::IgnoreAction;
        const std::optional<std::uint32_t> source = m_document->PayloadSource(BytesOf(data.data(m_format)));
        if (!source) return Qt::IgnoreAction;
        const bool own = *source == m_source;
        return own && !modifiers.testFlag(Qt::ControlModifier) ? Qt::MoveAction : Qt::CopyAction;
    }

    bool Drop(const QMimeData& data, int row) override {
        if (row < 0 || !data.hasFormat(m_format)) return false;
        const bool placed = m_document->Drop(BytesOf(data.data(m_format)), static_cast<std::size_t>(row));
        m_refresh();
        return placed;
    }

private:
    EntryListView& m_list;
    QString m_format;
    std::shared_ptr<TransferDocument> m_document;
    EntryTransfer::Refresh m_refresh;
    std::uint32_t m_source;
};

}  // namespace

EntryTransfer::EntryTransfer(EntryListView* list, QString format, std::unique_ptr<TransferDocument> document,
                             Refresh refresh, QObject* parent)
    : QObject(parent),
      m_list(list),
      m_format(std::move(format)),
      m_document(std::move(document)),
      m_refresh(std::move(refresh)),
      m_source(NewSourceToken()) {
    m_list->SetDragPartner(std::make_unique<TransferPartner>(*m_list, m_format, m_document, m_refresh, m_source));
}

EntryTransfer::~EntryTransfer() { LiveTokens().erase(m_source); }

void EntryTransfer::Copy(bool cut) {
    const std::optional<card::ClipboardContent> content = m_document->CopyEntries(SelectionOf(*m_list), cut, m_source);
    if (!content) return;
    auto* data = new QMimeData;
    data->setData(m_format, ToByteArray(content->payload));
    data->setText(QString::fromStdString(content->text));
    QGuiApplication::clipboard()->setMimeData(data);
    if (cut) m_refresh();
}

void EntryTransfer::Paste() {
    const card::RowSelection selection = SelectionOf(*m_list);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (selection.focused < 0 || data == nullptr) return;
    if (data->hasFormat(m_format)) {
        const QByteArray payload = data->data(m_format);
        if (m_document->PayloadSource(BytesOf(payload))) {
            m_document->Drop(BytesOf(payload), static_cast<std::size_t>(selection.focused));
            m_refresh();
            return;
        }
        // Entries this program cannot read: their plain text, when it came along, still can be.
        if (!data->hasText()) {
            ShowMessageBox(m_list->window(), resources::LoadString(kUnreadableEntriesId),
                           card::MessageIcon::Exclamation);
            return;
        }
    }
    if (!data->hasText()) return;
    m_document->PasteText(PlainTextOf(*data), selection);
    m_refresh();
}

}  // namespace quillet::ui
