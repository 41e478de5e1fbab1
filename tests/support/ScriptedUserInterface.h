#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "card/UserInterface.h"

namespace quillet::testing {

// Answers the core's questions from a script and records everything it was asked and shown.
class ScriptedUserInterface final : public card::UserInterface {
public:
    // The next PIN dialogs are answered with these codes; std::nullopt closes the dialog.
    std::deque<std::optional<std::string>> pins;
    std::deque<card::Answer> answers;
    // The next code dialogs are answered with (old or unblocking code, new code); std::nullopt
    // closes the dialog.
    std::deque<std::optional<std::pair<std::string, std::string>>> codeChanges;
    // The progress window's cancel button is pressed at this pump (counting from 1), or when
    // the progress text contains this.
    std::optional<int> cancelAtPump;
    std::optional<std::string> cancelAtText;

    std::vector<card::PinPrompt> prompts;
    std::vector<card::CodeForm> codeForms;
    std::vector<std::pair<std::string, card::MessageIcon>> messages;
    std::vector<bool> messagesOverProgress;  // whether the progress window was open at each message
    std::vector<std::string> questions;
    std::vector<std::string> progressTexts;
    int progressOpened = 0;
    int progressClosed = 0;
    int pumps = 0;

    std::optional<card::SecretString> AskPin(const card::PinPrompt& prompt) override {
        prompts.push_back(prompt);
        if (pins.empty()) return std::nullopt;
        std::optional<std::string> pin = pins.front();
        pins.pop_front();
        if (!pin) return std::nullopt;
        return card::SecretString(*pin);
    }
    std::optional<card::CodeChange> AskCodeChange(card::CodeForm form) override {
        codeForms.push_back(form);
        if (codeChanges.empty()) return std::nullopt;
        const std::optional<std::pair<std::string, std::string>> codes = codeChanges.front();
        codeChanges.pop_front();
        if (!codes) return std::nullopt;
        return card::CodeChange{card::SecretString(codes->first), card::SecretString(codes->second)};
    }
    void ShowMessage(std::string_view text, card::MessageIcon icon) override {
        messages.emplace_back(text, icon);
        messagesOverProgress.push_back(progressOpened > progressClosed);
    }
    card::Answer AskQuestion(std::string_view text, card::QuestionButtons) override {
        questions.emplace_back(text);
        if (answers.empty()) return card::Answer::No;
        const card::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void OpenProgress(card::ProgressOwner) override { ++progressOpened; }
    void SetProgressTitle(std::string_view) override {}
    void SetProgressText(std::string_view text) override { progressTexts.emplace_back(text); }
    void SetProgressPercent(unsigned) override {}
    bool PumpProgress() override {
        if (cancelAtText && !progressTexts.empty() && progressTexts.back().find(*cancelAtText) != std::string::npos) {
            return false;
        }
        return !cancelAtPump || ++pumps < *cancelAtPump;
    }
    void CloseProgress() override { ++progressClosed; }
};

}  // namespace quillet::testing
