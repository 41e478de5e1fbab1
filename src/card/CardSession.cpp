// Starting and ending card sessions, the CHV state and the service table.
#include "card/CardSession.h"

#include <algorithm>

#include "card/CardActivation.h"
#include "card/GsmFiles.h"
#include "reader/ReaderResult.h"

namespace quillet::card {

namespace {

using reader::ReaderResult;
namespace result = reader::result;

using gsm_file::kGsmDirectory;
using gsm_file::kMasterFile;
constexpr std::uint16_t kIccidFile = gsm_file::kIccid;
constexpr std::uint16_t kServiceTableFile = gsm_file::kServiceTable;
constexpr const char* kCommunicationError = "Communication error:";

}  // namespace

CardSession::CardSession(SessionHost& host) : m_host(host), m_progress(host.Ui()) {}

CardSession::~CardSession() {
    m_progress.End(true);
    ClearCache();
}

bool CardSession::Fail(ReaderResult code) {
    m_lastResult = code;
    return false;
}

bool CardSession::FailAndEnd(ReaderResult code) {
    m_lastResult = code;
    EndSession();
    return false;
}

bool CardSession::BeginSession(bool askChv1, bool askChv2, bool strict) {
    reader::CardReader* reader = m_host.CurrentReader();
    if (reader == nullptr) return Fail(result::kReaderInaccessible);
    if (!m_host.CacheEnabled()) ClearCache();

    // Same card as before in this session: only its identity is checked again.
    if (m_flags & kIdentified) {
        std::array<std::uint8_t, 10> iccid{};
        if (!ReadIccid(iccid) || iccid != m_iccid) {
            if (m_flags & kSessionOpen) ReleaseCard(*reader, m_host);
            m_flags = 0;
            ClearCache();
        }
    }

    if ((m_flags & kIdentified) == 0) {
        // Full start.
        m_selectedDf = 0;
        m_selectedEf = 0;
        m_efInfo = EfInformation{};
        m_lastStatusWord = 0;
        if (m_flags & kSessionOpen) ReleaseCard(*reader, m_host);
        m_flags &= ~static_cast<std::uint32_t>(kSessionOpen);

        m_platform = CardPlatformInfo{};
        m_detectionCommands = 0;
        const ReaderResult activated = ActivateCard(*reader, m_host, true, nullptr, nullptr);
        if (activated != result::kOk && activated != result::kUsimOnlyCard) return FailAndEnd(activated);
        m_flags |= kSessionOpen;
        if (activated == result::kUsimOnlyCard && !StartWithoutGsm(*reader, askChv1, strict)) return false;
    }
    // The GSM application's start; a card without it was identified above.
    if ((m_flags & kIdentified) == 0) {
        DfInformation masterFile{};
        if (!SelectFile(kMasterFile, 0, &masterFile, nullptr)) return FailAndEnd(m_lastResult);
        TakeChvState(masterFile);

        if (!ReadIccid(m_iccid)) return FailAndEnd(m_lastResult);
        Identify();

        if (askChv1 && (m_flags & kChv1Enabled) && !(m_flags & kChv1Verified)) {
            if (ObtainAndVerify(1, strict) == ChvStep::Failed) return false;
        }
        // After the PIN, which the list of USIM phone books may need.
        KnowPlatform(*reader, true);
    }

    if (askChv2 && (m_flags & kChv2Initialised) && !(m_flags & kChv2Verified)) {
        if (ObtainAndVerify(2, true) == ChvStep::Failed) return false;
    }
    // A card without the GSM application has no service table of it.
    if (m_flags & kWithoutGsm) {
        m_lastResult = result::kOk;
        return true;
    }
    // Without CHV1 the service table cannot be read; the caller gets a session without it.
    if ((m_flags & kChv1Enabled) && !(m_flags & kChv1Verified)) {
        m_lastResult = result::kOk;
        return true;
    }
    return ReadServiceTable();
}

void CardSession::Identify() {
    const std::vector<std::uint8_t> iccid(m_iccid.begin(), m_iccid.end());
    if (m_iccidCopy && *m_iccidCopy != iccid) ClearCache();
    if (!m_iccidCopy) m_iccidCopy = iccid;
    m_flags |= kIdentified;
}

void CardSession::KnowPlatform(reader::CardReader& reader, bool gsmAnswered) {
    const std::vector<std::uint8_t> iccid(m_iccid.begin(), m_iccid.end());
    const auto known = m_knownCards.find(iccid);
    if (known != m_knownCards.end()) {
        m_platform = known->second;
        m_detectionCommands = 0;
    } else if (DetectPlatform(reader, gsmAnswered)) {
        m_knownCards[iccid] = m_platform;
    }
}

bool CardSession::DetectPlatform(reader::CardReader& reader, bool gsmAnswered) {
    const bool complete = DetectCardPlatform(reader, gsmAnswered, m_platform, m_detectionCommands);
    ForgetSelectedFile();
    return complete;
}

bool CardSession::EndSession() {
    if (reader::CardReader* reader = m_host.CurrentReader()) {
        // A release that failed (a virtual card whose file could not be saved) is kept as the last
        // result, for a caller whose work had succeeded to tell.
        const reader::ReaderResult released = ReleaseCard(*reader, m_host);
        if (released != result::kOk) m_lastResult = released;
    }
    m_flags = 0;
    return true;
}

bool CardSession::ReadIccid(std::array<std::uint8_t, 10>& iccid) {
    if (m_flags & kWithoutGsm) return ReadIccidWithoutGsm(*m_host.CurrentReader(), iccid);
    std::uint32_t length = static_cast<std::uint32_t>(iccid.size());
    if (!ReadFileRecord(kMasterFile, kIccidFile, iccid, length, 1, 4)) return false;
    // A shorter identity file leaves the rest as padding; a record file may report a longer
    // length than the buffer holds.
    std::fill(iccid.begin() + std::min<std::size_t>(length, iccid.size()), iccid.end(), 0xFF);
    return true;
}

void CardSession::TakeChvState(const DfInformation& masterFile) {
    m_flags &= ~static_cast<std::uint32_t>(kChv1Enabled | kChv1Blocked | kChv2Blocked);
    if (!masterFile.Chv1Disabled()) m_flags |= kChv1Enabled;
    if ((masterFile.CodeStatus(0) & 0x0F) == 0) m_flags |= kChv1Blocked;
    if (masterFile.CodeStatus(2) & 0x80) {
        m_flags |= kChv2Initialised;
        if ((masterFile.CodeStatus(2) & 0x0F) == 0) m_flags |= kChv2Blocked;
    }
}

bool CardSession::ReadServiceTable() {
    EfInformation info;
    if (!SelectFile(kGsmDirectory, kServiceTableFile, nullptr, &info)) {
        EndSession();
        return false;
    }
    std::vector<std::uint8_t> table(info.FileSize());
    std::uint32_t length = static_cast<std::uint32_t>(table.size());
    const bool read = ReadFileRecord(kGsmDirectory, kServiceTableFile, table, length, 1, 4);
    m_sst = read ? std::move(table) : std::vector<std::uint8_t>();
    if (!read) {
        // A failed start always leaves the session closed.
        const reader::ReaderResult code = m_lastResult;
        EndSession();
        m_lastResult = code;
    }
    return read;
}

bool CardSession::HasService(unsigned service) const {
    if (service == 0) return false;
    const std::size_t byte = (service - 1) / 4;
    if (byte >= m_sst.size()) return false;
    const unsigned bits = 0x3u << (2 * ((service - 1) % 4));
    return (m_sst[byte] & bits) == bits;  // allocated and activated
}

bool CardSession::RequireService(unsigned service) {
    if (m_flags & kWithoutGsm) return Fail(result::kUsimOnlyCard);
    if (!HasService(service)) return Fail(result::kFileNotAccessible);
    m_lastResult = result::kOk;
    return true;
}

bool CardSession::IsChvBlocked(unsigned chv) const {
    if (chv == 1) return (m_flags & kChv1Blocked) != 0;
    if (chv == 2) return (m_flags & kChv2Blocked) != 0;
    return false;
}

std::string CardSession::FormatLastError() const {
    // Not a failure of the line: the card is of a kind this program cannot read files from.
    if (m_lastResult == result::kUsimOnlyCard) return std::string(reader::ReaderResultText(m_lastResult));
    return std::string(kCommunicationError) + "\r\n" + std::string(reader::ReaderResultText(m_lastResult));
}

void CardSession::ClearCache() {
    m_cache = SessionCache{};
    if (m_iccidCopy) m_iccidCopy.reset();
    m_sst.clear();
}

}  // namespace quillet::card
