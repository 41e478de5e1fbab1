#pragma once

#include <memory>

#include "ui/CTabPageTemplate.h"

namespace Ui {
class CNewInfo1;
}

namespace quillet::ui {

// Information page: serial number, subscriber identity, phase, the four codes and the call costs.
class CNewInfo1 final : public CTabPageTemplate {
    Q_OBJECT

public:
    CNewInfo1(CMainApp& app, QWidget* parent);
    ~CNewInfo1() override;

    Ui::CNewInfo1& Form() { return *m_ui; }

protected:
    void ClearFields() override;
    std::optional<std::string> ReadCard() override;

private:
    std::unique_ptr<Ui::CNewInfo1> m_ui;
};

}  // namespace quillet::ui
