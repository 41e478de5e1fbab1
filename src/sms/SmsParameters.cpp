#include "sms/SmsParameters.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "card/CardActivation.h"
#include "card/ChvCommands.h"
#include "card/GsmFiles.h"
#include "card/PinEntry.h"
#include "resources/StringTable.h"
#include "sms/SmsParametersRecord.h"
#include "sms/SmsTimeValue.h"

namespace quillet::sms {

namespace {

namespace result = reader::result;

constexpr std::uint16_t kTelecom = card::gsm_file::kTelecomDirectory;
constexpr std::uint16_t kSmspFile = card::gsm_file::kSmsParameters;
constexpr std::uint32_t kNoReaderOnRead = 57740;
constexpr std::uint32_t kReadError = 57741;
constexpr std::uint32_t kNoReaderOnWrite = 57760;
constexpr std::uint32_t kWriteError = 57761;
constexpr std::uint32_t kShowEndMs = 500;

// One worker run: the progress bar, the card's activation and release, and the error message.
class Worker {
public:
    Worker(card::SessionHost& host, std::uint32_t errorText, std::string_view title)
        : m_host(host), m_ui(host.Ui()), m_errorText(errorText) {
        m_ui.OpenProgress(nullptr);
        if (!title.empty()) m_ui.SetProgressTitle(title);
    }
    ~Worker() { m_ui.CloseProgress(); }

    void Bar(unsigned percent) {
        m_ui.SetProgressPercent(percent);
        m_ui.PumpProgress();
    }
    // Reports a failed reader step and releases the card.
    int Fail(reader::ReaderResult code) {
        m_ui.ShowMessage(
            std::string(resources::LoadString(m_errorText)) + "\r\n" + std::string(reader::ReaderResultText(code)),
            card::MessageIcon::Error);
        Release();
        return kWorkerFailed;
    }
    reader::ReaderResult Release() {
        reader::CardReader* reader = m_host.CurrentReader();
        return reader != nullptr ? card::ReleaseCard(*reader, m_host) : result::kOk;
    }
    // The run succeeded once the card is released (a virtual card saves its file then).
    int Finish() {
        const reader::ReaderResult released = Release();
        if (released != result::kOk) return Fail(released);
        Bar(100);
        m_host.Pause(kShowEndMs);
        return kWorkerDone;
    }
    // Activates the card and gives CHV1 when it is enabled; false when the run must stop (the
    // failure, if any, has been reported).
    bool Prepare(bool& cancelled) {
        reader::CardReader& reader = *m_host.CurrentReader();
        bool chv1Enabled = false;
        const reader::ReaderResult activated = card::ActivateCard(reader, m_host, true, nullptr, &chv1Enabled);
        if (activated != result::kOk) {
            Fail(activated);
            return false;
        }
        Bar(20);
        if (!chv1Enabled) return true;
        // A remembered code the card refuses is forgotten and asked for anew.
        const card::PinCheck check = card::VerifyWithRememberedPin(m_host, &reader, 1, card::RefusedMemory::AskUser);
        if (check.cancelled) {
            cancelled = true;
            Release();
            return false;
        }
        if (check.code != result::kOk) {
            Fail(check.code);
            return false;
        }
        return true;
    }
    // False, with `noReaderText` shown, when no reader is open.
    bool HasReader(std::uint32_t noReaderText) {
        if (m_host.CurrentReader() != nullptr) return true;
        m_ui.ShowMessage(resources::LoadString(noReaderText), card::MessageIcon::Error);
        return false;
    }
    // The steps both workers take on the card first: activate it, give CHV1, and read the header of
    // the SMS parameter file, whose records must have the standard's layout. False when the run
    // must stop (the failure has been reported).
    bool OpenSmspFile(card::EfInformation& info) {
        reader::CardReader* reader = m_host.CurrentReader();
        bool cancelled = false;
        if (!Prepare(cancelled)) return false;
        Bar(30);
        const reader::ReaderResult code = card::GetFileInfo(*reader, kTelecom, kSmspFile, info);
        // Records outside the layout the card standard gives are refused.
        const bool standard = info.IsRecordFile() && info.RecordLength() >= kSmspFixedPart;
        if (code != result::kOk || !standard) {
            Fail(code != result::kOk ? code : result::kBadCardRecord);
            return false;
        }
        Bar(40);
        return true;
    }

private:
    card::SessionHost& m_host;
    card::UserInterface& m_ui;
    std::uint32_t m_errorText;
};

}  // namespace

int ReadSmsParameters(card::SessionHost& host, SmsParameterTexts& parameters, std::string_view progressTitle) {
    parameters = SmsParameterTexts{};
    Worker worker(host, kReadError, progressTitle);
    worker.Bar(10);
    card::EfInformation info;
    if (!worker.HasReader(kNoReaderOnRead) || !worker.OpenSmspFile(info)) return kWorkerFailed;
    reader::CardReader* reader = host.CurrentReader();

    // The first record that carries a centre or a validity holds the parameters.
    std::optional<SmsParametersRecord> found;
    std::vector<std::uint8_t> record(info.RecordLength());
    const std::size_t count = info.RecordCount();
    for (std::size_t number = 1; number <= count && !found; ++number) {
        worker.Bar(static_cast<unsigned>(40 + 50 * (number - 1) / count));
        const reader::ReaderResult code =
            card::ReadRecordInto(*reader, record, static_cast<std::uint8_t>(number), info);
        if (code != result::kOk) return worker.Fail(code);
        found = DecodeSmsParametersRecord(record);
        if (found && !found->HasParameters()) found.reset();
    }
    if (worker.Finish() != kWorkerDone) return kWorkerFailed;
    if (found) {
        if (found->HasCentre()) parameters.centre = found->CentreText();
        SmsTimeValue value{};
        value.validity = found->ValidityOrZero();
        std::array<char, 16> text{};
        const std::size_t written = FormatDateOrValidity(value, text);
        parameters.validity.assign(text.data(), std::min(written, text.size()));
    }
    return kWorkerDone;
}

int WriteSmsParameters(card::SessionHost& host, std::string_view centreText, std::string_view validityText,
                       std::string_view progressTitle) {
    SmsTimeValue value{};
    const std::uint8_t validity =
        ParseDateOrValidity(validityText, value) && !value.isDate ? value.validity : static_cast<std::uint8_t>(0);
    Worker worker(host, kWriteError, progressTitle);
    worker.Bar(10);
    if (!worker.HasReader(kNoReaderOnWrite)) return kWorkerFailed;
    const bool international = !centreText.empty() && centreText.front() == '+';
    const std::string_view digits = international ? centreText.substr(1) : centreText;
    if (digits.size() > kMaxCentreDigits) return worker.Fail(result::kBadCardRecord);
    card::EfInformation info;
    if (!worker.OpenSmspFile(info)) return kWorkerFailed;
    reader::CardReader* reader = host.CurrentReader();
    std::vector<std::uint8_t> bytes(info.RecordLength());
    reader::ReaderResult code = card::ReadRecordInto(*reader, bytes, 1, info);
    if (code != result::kOk) return worker.Fail(code);
    worker.Bar(60);

    std::optional<SmsParametersRecord> record = DecodeSmsParametersRecord(bytes);
    if (!record) return worker.Fail(result::kBadCardRecord);
    record->SetCentreAndValidity(digits, international, validity);
    code = card::UpdateRecordFrom(*reader, EncodeSmsParametersRecord(*record), 1, info);
    if (code != result::kOk) return worker.Fail(code);
    return worker.Finish();
}

}  // namespace quillet::sms
