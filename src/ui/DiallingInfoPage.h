#pragma once

#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>

#include "phonebook/DiallingFileInformation.h"

namespace quillet::ui {

// The last-numbers and own-numbers pages share their fields: items possible, name length and the
// list of records, whose lines keep their columns in a fixed-pitch font.
template <typename Form>
void PrepareDiallingPage(Form& form) {
    form.numberList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

template <typename Form>
void ClearDiallingPage(Form& form) {
    form.itemsEdit->clear();
    form.nameLengthEdit->clear();
    form.numberList->clear();
}

template <typename Form>
void ShowDiallingPage(Form& form, const phonebook::DiallingFileInformation& info) {
    form.itemsEdit->setText(QString::fromStdString(info.itemsPossible));
    form.nameLengthEdit->setText(QString::fromStdString(info.maxNameLength));
    for (const std::string& line : info.lines) form.numberList->addItem(QString::fromStdString(line));
}

}  // namespace quillet::ui
