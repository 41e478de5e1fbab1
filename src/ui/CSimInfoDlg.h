#pragma once

#include <QDialog>
#include <memory>
#include <vector>

namespace Ui {
class CSimInfoDlg;
}

namespace quillet::ui {

class CMainApp;
class CTabPageTemplate;

// "Quillet! - Information About SIM Card": what the card is and holds, on four tab pages. A page
// reads the card when it is first shown and after Update; going back to a page shows what it read.
class CSimInfoDlg final : public QDialog {
    Q_OBJECT

public:
    CSimInfoDlg(CMainApp& app, QWidget* parent);
    ~CSimInfoDlg() override;

    // Makes every page stale and reads the one on view again.
    void Update();

    // For tests and screenshots: the pages in tab order.
    Ui::CSimInfoDlg& Form() { return *m_ui; }
    CTabPageTemplate& Page(int index) { return *m_pages.at(static_cast<std::size_t>(index)); }

private:
    void ShowPage(int index);

    std::unique_ptr<Ui::CSimInfoDlg> m_ui;
    std::vector<CTabPageTemplate*> m_pages;  // owned by the tab widget
};

}  // namespace quillet::ui
