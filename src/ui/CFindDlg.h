#pragma once

#include <QDialog>
#include <memory>

#include "app/AppSettings.h"
#include "app/SettingsStore.h"
#include "card/UserInterface.h"
#include "phonebook/FindReplace.h"

namespace Ui {
class CFindDlg;
}

namespace quillet::ui {

// "Quillet! - Find / Replace": the search text, the replace text and the field to look in. It starts
// from the stored values; Find and Replace check the search text (the dialog stays open without
// one), store the three values and end with the chosen operation.
class CFindDlg final : public QDialog {
    Q_OBJECT

public:
    CFindDlg(QWidget* parent, app::AppSettings& settings, app::SettingsStore& store, card::UserInterface& ui);
    ~CFindDlg() override;

    // The fields as typed.
    phonebook::FindRequest Request() const;
    // Find or Replace once the dialog was accepted; None after Close.
    phonebook::FindOperation Operation() const { return m_operation; }

private:
    void Choose(phonebook::FindOperation operation);

    std::unique_ptr<Ui::CFindDlg> m_ui;
    app::AppSettings& m_settings;
    app::SettingsStore& m_store;
    card::UserInterface& m_messages;
    phonebook::FindOperation m_operation = phonebook::FindOperation::None;
};

}  // namespace quillet::ui
