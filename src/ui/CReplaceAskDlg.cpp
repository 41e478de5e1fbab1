#include "ui/CReplaceAskDlg.h"

#include "ui_CReplaceAskDlg.h"

namespace quillet::ui {

namespace {

using phonebook::ReplaceAnswer;

// A button ends the dialog with its answer plus this, so no answer reads as Rejected (0), which
// Escape and the close box give.
constexpr int kAnswerBase = 1;

}  // namespace

CReplaceAskDlg::CReplaceAskDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CReplaceAskDlg>()) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const std::pair<QPushButton*, ReplaceAnswer> buttons[] = {{m_ui->yesButton, ReplaceAnswer::Yes},
                                                              {m_ui->noButton, ReplaceAnswer::No},
                                                              {m_ui->allButton, ReplaceAnswer::All},
                                                              {m_ui->cancelButton, ReplaceAnswer::Cancel}};
    for (const auto& [button, answer] : buttons) {
        connect(button, &QPushButton::clicked, this,
                [this, answer = answer] { done(static_cast<int>(answer) + kAnswerBase); });
    }
}

CReplaceAskDlg::~CReplaceAskDlg() = default;

ReplaceAnswer CReplaceAskDlg::Ask() {
    const int result = exec();
    for (const ReplaceAnswer answer : {ReplaceAnswer::Yes, ReplaceAnswer::No, ReplaceAnswer::All}) {
        if (result == static_cast<int>(answer) + kAnswerBase) return answer;
    }
    return ReplaceAnswer::Cancel;
}

}  // namespace quillet::ui
