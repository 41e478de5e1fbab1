// Card-holder verification within a session, and the session-level CHV changes.
#include "card/CardSession.h"
#include "card/ChvCommands.h"
#include "card/PinEntry.h"

namespace quillet::card {

namespace {

using reader::ReaderResult;
namespace result = reader::result;

// A code the card has just taken as the new one replaces the remembered code, which the card no
// longer accepts and would otherwise cost an attempt at the next command.
void RememberNewPin(SessionHost& host, unsigned chv, std::string_view newPin) {
    host.RememberedPin(chv) = SecretString(newPin);
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
    // A remembered code the card rejects costs one attempt and is then forgotten.
    const PinCheck check = VerifyWithRememberedPin(m_host, m_host.CurrentReader(), chv, RefusedMemory::Stop);
    if (check.cancelled && chv == 1 && !strict) return ChvStep::Skipped;
    if (check.code != result::kOk) {
        FailAndEnd(check.code);
        return ChvStep::Failed;
    }
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
    if (outcome == result::kOk && newCode) RememberNewPin(m_host, chv, *newCode);
    m_lastResult = outcome;
    return outcome == result::kOk;
}

bool CardSession::UnblockCardChv(std::string_view unblockCode, std::string_view newPin, unsigned chv) {
    reader::CardReader* reader = m_host.CurrentReader();
    if (reader == nullptr) return Fail(result::kReaderInaccessible);
    if ((m_flags & kIdentified) == 0) return Fail(result::kNonSpecific);
    m_lastResult = UnblockChv(*reader, unblockCode, newPin, chv);
    if (m_lastResult == result::kOk) RememberNewPin(m_host, chv, newPin);
    return m_lastResult == result::kOk;
}

}  // namespace quillet::card
