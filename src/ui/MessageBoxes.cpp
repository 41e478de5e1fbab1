#include "ui/MessageBoxes.h"

#include <QMessageBox>

#include "ui/Cp1250.h"

namespace quillet::ui {

namespace {

QMessageBox::Icon IconOf(card::MessageIcon icon) {
    switch (icon) {
        case card::MessageIcon::Error:
            return QMessageBox::Critical;
        case card::MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case card::MessageIcon::Information:
            return QMessageBox::Information;
        case card::MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void ShowMessageBox(QWidget* parent, std::string_view text, card::MessageIcon icon) {
    QMessageBox box(IconOf(icon), QStringLiteral("Quillet!"), DisplayText(text), QMessageBox::Ok, parent);
    box.exec();
}

card::Answer AskQuestionBox(QWidget* parent, std::string_view text, card::QuestionButtons buttons,
                            card::MessageIcon icon) {
    const bool withCancel = buttons == card::QuestionButtons::YesNoCancel;
    QMessageBox box(IconOf(icon), QStringLiteral("Quillet!"), DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No | (withCancel ? QMessageBox::Cancel : QMessageBox::NoButton),
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return card::Answer::Yes;
        case QMessageBox::No:
            return card::Answer::No;
        default:
            return withCancel ? card::Answer::Cancel : card::Answer::No;
    }
}

}  // namespace quillet::ui
