#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "phonebook/PhoneBookTable.h"

class QMimeData;

namespace quillet::ui {

class EntryListView;

// The private clipboard format of the phone book windows; a Windows build registers the same name.
extern const QString kDialClipboardFormat;

// Moves a phone book window's entries through the clipboard and by drag and drop: Copy, Cut and
// Paste (the private payload with its UTF-8 plain text, or plain text from other programs), drags
// started from the list, and drops on it with their highlight and scrolling. The window hands it
// its list and a function that returns the table ready for a command (settings set); `refresh`
// shows the table again after a change.
class EntryTransfer final : public QObject {
    Q_OBJECT

public:
    using ReadyTable = std::function<phonebook::PhoneBookTable&()>;
    using Refresh = std::function<void()>;

    EntryTransfer(EntryListView* list, ReadyTable ready, Refresh refresh, QObject* parent);
    ~EntryTransfer() override;

    void Copy(bool cut);
    void Paste();

    // This list's token in payloads: unique among the lists of every running copy of the program.
    std::uint32_t SourceToken() const { return m_source; }

private:
    EntryListView* m_list;
    ReadyTable m_ready;
    Refresh m_refresh;
    std::uint32_t m_source;
};

}  // namespace quillet::ui
