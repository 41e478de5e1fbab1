#include "card/CardActivation.h"

#include <algorithm>
#include <array>

#include "card/GsmCommands.h"
#include "card/GsmFiles.h"
#include "card/StatusWords.h"

namespace quillet::card {

namespace {

using reader::ReaderResult;
namespace result = reader::result;

using gsm_file::kMasterFile;
constexpr std::uint16_t kIccidFile = gsm_file::kIccid;
constexpr std::size_t kAtrCapacity = 254;

// Powers the card down after a transport failure; passes every code through.
ReaderResult PowerDownOnFailure(reader::CardReader& reader, ReaderResult code) {
    if (code != result::kOk) reader.PowerOff();
    return code;
}

// Selects a file; on 9Fxx fetches the description into `response`. Accepts 9000 and 9Fxx.
ReaderResult SelectWithResponse(reader::CardReader& reader, std::uint16_t fid, std::array<std::uint8_t, 256>& response,
                                std::uint16_t& sw, std::size_t& responseLength) {
    responseLength = 0;
    ReaderResult code = PowerDownOnFailure(reader, SelectFid(reader, fid, sw));
    if (code != result::kOk) return code;
    if (sw == kSwOk) return result::kOk;
    if (!IsResponseWaiting(sw)) return result::kBadStatusWord;
    const std::uint8_t length = ResponseLength(sw);
    std::uint16_t responseSw = 0;
    code = PowerDownOnFailure(reader, GetResponse(reader, length, response, responseSw));
    if (code != result::kOk) return code;
    if (responseSw != kSwOk) return result::kBadStatusWord;
    responseLength = length == 0 ? 256 : length;
    return result::kOk;
}

// The record length of a record file; 0 for a transparent file, which has no records.
std::size_t RecordLengthOf(const EfInformation& info) { return info.IsRecordFile() ? info.RecordLength() : 0; }

}  // namespace

ReaderResult ActivateCard(reader::CardReader& reader, SessionHost& host, bool force, std::uint16_t* poweredOut,
                          bool* chv1EnabledOut) {
    host.RaisePriority();
    if (!reader.IsReaderConnected()) return result::kReaderNotConnected;
    reader.SetSessionOpen(true);

    bool freshlyPowered = false;
    bool ready = false;
    if (force) {
        const ReaderResult code = reader.ResetCard(nullptr);
        if (code != result::kOk && code != result::kCardNotActive) return code;
        freshlyPowered = true;
        ready = reader.IsCardPowered();
    } else if (reader.IsCardPowered()) {
        if (!reader.IsCardActive()) {
            const ReaderResult code = reader.ResetCard(nullptr);
            if (code != result::kOk && code != result::kCardNotActive) return code;
            freshlyPowered = true;
        }
        ready = reader.IsCardPowered();
    }
    if (ready) {
        if (poweredOut != nullptr) *poweredOut = 0;
    } else {
        std::array<std::uint8_t, kAtrCapacity> atrBytes{};
        reader::ByteBuffer atr{atrBytes};
        const ReaderResult code = reader.PowerOn(&atr);
        if (code != result::kOk) {
            reader.PowerOff();
            return code;
        }
        freshlyPowered = true;
    }
    if (!reader.IsCardPowered() || !reader.IsCardActive()) return result::kGeneralReaderError;

    std::array<std::uint8_t, 256> response{};
    std::size_t responseLength = 0;
    std::uint16_t sw = 0;
    ReaderResult code = SelectWithResponse(reader, kMasterFile, response, sw, responseLength);
    if (code == result::kBadStatusWord && RefusesGsmClass(sw)) return result::kUsimOnlyCard;
    if (code != result::kOk) return code;
    if (chv1EnabledOut != nullptr && responseLength >= 14) {
        *chv1EnabledOut = !DfInformation::FromAnswer(std::span(response).first(responseLength)).Chv1Disabled();
    }

    code = SelectWithResponse(reader, kIccidFile, response, sw, responseLength);
    if (code != result::kOk) return code;
    // An ICCID is ten bytes; the cache holds no more.
    std::size_t size =
        responseLength >= 4 ? EfInformation::FromAnswer(std::span(response).first(responseLength)).FileSize() : 0;
    size = std::min(size, reader::CardReader::kIccidLength);
    std::array<std::uint8_t, reader::CardReader::kIccidLength> iccid;
    iccid.fill(0xFF);
    if (size > 0) {
        code = PowerDownOnFailure(reader, ReadBinary(reader, 0, std::span(iccid).first(size), sw));
        if (code != result::kOk) return code;
        if (sw != kSwOk) return result::kBadStatusWord;
    }

    // A card that does not tell its identity's size counts as another card.
    auto& cached = reader.CachedIccid();
    if (size == 0 || !std::equal(iccid.begin(), iccid.begin() + static_cast<std::ptrdiff_t>(size), cached.begin())) {
        host.RememberedPin(1).Clear();
        host.RememberedPin(2).Clear();
        if (!freshlyPowered) return result::kCardChanged;
        cached = iccid;
    }
    return result::kOk;
}

ReaderResult ReleaseCard(reader::CardReader& reader, SessionHost& host) {
    host.LowerPriority();
    if (!reader.IsSessionOpen()) return result::kOk;
    const ReaderResult code = reader.IsCardPowered() ? reader.PowerOff() : result::kOk;
    reader.SetSessionOpen(false);
    return code;
}

ReaderResult GetFileInfo(reader::CardReader& reader, std::uint16_t df, std::uint16_t ef, EfInformation& info) {
    info = EfInformation{};
    std::array<std::uint8_t, 256> response{};
    std::size_t responseLength = 0;
    std::uint16_t sw = 0;
    for (std::uint16_t fid : {kMasterFile, df}) {
        const ReaderResult code = SelectWithResponse(reader, fid, response, sw, responseLength);
        if (code != result::kOk) return code;
    }
    const ReaderResult code = SelectWithResponse(reader, ef, response, sw, responseLength);
    if (code != result::kOk) return code;
    if (sw == kSwOk) return result::kBadOrMissingRecord;
    if (responseLength < 15) return result::kBadStatusWord;
    info = EfInformation::FromAnswer(std::span(response).first(responseLength));
    return result::kOk;
}

ReaderResult ReadRecordInto(reader::CardReader& reader, std::span<std::uint8_t> buffer, std::uint8_t record,
                            const EfInformation& info) {
    const std::size_t recordLength = RecordLengthOf(info);
    if (recordLength == 0) return result::kNonSpecific;
    std::array<std::uint8_t, 255> scratch{};
    std::uint16_t sw = 0;
    const ReaderResult code = PowerDownOnFailure(
        reader, ReadRecord(reader, record, kRecordModeAbsolute, std::span(scratch).first(recordLength), sw));
    if (code != result::kOk) return code;
    if (IsSecurityStatus(sw)) return result::kNoValidPin;
    if (sw != kSwOk) return result::kBadStatusWord;
    const std::size_t count = std::min(buffer.size(), recordLength);
    std::copy_n(scratch.begin(), count, buffer.begin());
    return result::kOk;
}

ReaderResult UpdateRecordFrom(reader::CardReader& reader, std::span<const std::uint8_t> buffer, std::uint8_t record,
                              const EfInformation& info) {
    const std::size_t recordLength = RecordLengthOf(info);
    if (recordLength == 0 || buffer.size() < recordLength) return result::kNonSpecific;
    std::uint16_t sw = 0;
    const ReaderResult code =
        PowerDownOnFailure(reader, UpdateRecord(reader, record, kRecordModeAbsolute, buffer.first(recordLength), sw));
    if (code != result::kOk) return code;
    if (IsSecurityStatus(sw)) return result::kNoValidPin;
    return sw == kSwOk ? result::kOk : result::kBadStatusWord;
}

}  // namespace quillet::card
