#pragma once

#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "phonebook/EntryName.h"
#include "phonebook/PhoneBookTable.h"
#include "support/ScriptedUserInterface.h"
#include "ui/EntryListModel.h"
#include "ui/EntryListView.h"
#include "ui/EntryTransfer.h"

namespace quillet::testing {

// Entries (name, number with its '+') packed as if dragged from another list.
inline phonebook::DialPayload EntriesPayload(const std::vector<std::pair<std::u32string, std::string>>& entries) {
    phonebook::DialPayload payload;
    for (const auto& [name, number] : entries) {
        phonebook::PhoneBookEntry entry = phonebook::EmptyPosition(0);
        phonebook::SetNameText(entry, name, phonebook::kMaxNameBytes);
        const bool international = !number.empty() && number.front() == '+';
        std::snprintf(entry.number, sizeof entry.number, "%s", number.c_str() + (international ? 1 : 0));
        entry.ton = international ? 1 : 0;
        entry.used = 1;
        payload.entries.push_back(entry);
    }
    return payload;
}

// A phone book window reduced to what the clipboard and drag and drop use: a table of 250 empty
// positions shown in a list, with the transfer object the real windows hold.
class TransferBook {
public:
    TransferBook(ScriptedUserInterface& ui, phonebook::NameLimit& limit) : table(phonebook::kPhoneBookBook, ui, limit) {
        list = new ui::EntryListView(&window);
        model = new ui::EntryListModel(
            {"Item nr", "Name", "Tel. number"}, [this] { return static_cast<int>(table.PositionCount()); },
            [this](int row, int column) {
                const phonebook::RowText text = table.RowTextOf(static_cast<std::size_t>(row));
                return QString::fromStdString(column == 0 ? text.item : column == 1 ? text.name : text.number);
            },
            &window);
        list->SetEntryModel(model);
        transfer = new ui::EntryTransfer(
            list, ui::kDialClipboardFormat,
            ui::PhoneBookDocument([this]() -> phonebook::PhoneBookTable& { return Ready(); }),
            [this] { model->Refresh(); }, &window);
        (new QVBoxLayout(&window))->addWidget(list);
        window.resize(400, 300);
        model->Refresh();
    }

    // Puts entries (name, number with its '+') at the rows from `row` on.
    void Fill(std::size_t row, const std::vector<std::pair<std::u32string, std::string>>& entries) {
        Ready().DropPayload(EntriesPayload(entries), row);
        model->Refresh();
    }
    phonebook::PhoneBookTable& Ready() {
        table.SetSettings({confirm, "49", "00"});
        return table;
    }
    std::string Name(std::size_t row) const { return table.RowTextOf(row).name; }
    bool Used(std::size_t row) const { return table.At(row).used != 0; }

    QWidget window;
    phonebook::PhoneBookTable table;
    ui::EntryListView* list = nullptr;
    ui::EntryListModel* model = nullptr;
    ui::EntryTransfer* transfer = nullptr;
    bool confirm = false;
};

}  // namespace quillet::testing
