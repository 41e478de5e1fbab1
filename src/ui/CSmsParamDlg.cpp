#include "ui/CSmsParamDlg.h"

namespace quillet::ui {

CSmsParamDlg::CSmsParamDlg(CMainApp& app, QWidget* parent) : QDialog(parent), m_app(app) {}

CSmsParamDlg::~CSmsParamDlg() = default;

}  // namespace quillet::ui
