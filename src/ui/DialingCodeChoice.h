#pragma once

#include <string>

class QLineEdit;
class QWidget;

namespace quillet::ui {

// "Dialing Code..." and "From Database": the country list, and on OK its code in front of the
// number the field holds (the number's own '+' gives way to the code's).
void ChooseDialingCode(QWidget* parent, QLineEdit* field);
// The same with the code already chosen; an empty code leaves the field as it is.
void PutDialingCode(QLineEdit* field, const std::string& code);

}  // namespace quillet::ui
