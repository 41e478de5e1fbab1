#include "cli/EntryFileWrite.h"

namespace quillet::cli {

bool AgreeToClear(std::size_t cleared, bool yes, TerminalUserInterface& ui, std::ostream& err) {
    if (yes) return true;
    const std::string count = std::to_string(cleared) + (cleared == 1 ? " used entry" : " used entries");
    if (!TerminalUserInterface::CanAsk()) {
        Complain(err, count + " of the card would be cleared; give --yes to allow that");
        return false;
    }
    const std::string question = count + " of the card will be cleared. Continue?";
    if (ui.AskQuestion(question, card::QuestionButtons::YesNo) == card::Answer::Yes) return true;
    Complain(err, "nothing was written to the card");
    return false;
}

int RefuseEmptyFile(const EntryFileWords& words, std::ostream& err) {
    Complain(err, words.file + " holds no " + words.entries + "; nothing was written to the card");
    return kExitFileError;
}

int RefuseTooMany(const EntryFileWords& words, std::size_t entries, std::size_t records, std::ostream& err) {
    Complain(err, words.file + " holds " + std::to_string(entries) + ' ' + words.entries + ", the card's " +
                      words.cardFile + " has " + std::to_string(records) + " records; nothing was written");
    return kExitUsage;
}

void ReportMoved(const EntryFileWords& words, std::uint16_t from, std::uint16_t to, std::ostream& err) {
    err << words.entry << ' ' << from + 1 << " was written to record " << to + 1 << ".\n";
}

}  // namespace quillet::cli
