#include "cli/TerminalUserInterface.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "cli/CliMessages.h"
#include "cli/TerminalText.h"

namespace quillet::cli {

namespace {

// Reads one line from the terminal with echo off; nothing when there is no terminal.
std::optional<card::SecretString> ReadSecretLine(std::ostream& err, const std::string& prompt) {
    if (!TerminalUserInterface::CanAsk()) return std::nullopt;
    err << ToTerminal(prompt) << ' ' << std::flush;
    termios original{};
    ::tcgetattr(STDIN_FILENO, &original);
    termios silent = original;
    silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    ::tcsetattr(STDIN_FILENO, TCSANOW, &original);
    err << '\n';
    card::SecretString secret(line);
    std::fill(line.begin(), line.end(), '\0');
    if (!read) return std::nullopt;
    return secret;
}

}  // namespace

TerminalUserInterface::TerminalUserInterface(std::ostream& err, std::optional<std::string> pin,
                                             std::optional<std::string> pin2)
    : m_err(err), m_pinGiven(pin.has_value()), m_pin2Given(pin2.has_value()) {
    if (pin) m_pin = card::SecretString(*pin);
    if (pin2) m_pin2 = card::SecretString(*pin2);
    m_showProgress = ::isatty(STDERR_FILENO) != 0;
}

bool TerminalUserInterface::CanAsk() { return ::isatty(STDIN_FILENO) != 0; }

std::optional<card::SecretString> TerminalUserInterface::AskPin(const card::PinPrompt& prompt) {
    // A code from the command line is offered once: a wrong one is not tried again.
    const bool second = prompt.dialogId == 172;
    const bool given = second ? m_pin2Given : m_pinGiven;
    bool& offered = second ? m_pin2Offered : m_pinOffered;
    card::SecretString& code = second ? m_pin2 : m_pin;
    if (given && !offered) {
        offered = true;
        card::SecretString taken = code;
        code.Clear();
        return taken;
    }
    if (!given && !CanAsk()) {
        Complain(m_err, std::string("the card needs ") +
                            (second ? "PIN2; give it with --pin2 CODE" : "its PIN; give it with --pin CODE") +
                            " (there is no terminal to ask on)");
        m_codeMissing = true;
        return std::nullopt;
    }
    ClearProgressLine();
    return ReadSecretLine(m_err, prompt.label);
}

void TerminalUserInterface::ShowMessage(std::string_view text, card::MessageIcon) {
    if (m_codeMissing) return;
    ClearProgressLine();
    // Line breaks of the message texts are CR LF; a terminal wants LF.
    std::string line;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '\r' && index + 1 < text.size() && text[index + 1] == '\n') continue;
        line += text[index];
    }
    m_err << ToTerminal(line) << '\n';
}

card::Answer TerminalUserInterface::AskQuestion(std::string_view text, card::QuestionButtons) {
    if (m_answerYes) return card::Answer::Yes;
    if (!CanAsk()) {
        m_questionUnasked = true;
        return card::Answer::No;
    }
    ClearProgressLine();
    m_err << ToTerminal(text) << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? card::Answer::Yes : card::Answer::No;
}

void TerminalUserInterface::OpenProgress(card::ProgressOwner) {}

void TerminalUserInterface::SetProgressText(std::string_view text) {
    if (!m_showProgress) return;
    std::string line(text);
    for (char& character : line) {
        if (character == '\n' || character == '\r') character = ' ';
    }
    m_err << '\r' << ToTerminal(line) << "\x1b[K" << std::flush;
}

void TerminalUserInterface::CloseProgress() { ClearProgressLine(); }

// Questions and messages start on a line of their own, not behind the progress text.
void TerminalUserInterface::ClearProgressLine() {
    if (m_showProgress) m_err << "\r\x1b[K" << std::flush;
}

}  // namespace quillet::cli
