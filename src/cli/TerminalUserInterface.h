#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "card/UserInterface.h"

namespace quillet::cli {

// The person at a terminal: codes given on the command line or typed without echo, messages
// and progress on the error stream (progress only when it is a terminal), questions answered
// on the terminal, or "No" when there is none to ask. The program's texts are shown in the
// terminal's character set.
class TerminalUserInterface final : public card::UserInterface {
public:
    TerminalUserInterface(std::ostream& err, std::optional<std::string> pin, std::optional<std::string> pin2);

    std::optional<card::SecretString> AskPin(const card::PinPrompt& prompt) override;
    void ShowMessage(std::string_view text, card::MessageIcon icon) override;
    card::Answer AskQuestion(std::string_view text, card::QuestionButtons buttons) override;
    void OpenProgress(card::ProgressOwner owner) override;
    void SetProgressTitle(std::string_view) override {}
    void SetProgressText(std::string_view text) override;
    void SetProgressPercent(unsigned) override {}
    bool PumpProgress() override { return true; }
    void CloseProgress() override;

    // --yes: every question is answered "Yes" without asking.
    void AnswerQuestionsYes() { m_answerYes = true; }
    // True once a question was answered "No" because there was no terminal to ask it on.
    bool QuestionWentUnasked() const { return m_questionUnasked; }
    // True when questions and codes can be asked on the terminal.
    static bool CanAsk();
    // True once the card asked for a code that was neither given nor could be asked for. That was
    // said on the error stream; the messages of the failure that follows are not shown.
    bool CodeWasMissing() const { return m_codeMissing; }

private:
    void ClearProgressLine();

    std::ostream& m_err;
    bool m_answerYes = false;
    bool m_questionUnasked = false;
    card::SecretString m_pin;
    card::SecretString m_pin2;
    bool m_pinGiven = false;
    bool m_pin2Given = false;
    bool m_pinOffered = false;
    bool m_pin2Offered = false;
    bool m_showProgress = false;
    bool m_codeMissing = false;
};

}  // namespace quillet::cli
