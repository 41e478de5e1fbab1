// Card-holder verification within a session, and the session-level CHV changes.
#include "card/CardSession.h"
#include "card/ChvCommands.h"

namespace quillet::card {

namespace {

using reader::ReaderResult;
namespace result = reader::result;

PinPrompt PromptFor(unsigned chv) {
    if (chv == 2) return PinPrompt{172, "Quillet! - Enter PIN2", "Please enter PIN2:", 8};
    return PinPrompt{109, "Quillet! - Enter PIN", "Please enter PIN:", 8};
}

}  // namespace

CardSession::ChvStep CardSession::ObtainAndVerify(unsigned chv, bool strict) {
    const bool blocked = (m_flags & (chv == 1 ? kChv1Blocked : kChv2Blocked)) != 0;
    // A blocked CHV2 always stops; a blocked CHV1 only a strict session (otherwise the dialog is
    // offered all the same).
    if (blocked && (strict || chv == 2)) {
        FailAndEnd(result::kCardBlocked);
        return ChvStep::Failed;
    }
    SecretString& remembered = m_host.RememberedPin(chv);
    const bool fromMemory = !remembered.Empty();
    SecretString pin = remembered;
    if (!fromMemory) {
        std::optional<SecretString> entered = m_host.Ui().AskPin(PromptFor(chv));
        if (!entered) {
            if (chv == 1 && !strict) return ChvStep::Skipped;
            FailAndEnd(result::kPinEntryCancelled);
            return ChvStep::Failed;
        }
        pin = *entered;
    }
    reader::CardReader* reader = m_host.CurrentReader();
    const ReaderResult code = reader != nullptr ? VerifyChv(*reader, pin.View(), chv) : result::kReaderInaccessible;
    if (code != result::kOk) {
        // A remembered code the card rejects costs one attempt and is then forgotten.
        if (fromMemory) remembered.Clear();
        FailAndEnd(code);
        return ChvStep::Failed;
    }
    remembered = pin;
    m_flags |= chv == 1 ? kChv1Verified : kChv2Verified;
    return ChvStep::Verified;
}

bool CardSession::ChangeOrToggleChv(std::string_view code, std::optional<std::string_view> newCode, unsigned chv,
                                    bool enable) {
    reader::CardReader* reader = m_host.CurrentReader();
    if (reader == nullptr) return Fail(result::kReaderInaccessible);
    if ((m_flags & kIdentified) == 0) return Fail(result::kNonSpecific);
    ReaderResult outcome = result::kOk;
    if (chv == 1) {
        if (!enable && IsChv1Enabled()) {
            outcome = DisableChv(*reader, code);
        } else if (enable && !IsChv1Enabled()) {
            outcome = EnableChv(*reader, code);
        }
        if (outcome != result::kOk) return Fail(outcome);
        if (newCode) outcome = ChangeChv(*reader, 1, code, *newCode);
    } else if (chv == 2) {
        outcome = ChangeChv(*reader, 2, code, newCode.value_or(std::string_view()));
    } else {
        outcome = result::kNonSpecific;
    }
    m_lastResult = outcome;
    return outcome == result::kOk;
}

bool CardSession::UnblockCardChv(std::string_view unblockCode, std::string_view newPin, unsigned chv) {
    reader::CardReader* reader = m_host.CurrentReader();
    if (reader == nullptr) return Fail(result::kReaderInaccessible);
    if ((m_flags & kIdentified) == 0) return Fail(result::kNonSpecific);
    m_lastResult = UnblockChv(*reader, unblockCode, newPin, chv);
    return m_lastResult == result::kOk;
}

}  // namespace quillet::card
