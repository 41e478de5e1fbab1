#pragma once

#include <string_view>

#include "card/UserInterface.h"

class QWidget;

namespace quillet::ui {

// Message boxes titled with the program's name, texts taken as the core gives them.
void ShowMessageBox(QWidget* parent, std::string_view text, card::MessageIcon icon);
// Yes proceeds; every other button, and closing the box, answers No or Cancel.
card::Answer AskQuestionBox(QWidget* parent, std::string_view text, card::QuestionButtons buttons,
                            card::MessageIcon icon = card::MessageIcon::Question);

}  // namespace quillet::ui
