// Sessions on a UICC without the GSM application: the card is identified and its PINs verified,
// changed, switched and unblocked through class 00; its GSM files are out of reach (every select
// of one fails with the message that says why).
#include <algorithm>

#include "card/CardSession.h"
#include "card/GsmFiles.h"
#include "card/UiccCommands.h"

namespace quillet::card {

namespace {

namespace result = reader::result;

constexpr std::uint8_t kPin1 = 0x01;
constexpr std::uint8_t kPin2 = 0x81;
constexpr std::uint16_t kSwMethodBlocked = 0x6983;
constexpr std::uint16_t kSwNoAttemptsLeft = 0x63C0;

reader::ReaderResult Failure(const UiccAnswer& answer) {
    return answer.transport != result::kOk ? answer.transport : result::kBadStatusWord;
}

}  // namespace

bool CardSession::StartWithoutGsm(reader::CardReader& reader, bool askChv1, bool strict) {
    UiccChannel channel(reader);
    // Whether the PINs are enabled comes from the MF's PIN status template, whether they are
    // blocked from VERIFY without a code.
    const UiccAnswer masterFile = channel.SelectId(gsm_file::kMasterFile, true);
    const std::optional<FcpInfo> fcp = masterFile.Ok() ? ParseFcp(masterFile.data) : std::nullopt;
    if (!fcp) return FailAndEnd(Failure(masterFile));
    m_flags &= ~static_cast<std::uint32_t>(kChv1Enabled | kChv1Blocked | kChv2Blocked | kChv2Initialised |
                                           kChv1Verified | kChv2Verified);
    if (fcp->PinEnabled(kPin1).value_or(true)) m_flags |= kChv1Enabled;
    if (fcp->PinEnabled(kPin2)) m_flags |= kChv2Initialised;
    for (const auto& [key, blocked] : {std::pair(kPin1, kChv1Blocked), std::pair(kPin2, kChv2Blocked)}) {
        const UiccAnswer status = channel.PinStatus(key);
        if (status.transport != result::kOk) return FailAndEnd(status.transport);
        if (status.sw == kSwMethodBlocked || status.sw == kSwNoAttemptsLeft) m_flags |= blocked;
    }
    m_flags |= kWithoutGsm;
    if (!ReadIccidWithoutGsm(reader, m_iccid)) return FailAndEnd(m_lastResult);
    // As the activation does for a GSM card: codes remembered for another card are not tried on this one.
    if (reader.CachedIccid() != m_iccid) {
        m_host.RememberedPin(1).Clear();
        m_host.RememberedPin(2).Clear();
        reader.CachedIccid() = m_iccid;
    }
    Identify();

    if (askChv1 && (m_flags & kChv1Enabled) && !(m_flags & kChv1Verified)) {
        if (ObtainAndVerify(1, strict) == ChvStep::Failed) return false;
    }
    KnowPlatform(reader, false);
    return true;
}

bool CardSession::ReadIccidWithoutGsm(reader::CardReader& reader, std::array<std::uint8_t, 10>& iccid) {
    UiccChannel channel(reader);
    const std::uint16_t path[] = {gsm_file::kIccid};
    const UiccAnswer selected = channel.SelectPath(path);
    if (!selected.Ok()) return Fail(Failure(selected));
    const std::optional<FcpInfo> fcp = ParseFcp(selected.data);
    const std::size_t size = std::min<std::size_t>(fcp ? fcp->fileSize : 0, iccid.size());
    if (size == 0) return Fail(result::kBadStatusWord);
    const UiccAnswer read = channel.ReadBinary(0, static_cast<std::uint8_t>(size));
    ForgetSelectedFile();
    if (!read.Ok() || read.data.size() < size) return Fail(Failure(read));
    iccid.fill(0xFF);
    std::copy_n(read.data.begin(), size, iccid.begin());
    return true;
}

}  // namespace quillet::card
