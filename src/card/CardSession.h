#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "card/CardPlatform.h"
#include "card/FileHeaders.h"
#include "card/GsmFiles.h"
#include "card/ProgressWindow.h"
#include "card/SecretString.h"
#include "card/SessionCache.h"
#include "card/SessionHost.h"
#include "reader/ReaderResult.h"

namespace quillet::card {

// The one card session of the program: the GSM command layer over the current reader, card
// activation with detection of a changed card, the CHV state, the SIM service table and the
// caches of files read. Every operation keeps its outcome as the last result.
class CardSession {
public:
    enum Flag : std::uint32_t {
        kSessionOpen = 0x001,
        kIdentified = 0x002,
        kChv1Verified = 0x010,
        kChv2Verified = 0x020,
        kChv1Enabled = 0x040,
        kChv2Initialised = 0x080,
        kChv1Blocked = 0x100,
        kChv2Blocked = 0x200,
        kWithoutGsm = 0x400,  // a UICC without the GSM application: codes only, no GSM files
    };

    explicit CardSession(SessionHost& host);
    ~CardSession();
    CardSession(const CardSession&) = delete;
    CardSession& operator=(const CardSession&) = delete;

    bool BeginSession(bool askChv1, bool askChv2, bool strict);
    bool EndSession();
    bool SelectFile(std::uint16_t df, std::uint16_t ef, DfInformation* dfInfo, EfInformation* efInfo);
    // A whole transparent file, or one record. `length` gives the buffer's capacity and returns
    // the file size or the record length.
    bool ReadFileRecord(std::uint16_t df, std::uint16_t ef, std::span<std::uint8_t> buffer, std::uint32_t& length,
                        std::uint8_t record, std::uint8_t mode);
    bool WriteFileRecord(std::uint16_t df, std::uint16_t ef, std::span<const std::uint8_t> buffer,
                         std::uint32_t& length, std::uint8_t record, std::uint8_t mode);
    bool InvalidateFile(std::uint16_t df, std::uint16_t ef);
    bool RehabilitateFile(std::uint16_t df, std::uint16_t ef);
    bool HasService(unsigned service) const;
    bool RequireService(unsigned service);
    bool IsChv1Enabled() const { return (m_flags & kChv1Enabled) != 0; }
    bool IsChvBlocked(unsigned chv) const;
    reader::ReaderResult LastResult() const { return m_lastResult; }
    void SetLastResult(reader::ReaderResult code) { m_lastResult = code; }
    // "Communication error:", CR LF and the message of the last result.
    std::string FormatLastError() const;
    void ClearCache();

    // Changes CHV1 or CHV2, or switches CHV1 on or off first (newCode absent: only the switch).
    bool ChangeOrToggleChv(std::string_view code, std::optional<std::string_view> newCode, unsigned chv, bool enable);
    bool UnblockCardChv(std::string_view unblockCode, std::string_view newPin, unsigned chv);

    // Loads the extension files and the files of the mask into the caches (textId 0: each
    // file's own progress text); any failure or cancel empties every cache.
    bool LoadCardFiles(std::uint32_t mask, std::uint32_t textId);
    // Loads ADN, FDN, MSISDN or LND and builds its record-use map, marking the extension
    // records it uses; the extension files must be loaded first.
    bool LoadLinkedFile(std::uint16_t ef, std::vector<std::uint8_t>* mapOut, std::uint32_t textId);
    bool LoadSmsFile(std::uint32_t textId);
    // The select answer of an EF: from the caches when the file was described before in this
    // card's caches, else from the card (and then remembered).
    bool FileHeader(std::uint16_t df, std::uint16_t ef, EfInformation& info);

    // Writes record `number` of a cached file unless the cache shows the card holds those bytes
    // already, and keeps the cache equal to the card. On failure the caches are cleared (what the
    // card holds is no longer known) and the last result says why.
    enum class RecordWrite { Unchanged, Written, Failed };
    RecordWrite WriteCachedRecord(CachedFile file, std::size_t number, std::span<const std::uint8_t> bytes);

    void BeginProgress(ProgressOwner owner, std::uint32_t textId, std::uint32_t titleId) {
        m_progress.Begin(owner, textId, titleId);
    }
    bool StepProgress(std::string_view text, unsigned percent) { return m_progress.Step(text, percent); }
    bool StepProgress(std::uint32_t textId, unsigned percent) { return m_progress.Step(textId, percent); }
    void EndProgress(bool force) { m_progress.End(force); }

    std::uint32_t Flags() const { return m_flags; }
    std::uint16_t LastStatusWord() const { return m_lastStatusWord; }
    const EfInformation& EfInfo() const { return m_efInfo; }
    std::span<const std::uint8_t> ServiceTable() const { return m_sst; }
    std::span<const std::uint8_t> Iccid() const { return m_iccid; }
    const SessionCache& Cache() const { return m_cache; }
    // What the card is. Found out once per card and remembered by its ICCID while the program runs.
    const CardPlatformInfo& Platform() const { return m_platform; }
    // The commands the last full start spent finding that out: 0 for a card already known.
    std::size_t PlatformDetectionCommands() const { return m_detectionCommands; }
    // After commands of another class, which moved the card's current file behind the session.
    void ForgetSelectedFile() {
        m_selectedDf = 0;
        m_selectedEf = 0;
    }
    SessionHost& Host() { return m_host; }

private:
    bool Fail(reader::ReaderResult code);
    bool FailAndEnd(reader::ReaderResult code);
    bool ReadIccid(std::array<std::uint8_t, 10>& iccid);
    void TakeChvState(const DfInformation& masterFile);
    // Verifies CHV1 or CHV2 with the remembered code or one the user enters.
    enum class ChvStep { Verified, Skipped, Failed };
    ChvStep ObtainAndVerify(unsigned chv, bool strict);
    bool ReadServiceTable();
    // Finds out what the card is; the card's current file is unknown afterwards.
    bool DetectPlatform(reader::CardReader& reader, bool gsmAnswered);
    // Looks the card up by its ICCID, or finds out what it is and remembers it.
    void KnowPlatform(reader::CardReader& reader, bool gsmAnswered);
    // The full start on a UICC that refused the GSM class (CardSessionUicc.cpp).
    bool StartWithoutGsm(reader::CardReader& reader, bool askChv1, bool strict);
    bool ReadIccidWithoutGsm(reader::CardReader& reader, std::array<std::uint8_t, 10>& iccid);
    // Keeps the ICCID read, and forgets the caches of another card.
    void Identify();
    // Selects a file and fetches its description into `response` (at most `capacity` bytes).
    bool SelectWithResponse(std::uint16_t fid, std::span<std::uint8_t> response, std::size_t capacity);
    bool Judge(reader::ReaderResult transport, std::uint16_t sw);
    template <typename Command>
    bool ForEachPiece(std::size_t size, Command command);
    template <typename PieceCommand, typename RecordCommand>
    bool TransferFile(std::uint16_t df, std::uint16_t ef, std::size_t available, std::uint32_t& length,
                      PieceCommand pieceCommand, RecordCommand recordCommand);
    bool LoadExtensionFile(const GsmFile& file);
    // The image of a record file as the card describes it now: the cached one when its shape still
    // fits, else a fresh empty one to be read (`mustRead`).
    SessionCache::Bytes& PrepareImage(const GsmFile& file, const EfInformation& header, bool& mustRead);
    // Shows "text id" formatted with item and total; false when the user cancelled.
    bool StepItemProgress(std::uint32_t textId, unsigned item, unsigned total);

    SessionHost& m_host;
    std::vector<std::uint8_t> m_sst;
    std::optional<std::vector<std::uint8_t>> m_iccidCopy;  // identity of the card the caches hold
    SessionCache m_cache;
    ProgressWindow m_progress;
    EfInformation m_efInfo;
    std::uint16_t m_lastStatusWord = 0;
    std::uint32_t m_flags = 0;
    std::array<std::uint8_t, 10> m_iccid{};
    reader::ReaderResult m_lastResult = reader::result::kOk;
    std::uint16_t m_selectedDf = 0;
    std::uint16_t m_selectedEf = 0;
    CardPlatformInfo m_platform;
    std::map<std::vector<std::uint8_t>, CardPlatformInfo> m_knownCards;  // by ICCID
    std::size_t m_detectionCommands = 0;
};

}  // namespace quillet::card
