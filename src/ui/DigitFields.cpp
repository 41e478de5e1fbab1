#include "ui/DigitFields.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <limits>

namespace quillet::ui {

void AcceptDigitsOnly(QLineEdit* field) {
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
}

long DigitFieldValue(const QLineEdit* field) {
    const QString text = field->text();
    if (text.isEmpty()) return 0;
    bool ok = false;
    const long value = text.toLong(&ok);
    return ok ? value : std::numeric_limits<long>::max();
}

}  // namespace quillet::ui
