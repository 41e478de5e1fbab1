#include "ui/CSimInfoDlg.h"

namespace quillet::ui {

CSimInfoDlg::CSimInfoDlg(CMainApp& app, QWidget* parent) : QDialog(parent), m_app(app) {}

}  // namespace quillet::ui
