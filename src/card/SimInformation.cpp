#include "card/SimInformation.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "card/DiallingDigits.h"
#include "card/GsmFiles.h"
#include "card/StatusWords.h"
#include "resources/StringTable.h"

namespace quillet::card {

namespace {

using reader::ReaderResult;
namespace result = reader::result;

constexpr std::uint16_t kImsiFile = 0x6F07;
constexpr std::uint16_t kPhaseFile = 0x6FAE;
constexpr std::uint16_t kPuctFile = 0x6F41;
constexpr std::uint16_t kAcmFile = 0x6F39;
constexpr std::uint16_t kAcmMaxFile = 0x6F37;
constexpr std::uint16_t kSwInvalidated = 0x9810;

constexpr unsigned kServiceAdn = 2;
constexpr unsigned kServiceFdn = 3;
constexpr unsigned kServiceSms = 4;
constexpr unsigned kServiceAdviceOfCharge = 5;

constexpr std::uint32_t kWorkingTitle = 5106;
constexpr std::uint32_t kYes = 57905;
constexpr std::uint32_t kNo = 57906;
constexpr std::uint32_t kNone = 6150;
constexpr std::uint32_t kNotReadable = 5610;  // "<Entry can not be ovewritten>"
constexpr std::uint32_t kReaderError = 57642;
constexpr const char* kReadingTitle = "Quillet! - Reading SIM Card";
constexpr const char* kUnknown = "???";

// Bytes of a directory's select answer (counted from 0): the length of the GSM data that follows,
// the file characteristics and the four code status bytes.
constexpr std::size_t kGsmDataLength = 12;
constexpr std::size_t kCharacteristics = 13;
constexpr std::size_t kFirstCodeStatus = 18;
// The code status bytes end at byte 22, 9 bytes after the length byte.
constexpr std::uint8_t kGsmDataWithCodes = 9;

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }

std::string Unsigned(unsigned value) { return std::to_string(value); }

std::string Money(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%7.2f", static_cast<double>(value));
    return text;
}

char NibbleChar(std::uint8_t nibble) {
    return nibble < 10 ? static_cast<char>('0' + nibble) : static_cast<char>('A' + nibble - 10);
}

// The nibbles of `bytes`, low before high, from nibble `first` on, at most `limit` of them and up to the
// first 0xF.
std::string NibbleDigits(std::span<const std::uint8_t> bytes, std::size_t first, std::size_t limit) {
    std::string digits;
    for (std::size_t position = first; position < 2 * bytes.size() && digits.size() < limit; ++position) {
        const std::uint8_t byte = bytes[position / 2];
        const std::uint8_t nibble = position % 2 == 0 ? byte & 0x0F : byte >> 4;
        if (nibble == 0x0F) break;
        digits += NibbleChar(nibble);
    }
    return digits;
}

std::uint32_t CallMeter(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 16 | static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[2];
}

// The steps both pages share: the session, the progress bar and the select and read of files. Each
// failing step returns false and leaves its result in `failure`.
class InformationReading {
public:
    explicit InformationReading(CardSession& session) : m_session(session) {}

    ReaderResult failure = result::kOk;

    // Begins the session and shows the bar; false when no session could begin.
    bool Begin(ProgressOwner owner) {
        if (m_session.Host().CurrentReader() == nullptr) return Fail(result::kReaderInaccessible);
        if (!m_session.BeginSession(true, false, false)) {
            const ReaderResult code = m_session.LastResult();
            return Fail(code == result::kOk ? result::kNonSpecific : code);
        }
        // A card without the GSM application has none of the files these pages show.
        if (m_session.Flags() & CardSession::kWithoutGsm) {
            m_session.EndSession();
            return Fail(result::kUsimOnlyCard);
        }
        m_session.BeginProgress(owner, 0, kWorkingTitle);
        m_session.Host().Ui().SetProgressTitle(kReadingTitle);
        m_progressOpen = true;
        return true;
    }

    ReaderResult End(ReaderResult code) {
        m_session.EndSession();
        if (m_progressOpen) m_session.EndProgress(false);
        m_session.SetLastResult(code);
        return code;
    }

    bool Step(unsigned percent) {
        return m_session.StepProgress(std::string_view(), percent) || Fail(result::kCancelledByUser);
    }

    // The MF's select answer; it must carry the code status bytes.
    bool MasterFile(DfInformation& answer) {
        if (!m_session.SelectFile(gsm_file::kMasterFile, 0, &answer, nullptr)) return Fail(result::kNonSpecific);
        if (answer.bytes[kGsmDataLength] < kGsmDataWithCodes) return Fail(result::kNonSpecific);
        return true;
    }

    bool Select(std::uint16_t df, std::uint16_t ef, EfInformation& header) {
        return m_session.SelectFile(df, ef, nullptr, &header) || Fail(m_session.LastResult());
    }

    // The whole body of the transparent file just selected (one record of a record file).
    bool ReadBody(std::uint16_t df, std::uint16_t ef, const EfInformation& header, std::vector<std::uint8_t>& body) {
        body.assign(header.FileSize(), 0);
        std::uint32_t length = static_cast<std::uint32_t>(body.size());
        if (!m_session.ReadFileRecord(df, ef, body, length, 1, kRecordModeAbsolute))
            return Fail(m_session.LastResult());
        body.resize(std::min<std::size_t>(length, body.size()));
        return true;
    }

    bool ReadFile(std::uint16_t df, std::uint16_t ef, std::vector<std::uint8_t>& body, std::size_t atLeast) {
        EfInformation header;
        if (!Select(df, ef, header) || !ReadBody(df, ef, header, body)) return false;
        return body.size() >= atLeast || Fail(result::kBadOrMissingRecord);
    }

    bool Fail(ReaderResult code) {
        failure = code;
        return false;
    }

    CardSession& Session() { return m_session; }

private:
    static constexpr std::uint8_t kRecordModeAbsolute = 4;

    CardSession& m_session;
    bool m_progressOpen = false;
};

void TakeCodeTable(const DfInformation& masterFile, GlobalInformation& info) {
    // Code status bytes in card order: CHV1, UNBLOCK CHV1, CHV2, UNBLOCK CHV2.
    constexpr CodeRow kRows[] = {kPin1Row, kPuk1Row, kPin2Row, kPuk2Row};
    for (std::size_t index = 0; index < 4; ++index) {
        const std::uint8_t status = masterFile.bytes[kFirstCodeStatus + index];
        CodeRowTexts& row = info.codes[kRows[index]];
        row.supported = Text((status & 0x80) != 0 ? kYes : kNo);
        row.limit = Unsigned(status & 0x0F);
    }
    info.codes[kPin1Row].activated = Text((masterFile.bytes[kCharacteristics] & 0x80) == 0 ? kYes : kNo);
}

std::string PhaseText(std::uint8_t phase) {
    switch (phase) {
        case 0:
            return "1";
        case 1:
            return "?";
        case 2:
            return "2";
        default:
            return "2+";
    }
}

// The subscriber identity: its length byte, then the digits from the high nibble of the next byte.
std::string ImsiDigits(std::span<const std::uint8_t> body) {
    const std::size_t length = body[0];
    const std::size_t digits = length == 0 ? 0 : 2 * length - 1;
    return NibbleDigits(body.subspan(1), 1, digits);
}

// Advice of charge: currency and price per unit from EF PUCT, the units used from EF ACM and
// their limit from EF ACMmax.
bool ReadCallCosts(InformationReading& reading, GlobalInformation& info) {
    std::vector<std::uint8_t> puct;
    if (!reading.ReadFile(gsm_file::kGsmDirectory, kPuctFile, puct, 5) || !reading.Step(60)) return false;
    if (puct[0] == 0xFF) {
        info.currency = kUnknown;
    } else {
        for (std::size_t index = 0; index < 3 && puct[index] >= 0x20 && puct[index] <= 0x7F; ++index) {
            info.currency += static_cast<char>(puct[index]);
        }
    }
    const unsigned eppu = puct[3] * 16u + (puct[4] & 0x0Fu);
    int exponent = puct[4] >> 5;
    if ((puct[4] & 0x10) != 0) exponent = -exponent;
    const float price = static_cast<float>(eppu) * std::pow(10.0f, static_cast<float>(exponent));
    const bool priceValid = eppu != 0;
    info.pricePerUnit = priceValid ? Money(price) : kUnknown;

    // The ACM's current record, read again until it shows units (at most once per record).
    EfInformation header;
    if (!reading.Select(gsm_file::kGsmDirectory, kAcmFile, header) || !reading.Step(80)) return false;
    if (!header.IsRecordFile() || header.RecordLength() < 3) return reading.Fail(result::kBadOrMissingRecord);
    const unsigned reads = header.RecordCount();
    std::uint32_t acm = 0;
    std::array<std::uint8_t, 255> record{};
    for (unsigned read = 0; read < reads && acm == 0; ++read) {
        std::uint32_t length = static_cast<std::uint32_t>(record.size());
        if (!reading.Session().ReadFileRecord(gsm_file::kGsmDirectory, kAcmFile, record, length, 0, 4)) {
            return reading.Fail(reading.Session().LastResult());
        }
        acm = CallMeter(record);
    }
    info.sumUsed = acm != 0 && priceValid ? Money(static_cast<float>(acm) * price) : kUnknown;

    std::vector<std::uint8_t> limit;
    if (!reading.ReadFile(gsm_file::kGsmDirectory, kAcmMaxFile, limit, 3) || !reading.Step(90)) return false;
    const std::uint32_t acmMax = CallMeter(limit);
    info.creditRemaining =
        acmMax != 0 && priceValid && acmMax >= acm ? Money(static_cast<float>(acmMax - acm) * price) : kUnknown;
    return true;
}

bool ReadGlobal(InformationReading& reading, GlobalInformation& info) {
    DfInformation masterFile{};
    if (!reading.MasterFile(masterFile) || !reading.Step(10)) return false;
    TakeCodeTable(masterFile, info);

    std::vector<std::uint8_t> body;
    if (!reading.ReadFile(gsm_file::kMasterFile, gsm_file::kIccid, body, 0) || !reading.Step(20)) return false;
    info.serialNumber = NibbleDigits(body, 0, 2 * body.size());

    if (!reading.ReadFile(gsm_file::kGsmDirectory, kPhaseFile, body, 1) || !reading.Step(40)) return false;
    info.phase = PhaseText(body[0]);

    EfInformation header;
    if (!reading.Select(gsm_file::kGsmDirectory, kImsiFile, header)) return false;
    if (!reading.ReadBody(gsm_file::kGsmDirectory, kImsiFile, header, body)) {
        const std::uint16_t sw = reading.Session().LastStatusWord();
        // Without the PIN the identity and everything after it stay unknown; that is no failure.
        if (sw == kSwAccessNotFulfilled) return reading.Fail(result::kOk);
        if (sw != kSwInvalidated) return false;
        info.internationalCode = Text(kNotReadable);
    } else {
        if (body.empty()) return reading.Fail(result::kBadOrMissingRecord);
        if (!reading.Step(50)) return false;
        info.internationalCode = ImsiDigits(body);
    }

    if (reading.Session().HasService(kServiceAdviceOfCharge)) return ReadCallCosts(reading, info);
    info.currency = info.pricePerUnit = info.sumUsed = info.creditRemaining = Text(kNone);
    return true;
}

// Record count and name length of a dialling file, or record count only (`nameLength` null).
bool ReadCapacity(InformationReading& reading, std::uint16_t ef, std::string& items, std::string* nameLength) {
    EfInformation header;
    if (!reading.Select(gsm_file::kTelecomDirectory, ef, header)) return false;
    if (!header.IsRecordFile() || header.RecordLength() == 0) return reading.Fail(result::kBadOrMissingRecord);
    if (nameLength != nullptr && header.RecordLength() < kDiallingFixedPart) {
        return reading.Fail(result::kBadOrMissingRecord);
    }
    items = Unsigned(header.RecordCount());
    if (nameLength != nullptr) *nameLength = Unsigned(header.RecordLength() - kDiallingFixedPart);
    return true;
}

bool ReadCapacities(InformationReading& reading, CapacityInformation& info) {
    DfInformation masterFile{};
    if (!reading.MasterFile(masterFile) || !reading.Step(20)) return false;
    const CardSession& session = reading.Session();
    if (session.HasService(kServiceAdn)) {
        if (!ReadCapacity(reading, gsm_file::kAdn, info.phoneBookItems, &info.phoneBookNameLength)) return false;
    } else {
        info.phoneBookItems = info.phoneBookNameLength = Text(kNone);
    }
    if (!reading.Step(40)) return false;
    if (session.HasService(kServiceFdn)) {
        if (!ReadCapacity(reading, gsm_file::kFdn, info.fdnItems, &info.fdnNameLength)) return false;
    } else {
        info.fdnItems = info.fdnNameLength = Text(kNone);
    }
    if (!reading.Step(60)) return false;
    if (session.HasService(kServiceSms)) {
        if (!ReadCapacity(reading, gsm_file::kSms, info.smsItems, nullptr)) return false;
    } else {
        info.smsItems = Text(kNone);
    }
    return true;
}

template <typename Information, typename Read>
ReaderResult RunReading(CardSession& session, ProgressOwner owner, Information& info, Read read) {
    info = Information{};
    InformationReading reading(session);
    if (!reading.Begin(owner)) return reading.End(reading.failure);
    if (read(reading, info) && reading.Step(100)) return reading.End(result::kOk);
    return reading.End(reading.failure);
}

}  // namespace

ReaderResult ReadGlobalInformation(CardSession& session, ProgressOwner owner, GlobalInformation& info) {
    return RunReading(session, owner, info, ReadGlobal);
}

ReaderResult ReadCapacityInformation(CardSession& session, ProgressOwner owner, CapacityInformation& info) {
    return RunReading(session, owner, info, ReadCapacities);
}

std::string InformationErrorText(ReaderResult code) {
    if (code == result::kUsimOnlyCard) return std::string(reader::ReaderResultText(code));
    return Text(kReaderError) + "\r\n" + std::string(reader::ReaderResultText(code));
}

}  // namespace quillet::card
