#include "card/PinCommands.h"

#include "card/FinishCardCommand.h"
#include "card/GsmFiles.h"
#include "card/PinEntry.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

constexpr std::uint32_t kInitializing = 5000;
constexpr std::uint32_t kRecordingNewPin = 5007;
constexpr std::uint32_t kCheckingCard = 5008;
constexpr std::uint32_t kChangingTitle = 5104;
constexpr std::uint32_t kUnblockingTitle = 5105;
constexpr std::uint32_t kWorkingTitle = 5106;
constexpr std::uint32_t kNewPinMismatch = 5600;
constexpr std::uint32_t kPinTooShort = 5601;
constexpr std::uint32_t kPinChanged = 5602;
constexpr std::uint32_t kNotBlocked = 5603;
constexpr std::uint32_t kUnblocked = 5604;
constexpr std::uint32_t kDeactivateQuestion = 5607;
constexpr std::uint32_t kActivateQuestion = 5608;
constexpr std::uint32_t kPinNowOff = 5611;
constexpr std::uint32_t kPinNowOn = 5612;
constexpr std::uint32_t kPinsDoNotMatch = 59025;
constexpr std::size_t kShortestCode = 4;

unsigned ChvOf(unsigned chv) { return chv == 2 ? 2 : 1; }

void ShowText(UserInterface& ui, std::uint32_t id, MessageIcon icon) {
    ui.ShowMessage(resources::LoadString(id), icon);
}

// The ending every PIN command shares: session and progress window closed, then the failure or the
// success message. False when the command failed.
bool EndCommand(CardSession& session, bool succeeded, std::optional<std::uint32_t> successMessage) {
    UserInterface& ui = session.Host().Ui();
    if (!FinishCardCommand(session, succeeded, false)) {
        ui.ShowMessage(session.FormatLastError(), MessageIcon::Error);
        return false;
    }
    if (successMessage) ShowText(ui, *successMessage, MessageIcon::Information);
    return true;
}

// A press of the progress window's cancel button stops the command before the card is changed.
bool Step(CardSession& session, std::uint32_t textId, unsigned percent) {
    if (session.StepProgress(textId, percent)) return true;
    session.SetLastResult(result::kCancelledByUser);
    return false;
}

// Switches CHV1 the other way after a Yes and the PIN; false only when a card command failed.
bool TogglePinOnCard(CardSession& session, UserInterface& ui) {
    const bool enabled = session.IsChv1Enabled();
    const std::string_view question = resources::LoadString(enabled ? kDeactivateQuestion : kActivateQuestion);
    if (ui.AskQuestion(question, QuestionButtons::YesNo) != Answer::Yes) return true;
    const std::optional<SecretString> pin = ui.AskPin(PinPromptFor(1));
    if (!pin) return true;
    if (!session.ChangeOrToggleChv(pin->View(), std::nullopt, 1, !enabled)) return false;
    // Said while the progress window is still open.
    ShowText(ui, enabled ? kPinNowOff : kPinNowOn, MessageIcon::Information);
    return true;
}

struct UnblockState {
    bool asked = false;
    bool unblocked = false;
};

// Whether a CHV has no attempts left: from a fresh MF answer (bits 1-4 of its status bytes count
// them), or, on a card without the GSM application, as the session start found it.
bool IsBlocked(const CardSession& session, const DfInformation& masterFile, unsigned chv) {
    if (session.Flags() & CardSession::kWithoutGsm) return session.IsChvBlocked(chv);
    return (masterFile.CodeStatus(chv == 1 ? 0 : 2) & 0x0F) == 0;
}

// Asks for the unblocking code of a CHV with no attempts left and sends it; false only when the
// card refused. A closed dialog leaves the CHV blocked.
bool UnblockIfBlocked(CardSession& session, const DfInformation& masterFile, unsigned chv, UnblockState& state) {
    if (!IsBlocked(session, masterFile, chv)) return true;
    state.asked = true;
    const std::optional<CodeChange> codes =
        session.Host().Ui().AskCodeChange(chv == 1 ? CodeForm::UnblockPin : CodeForm::UnblockPin2);
    if (!codes) return true;
    if (!session.UnblockCardChv(codes->code.View(), codes->newCode.View(), chv)) return false;
    state.unblocked = true;
    return true;
}

}  // namespace

void EnterPin(CardSession& session, ProgressOwner owner, unsigned chv) {
    const unsigned number = ChvOf(chv);
    // The user asks to enter the code anew: a remembered one must not answer for them.
    session.Host().RememberedPin(number).Clear();
    session.BeginProgress(owner, kInitializing, kWorkingTitle);
    const bool verified = session.BeginSession(number == 1, number == 2, true);
    EndCommand(session, verified, std::nullopt);
}

bool ChangePin(CardSession& session, ProgressOwner owner, unsigned chv) {
    const unsigned number = ChvOf(chv);
    // The codes are collected before the card is touched; a closed dialog ends the command quietly.
    const std::optional<CodeChange> codes =
        session.Host().Ui().AskCodeChange(number == 1 ? CodeForm::ChangePin : CodeForm::ChangePin2);
    if (!codes) return false;
    session.BeginProgress(owner, kInitializing, kChangingTitle);
    // On a card whose PIN is off, the change switches it on with the old code first.
    const bool changed = session.BeginSession(false, false, true) && Step(session, kRecordingNewPin, 65) &&
                         session.ChangeOrToggleChv(codes->code.View(), codes->newCode.View(), number, true);
    return EndCommand(session, changed, kPinChanged);
}

void EnableDisablePin(CardSession& session, ProgressOwner owner) {
    session.BeginProgress(owner, kInitializing, kWorkingTitle);
    const bool succeeded = session.BeginSession(false, false, true) && TogglePinOnCard(session, session.Host().Ui());
    EndCommand(session, succeeded, std::nullopt);
}

void UnblockCard(CardSession& session, ProgressOwner owner) {
    UserInterface& ui = session.Host().Ui();
    session.BeginProgress(owner, kInitializing, kUnblockingTitle);
    // The session keeps no unblocking state of its own: a fresh MF answer tells which CHV is blocked.
    DfInformation masterFile;
    UnblockState state;
    const auto withoutGsm = [&] { return (session.Flags() & CardSession::kWithoutGsm) != 0; };
    const bool succeeded = session.BeginSession(false, false, true) && Step(session, kCheckingCard, 30) &&
                           (withoutGsm() || session.SelectFile(gsm_file::kMasterFile, 0, &masterFile, nullptr)) &&
                           UnblockIfBlocked(session, masterFile, 1, state) &&
                           UnblockIfBlocked(session, masterFile, 2, state);
    if (succeeded && !state.asked) ShowText(ui, kNotBlocked, MessageIcon::Information);
    EndCommand(session, succeeded, state.asked && state.unblocked ? std::optional(kUnblocked) : std::nullopt);
}

std::optional<std::uint32_t> CheckChangedCodes(std::string_view oldCode, std::string_view newCode,
                                               std::string_view again) {
    if (newCode != again) return kNewPinMismatch;
    if (oldCode.size() < kShortestCode || newCode.size() < kShortestCode) return kPinTooShort;
    return std::nullopt;
}

std::optional<std::uint32_t> CheckUnblockCodes(std::string_view newCode, std::string_view again) {
    if (newCode != again || newCode.size() < kShortestCode) return kPinsDoNotMatch;
    return std::nullopt;
}

}  // namespace quillet::card
