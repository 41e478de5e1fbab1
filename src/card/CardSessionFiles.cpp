// Selecting, reading, writing, invalidating and rehabilitating files within a card session.
#include <algorithm>

#include "card/CardSession.h"
#include "card/GsmCommands.h"
#include "card/GsmFiles.h"
#include "card/StatusWords.h"

namespace quillet::card {

namespace {

using reader::ReaderResult;
namespace result = reader::result;

using gsm_file::kMasterFile;
constexpr std::size_t kMaxDfResponse = 36;
constexpr std::size_t kMaxEfResponse = 18;
// Transparent files move in pieces a single command can carry.
constexpr std::size_t kMaxPiece = 255;

constexpr std::uint8_t kTransparent = static_cast<std::uint8_t>(FileStructure::Transparent);
constexpr std::uint8_t kLinearFixed = static_cast<std::uint8_t>(FileStructure::LinearFixed);
constexpr std::uint8_t kCyclic = static_cast<std::uint8_t>(FileStructure::Cyclic);

}  // namespace

// Runs one command per piece of at most 255 bytes at increasing offsets, judging each answer.
template <typename Command>
bool CardSession::ForEachPiece(std::size_t size, Command command) {
    for (std::size_t offset = 0; offset < size; offset += kMaxPiece) {
        const std::size_t piece = std::min(kMaxPiece, size - offset);
        std::uint16_t sw = 0;
        const ReaderResult code = command(offset, piece, sw);
        if (!Judge(code, sw)) return false;
    }
    return true;
}

bool CardSession::Judge(ReaderResult transport, std::uint16_t sw) {
    if (transport != result::kOk) return Fail(transport);
    m_lastStatusWord = sw;
    if (sw == kSwAccessNotFulfilled) return Fail(result::kNoValidPin);
    if (sw != kSwOk) return Fail(result::kBadStatusWord);
    return true;
}

bool CardSession::SelectWithResponse(std::uint16_t fid, std::span<std::uint8_t> response, std::size_t capacity) {
    reader::CardReader& reader = *m_host.CurrentReader();
    std::uint16_t sw = 0;
    ReaderResult code = SelectFid(reader, fid, sw);
    if (code != result::kOk) return Fail(code);
    m_lastStatusWord = sw;
    if (sw == kSwOk) return true;
    if (!IsResponseWaiting(sw)) return Fail(result::kBadStatusWord);
    const std::size_t length = ResponseLength(sw) == 0 ? 256 : ResponseLength(sw);
    if (length > capacity) return Fail(result::kNonSpecific);
    code = GetResponse(reader, ResponseLength(sw), response, sw);
    if (code != result::kOk) return Fail(code);
    m_lastStatusWord = sw;
    return sw == kSwOk || Fail(result::kBadStatusWord);
}

bool CardSession::SelectFile(std::uint16_t df, std::uint16_t ef, DfInformation* dfInfo, EfInformation* efInfo) {
    if (m_host.CurrentReader() == nullptr) return Fail(result::kReaderInaccessible);
    if (m_flags & kWithoutGsm) return Fail(result::kUsimOnlyCard);

    if (df != m_selectedDf || dfInfo != nullptr) {
        m_selectedDf = 0;
        m_selectedEf = 0;
        DfInformation scratch{};
        DfInformation& answer = dfInfo != nullptr ? *dfInfo : scratch;
        answer.bytes.fill(0);
        std::array<std::uint8_t, 256> masterAnswer{};
        if (df != kMasterFile && !SelectWithResponse(kMasterFile, masterAnswer, masterAnswer.size())) return false;
        if (!SelectWithResponse(df, answer.bytes, kMaxDfResponse)) return false;
        m_selectedDf = df;
    }

    if (ef != 0 && (ef != m_selectedEf || efInfo != nullptr)) {
        m_selectedEf = 0;
        m_efInfo = EfInformation{};
        if (!SelectWithResponse(ef, m_efInfo.bytes, kMaxEfResponse)) return false;
        m_selectedEf = ef;
        if (efInfo != nullptr) *efInfo = m_efInfo;
    }
    m_lastResult = result::kOk;
    return true;
}

// Reading and writing share their shape: select the file, then move a transparent file whole in
// pieces, or one record of a record file.
template <typename PieceCommand, typename RecordCommand>
bool CardSession::TransferFile(std::uint16_t df, std::uint16_t ef, std::size_t available, std::uint32_t& length,
                               PieceCommand pieceCommand, RecordCommand recordCommand) {
    if (!SelectFile(df, ef, nullptr, nullptr)) return false;
    reader::CardReader& reader = *m_host.CurrentReader();
    std::size_t moved = 0;
    switch (m_efInfo.Structure()) {
        case kTransparent:
            moved = m_efInfo.FileSize();
            if (available < moved) return Fail(result::kNonSpecific);
            if (!ForEachPiece(moved, [&](std::size_t offset, std::size_t piece, std::uint16_t& sw) {
                    return pieceCommand(reader, offset, piece, sw);
                })) {
                return false;
            }
            break;
        case kLinearFixed:
        case kCyclic:
            moved = m_efInfo.RecordLength();
            if (moved == 0) return Fail(result::kNonSpecific);
            if (!recordCommand(reader, moved)) return false;
            break;
        default:
            return Fail(result::kNonSpecific);
    }
    length = static_cast<std::uint32_t>(moved);
    m_lastResult = result::kOk;
    return true;
}

bool CardSession::ReadFileRecord(std::uint16_t df, std::uint16_t ef, std::span<std::uint8_t> buffer,
                                 std::uint32_t& length, std::uint8_t record, std::uint8_t mode) {
    const std::size_t capacity = std::min<std::size_t>(length, buffer.size());
    return TransferFile(
        df, ef, capacity, length,
        [&](reader::CardReader& reader, std::size_t offset, std::size_t piece, std::uint16_t& sw) {
            return ReadBinary(reader, static_cast<std::uint16_t>(offset), buffer.subspan(offset, piece), sw);
        },
        [&](reader::CardReader& reader, std::size_t recordLength) {
            // A whole record is read; as much of it as fits goes to the caller.
            std::array<std::uint8_t, 255> scratch{};
            std::uint16_t sw = 0;
            const ReaderResult code = ReadRecord(reader, record, mode, std::span(scratch).first(recordLength), sw);
            if (!Judge(code, sw)) return false;
            std::copy_n(scratch.begin(), std::min(capacity, recordLength), buffer.begin());
            return true;
        });
}

bool CardSession::WriteFileRecord(std::uint16_t df, std::uint16_t ef, std::span<const std::uint8_t> buffer,
                                  std::uint32_t& length, std::uint8_t record, std::uint8_t mode) {
    const std::size_t available = std::min<std::size_t>(length, buffer.size());
    return TransferFile(
        df, ef, available, length,
        [&](reader::CardReader& reader, std::size_t offset, std::size_t piece, std::uint16_t& sw) {
            return UpdateBinary(reader, static_cast<std::uint16_t>(offset), buffer.subspan(offset, piece), sw);
        },
        [&](reader::CardReader& reader, std::size_t recordLength) {
            // The caller passes a whole record; a shorter buffer is refused.
            if (available < recordLength) return Fail(result::kNonSpecific);
            std::uint16_t sw = 0;
            const ReaderResult code = UpdateRecord(reader, record, mode, buffer.first(recordLength), sw);
            return Judge(code, sw);
        });
}

bool CardSession::FileHeader(std::uint16_t df, std::uint16_t ef, EfInformation& info) {
    if (const EfInformation* cached = m_cache.Header(df, ef)) {
        info = *cached;
        m_lastResult = result::kOk;
        return true;
    }
    if (!SelectFile(df, ef, nullptr, &info)) return false;
    m_cache.KeepHeader(df, ef, info);
    return true;
}

CardSession::RecordWrite CardSession::WriteCachedRecord(CachedFile file, std::size_t number,
                                                        std::span<const std::uint8_t> bytes) {
    SessionCache::Bytes& image = m_cache.ImageBytes(file);
    const std::span<std::uint8_t> cached = image ? WritableFileImage(*image).Record(number) : std::span<std::uint8_t>();
    if (std::equal(bytes.begin(), bytes.end(), cached.begin(), cached.end())) return RecordWrite::Unchanged;
    const GsmFile& gsmFile = GsmFileOf(file);
    std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
    if (cached.size() != bytes.size()) {
        m_lastResult = result::kNonSpecific;
    } else if (WriteFileRecord(gsmFile.parent, gsmFile.id, bytes, length, static_cast<std::uint8_t>(number),
                               kRecordModeAbsolute)) {
        std::copy(bytes.begin(), bytes.end(), cached.begin());
        m_cache.ForgetRelatedMaps(gsmFile);
        return RecordWrite::Written;
    }
    // What the card holds now is not known for sure: read it afresh next time.
    const ReaderResult code = m_lastResult;
    ClearCache();
    m_lastResult = code;
    return RecordWrite::Failed;
}

bool CardSession::InvalidateFile(std::uint16_t df, std::uint16_t ef) {
    if (!SelectFile(df, ef, nullptr, nullptr)) return false;
    if (m_efInfo.IsValid()) {
        std::uint16_t sw = 0;
        const ReaderResult code = Invalidate(*m_host.CurrentReader(), sw);
        if (!Judge(code, sw)) return false;
        m_efInfo.SetValid(false);
        m_cache.UpdateHeader(df, ef, m_efInfo);
    }
    m_lastResult = result::kOk;
    return true;
}

bool CardSession::RehabilitateFile(std::uint16_t df, std::uint16_t ef) {
    if (!SelectFile(df, ef, nullptr, nullptr)) return false;
    if (!m_efInfo.IsValid()) {
        std::uint16_t sw = 0;
        const ReaderResult code = Rehabilitate(*m_host.CurrentReader(), sw);
        if (!Judge(code, sw)) return false;
        m_efInfo.SetValid(true);
        m_cache.UpdateHeader(df, ef, m_efInfo);
    }
    m_lastResult = result::kOk;
    return true;
}

}  // namespace quillet::card
