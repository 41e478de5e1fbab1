#include "ui/CSimInfoDlg.h"

#include "ui/CNewInfo1.h"
#include "ui/CNewInfo2.h"
#include "ui/CNewInfo3.h"
#include "ui/CNewInfo4.h"
#include "ui_CSimInfoDlg.h"

namespace quillet::ui {

CSimInfoDlg::CSimInfoDlg(CMainApp& app, QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CSimInfoDlg>()) {
    m_ui->setupUi(this);
    m_pages = {new CNewInfo1(app, this), new CNewInfo2(app, this), new CNewInfo3(app, this), new CNewInfo4(app, this)};
    for (CTabPageTemplate* page : m_pages) m_ui->pages->addTab(page, page->Title());
    connect(m_ui->pages, &QTabWidget::currentChanged, this, &CSimInfoDlg::ShowPage);
    connect(m_ui->updateButton, &QPushButton::clicked, this, &CSimInfoDlg::Update);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    // The first page reads the card as the dialog opens.
    ShowPage(m_ui->pages->currentIndex());
}

CSimInfoDlg::~CSimInfoDlg() = default;

void CSimInfoDlg::ShowPage(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_pages.size()) return;
    CTabPageTemplate* page = m_pages[static_cast<std::size_t>(index)];
    if (page->IsStale()) page->Refresh();
}

void CSimInfoDlg::Update() {
    for (CTabPageTemplate* page : m_pages) page->SetStale();
    ShowPage(m_ui->pages->currentIndex());
}

}  // namespace quillet::ui
