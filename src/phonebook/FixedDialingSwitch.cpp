#include "phonebook/FixedDialingSwitch.h"

#include "card/FinishCardCommand.h"
#include "card/GsmFiles.h"
#include "resources/StringTable.h"

namespace quillet::phonebook {

namespace {

namespace gsm_file = card::gsm_file;

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kWorkingTitle = 5106;
constexpr std::uint32_t kActivateQuestion = 5606;
constexpr std::uint32_t kDeactivateQuestion = 5605;
constexpr unsigned kFixedDialingService = 3;
constexpr std::uint16_t kImsi = 0x6F07;
constexpr std::uint16_t kLoci = 0x6F7E;

bool AskYes(card::UserInterface& ui, std::uint32_t id) {
    return ui.AskQuestion(resources::LoadString(id), card::QuestionButtons::YesNo) == card::Answer::Yes;
}

// The card steps; false when a card command failed (the session's last result says why). A No to
// the question is no failure and changes nothing.
bool SwitchOnCard(card::CardSession& session, card::UserInterface& ui, bool& switched) {
    card::EfInformation adn;
    if (!session.BeginSession(true, false, true) || !session.RequireService(kFixedDialingService) ||
        !session.SelectFile(gsm_file::kTelecomDirectory, gsm_file::kAdn, nullptr, &adn)) {
        return false;
    }
    // Fixed dialling is on while the phone book is invalidated.
    const bool enable = adn.IsValid();
    if (!AskYes(ui, enable ? kActivateQuestion : kDeactivateQuestion)) return true;
    if (!session.BeginSession(true, true, true)) return false;
    if (enable) {
        switched = session.InvalidateFile(gsm_file::kTelecomDirectory, gsm_file::kAdn);
    } else {
        // IMSI and LOCI may have been invalidated while fixed dialling was on; they come back after the phone book.
        switched = session.RehabilitateFile(gsm_file::kTelecomDirectory, gsm_file::kAdn) &&
                   session.RehabilitateFile(gsm_file::kGsmDirectory, kImsi) &&
                   session.RehabilitateFile(gsm_file::kGsmDirectory, kLoci);
    }
    return switched;
}

}  // namespace

bool ToggleFixedDialing(card::CardSession& session, card::UserInterface& ui, card::ProgressOwner owner) {
    session.BeginProgress(owner, kInitializing, kWorkingTitle);
    bool switched = false;
    const bool succeeded = SwitchOnCard(session, ui, switched);
    if (!card::FinishCardCommand(session, succeeded, false)) {
        ui.ShowMessage(session.FormatLastError(), card::MessageIcon::Error);
        return false;
    }
    return switched;
}

}  // namespace quillet::phonebook
