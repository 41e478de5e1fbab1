#pragma once

class QLineEdit;

namespace quillet::ui {

// The item-number fields of the dialogs: they take digits only, and read as a number.
void AcceptDigitsOnly(QLineEdit* field);
// The field's number; an empty field reads as 0, one too long for a long as the largest long
// (every range check refuses it).
long DigitFieldValue(const QLineEdit* field);

}  // namespace quillet::ui
