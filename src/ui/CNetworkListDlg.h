#pragma once

#include <QDialog>
#include <cstddef>
#include <memory>
#include <optional>

#include "backup/NetworkListEditor.h"

namespace Ui {
class CNetworkListDlg;
}

namespace quillet::ui {

class CMainApp;

// "Quillet! - Preferred Networks" / "Quillet! - Forbidden Networks": the card's network list, read
// as the dialog opens, edited slot by slot and written back whole. Closing asks nothing.
class CNetworkListDlg final : public QDialog {
    Q_OBJECT

public:
    CNetworkListDlg(CMainApp& app, bool forbidden, QWidget* parent);
    ~CNetworkListDlg() override;

    void ReadFromSim();
    void WriteToSim();
    // The selected slot in the select network dialog.
    void EditSelected();
    void DeleteSelected();
    void DeleteAll();

    // For tests and screenshots.
    Ui::CNetworkListDlg& Form() { return *m_ui; }
    const backup::NetworkListEditor& Editor() const { return m_editor; }

private:
    std::optional<std::size_t> Selected() const;
    // Brings the rows up to the list: a shorter list empties the box first, changed rows get their new text.
    void Refill();
    void UpdateButtons();
    void SetTabStops();

    CMainApp& m_app;
    backup::NetworkListEditor m_editor;
    std::unique_ptr<Ui::CNetworkListDlg> m_ui;
};

}  // namespace quillet::ui
