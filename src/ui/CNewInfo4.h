#pragma once

#include <memory>

#include "ui/CTabPageTemplate.h"

namespace Ui {
class CNewInfo4;
}

namespace quillet::ui {

// Information page: EF MSISDN: the card's own numbers.
class CNewInfo4 final : public CTabPageTemplate {
    Q_OBJECT

public:
    CNewInfo4(CMainApp& app, QWidget* parent);
    ~CNewInfo4() override;

    Ui::CNewInfo4& Form() { return *m_ui; }

protected:
    void ClearFields() override;
    std::optional<std::string> ReadCard() override;

private:
    std::unique_ptr<Ui::CNewInfo4> m_ui;
};

}  // namespace quillet::ui
