#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "card/SecretString.h"

namespace quillet::card {

// The window a progress window belongs to; opaque to the core.
using ProgressOwner = const void*;

enum class MessageIcon { Error, Exclamation, Information, Question };
enum class QuestionButtons { YesNo, YesNoCancel };
enum class Answer { Yes, No, Cancel };

// A request for a code: the dialog template and its title and label, already looked up.
struct PinPrompt {
    std::uint32_t dialogId = 0;  // 109 PIN, 172 PIN2
    std::string title;
    std::string label;
    std::size_t maxLength = 8;
};

// The three-field code dialogs: an old code (or unblocking code) and a new one entered twice.
enum class CodeForm : std::uint32_t {
    ChangePin = 173,    // "Quillet! - Change PIN"
    ChangePin2 = 174,   // "Quillet! - Change PIN2"
    UnblockPin = 163,   // "Quillet! - Enter PUK"
    UnblockPin2 = 175,  // "Quillet! - Enter PUK2"
};

// What a code dialog hands on once its own checks passed: the old or unblocking code and the new one.
struct CodeChange {
    SecretString code;
    SecretString newCode;
};

// How the core talks to the person at the screen: the windowed program answers with Qt dialogs,
// the command-line tool on the terminal, tests from a script. Texts come from the string table.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Asks for a code; nothing when the user closes the dialog.
    virtual std::optional<SecretString> AskPin(const PinPrompt& prompt) = 0;
    // Asks for a code and a new one (entered twice and checked by the dialog); nothing when the user
    // closes the dialog. A front end without such dialogs closes them at once.
    virtual std::optional<CodeChange> AskCodeChange(CodeForm /*form*/) { return std::nullopt; }
    virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
    virtual Answer AskQuestion(std::string_view text, QuestionButtons buttons) = 0;

    // The modeless progress window with its cancel button.
    virtual void OpenProgress(ProgressOwner owner) = 0;
    virtual void SetProgressTitle(std::string_view title) = 0;
    virtual void SetProgressText(std::string_view text) = 0;
    virtual void SetProgressPercent(unsigned percent) = 0;
    // Lets the window repaint and handle its input; false once the user has pressed cancel.
    virtual bool PumpProgress() = 0;
    virtual void CloseProgress() = 0;
};

}  // namespace quillet::card
