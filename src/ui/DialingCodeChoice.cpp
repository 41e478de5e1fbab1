#include "ui/DialingCodeChoice.h"

#include <QLineEdit>

#include "phonebook/CountryDialingCodes.h"
#include "ui/CountryListDialog.h"

namespace quillet::ui {

void ChooseDialingCode(QWidget* parent, QLineEdit* field) {
    CountryListDialog countries(parent);
    if (countries.exec() == QDialog::Accepted) PutDialingCode(field, countries.ChosenCode());
}

void PutDialingCode(QLineEdit* field, const std::string& code) {
    if (code.empty()) return;
    const std::string number = field->text().toStdString();
    field->setText(QString::fromStdString(phonebook::InsertChosenCode(code, number)));
}

}  // namespace quillet::ui
