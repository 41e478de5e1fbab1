#include "card/EditorSelection.h"

#include "resources/StringTable.h"

namespace quillet::card {

namespace {

constexpr std::uint32_t kSelectIntervalError = 57540;
constexpr std::uint32_t kReplaceAllQuestion = 57471;

bool AskYes(UserInterface& ui, std::uint32_t id, QuestionButtons buttons) {
    return ui.AskQuestion(resources::LoadString(id), buttons) == Answer::Yes;
}

}  // namespace

ItemRange DefaultItemRange(std::size_t positionCount, long firstSelectedRow, long lastSelectedRow) {
    if (firstSelectedRow >= 0 && lastSelectedRow > firstSelectedRow) {
        return {firstSelectedRow + 1, lastSelectedRow + 1};
    }
    return {1, static_cast<long>(positionCount)};
}

bool CheckSelectRange(ItemRange range, std::size_t positionCount, UserInterface& ui) {
    if (range.from >= 1 && range.to <= static_cast<long>(positionCount) && range.from <= range.to) return true;
    ui.ShowMessage(resources::LoadString(kSelectIntervalError), MessageIcon::Error);
    return false;
}

bool ConfirmClose(std::int32_t messageId, bool confirm, bool unsavedChanges, bool& asked, UserInterface& ui) {
    asked = false;
    if (messageId < 0 || !confirm || !unsavedChanges) return true;
    asked = true;
    return AskYes(ui, static_cast<std::uint32_t>(messageId), QuestionButtons::YesNoCancel);
}

bool ConfirmReplaceWindow(bool wouldLose, bool confirm, UserInterface& ui) {
    return !confirm || !wouldLose || AskYes(ui, kReplaceAllQuestion, QuestionButtons::YesNo);
}

}  // namespace quillet::card
