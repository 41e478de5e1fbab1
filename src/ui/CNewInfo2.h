#pragma once

#include <memory>

#include "ui/CTabPageTemplate.h"

namespace Ui {
class CNewInfo2;
}

namespace quillet::ui {

// Information page: the capacities of the phone book, the fixed dialing numbers and the SMS file.
class CNewInfo2 final : public CTabPageTemplate {
    Q_OBJECT

public:
    CNewInfo2(CMainApp& app, QWidget* parent);
    ~CNewInfo2() override;

    Ui::CNewInfo2& Form() { return *m_ui; }

protected:
    void ClearFields() override;
    std::optional<std::string> ReadCard() override;

private:
    std::unique_ptr<Ui::CNewInfo2> m_ui;
};

}  // namespace quillet::ui
