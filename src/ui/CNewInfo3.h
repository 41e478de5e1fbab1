#pragma once

#include <memory>

#include "ui/CTabPageTemplate.h"

namespace Ui {
class CNewInfo3;
}

namespace quillet::ui {

// Information page: EF LND: the numbers dialled last.
class CNewInfo3 final : public CTabPageTemplate {
    Q_OBJECT

public:
    CNewInfo3(CMainApp& app, QWidget* parent);
    ~CNewInfo3() override;

    Ui::CNewInfo3& Form() { return *m_ui; }

protected:
    void ClearFields() override;
    std::optional<std::string> ReadCard() override;

private:
    std::unique_ptr<Ui::CNewInfo3> m_ui;
};

}  // namespace quillet::ui
