#include "sms/SmsParameters.h"

#include <algorithm>
#include <array>
#include <vector>

#include "card/CardActivation.h"
#include "card/ChvCommands.h"
#include "card/GsmFiles.h"
#include "resources/StringTable.h"
#include "sms/SmsTimeValue.h"

namespace quillet::sms {

namespace {

namespace result = reader::result;

constexpr std::uint16_t kTelecom = card::gsm_file::kTelecomDirectory;
constexpr std::uint16_t kSmspFile = card::gsm_file::kSmsParameters;
constexpr std::size_t kFixedPart = 28;
constexpr std::uint8_t kCentreAbsent = 0x02;
constexpr std::uint8_t kValidityAbsent = 0x10;
constexpr std::size_t kMaxCentreLength = 11;  // TON/NPI and ten digit bytes
constexpr std::size_t kMaxCentreDigits = 20;
constexpr std::uint32_t kNoReaderOnRead = 57740;
constexpr std::uint32_t kReadError = 57741;
constexpr std::uint32_t kNoReaderOnWrite = 57760;
constexpr std::uint32_t kWriteError = 57761;
constexpr std::uint32_t kShowEndMs = 500;

char NibbleToChar(std::uint8_t nibble) {
    static constexpr char kCharacters[] = "0123456789*#pDE";
    return nibble < 15 ? kCharacters[nibble] : '\0';
}

std::uint8_t CharToNibble(char character) {
    if (character >= '0' && character <= '9') return static_cast<std::uint8_t>(character - '0');
    if (character == '*') return 10;
    if (character == '#') return 11;
    if (character == 'P' || character == 'p') return 12;
    return static_cast<std::uint8_t>((static_cast<unsigned char>(character) - 7) & 15);
}

// One worker run: the progress bar, the card's activation and release, and the error message.
class Worker {
public:
    Worker(card::SessionHost& host, std::uint32_t errorText) : m_host(host), m_ui(host.Ui()), m_errorText(errorText) {
        m_ui.OpenProgress(nullptr);
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
        card::SecretString& remembered = m_host.RememberedPin(1);
        for (;;) {
            const bool fromMemory = !remembered.Empty();
            card::SecretString pin = remembered;
            if (!fromMemory) {
                std::optional<card::SecretString> entered =
                    m_ui.AskPin(card::PinPrompt{109, "Quillet! - Enter PIN", "Please enter PIN:", 8});
                if (!entered) {
                    cancelled = true;
                    Release();
                    return false;
                }
                pin = *entered;
            }
            const reader::ReaderResult verified = card::VerifyChv(reader, pin.View(), 1);
            if (verified == result::kOk) {
                remembered = pin;
                return true;
            }
            // A failed code is forgotten; a remembered one the card refused is asked for anew.
            remembered.Clear();
            if (verified == result::kNoValidPin && fromMemory) continue;
            Fail(verified);
            return false;
        }
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
    bool OpenSmspFile(card::FileInfo& info) {
        reader::CardReader* reader = m_host.CurrentReader();
        bool cancelled = false;
        if (!Prepare(cancelled)) return false;
        Bar(30);
        const reader::ReaderResult code = card::GetFileInfo(*reader, kTelecom, kSmspFile, info);
        // Records outside the layout the card standard gives are refused.
        const bool standard = info.recordLength >= kFixedPart && info.recordLength <= 256;
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

int ReadSmsParameters(card::SessionHost& host, SmsParameterTexts& parameters) {
    parameters = SmsParameterTexts{};
    Worker worker(host, kReadError);
    worker.Bar(10);
    card::FileInfo info;
    if (!worker.HasReader(kNoReaderOnRead) || !worker.OpenSmspFile(info)) return kWorkerFailed;
    reader::CardReader* reader = host.CurrentReader();
    reader::ReaderResult code = result::kOk;

    bool found = false;
    std::string centre;
    std::uint8_t validity = 0;
    const std::size_t alpha = info.recordLength - kFixedPart;
    std::vector<std::uint8_t> record(info.recordLength);
    for (std::size_t number = 1; number <= info.recordCount && !found; ++number) {
        worker.Bar(static_cast<unsigned>(40 + 50 * (number - 1) / info.recordCount));
        code = card::ReadRecordInto(*reader, record, static_cast<std::uint8_t>(number), info);
        if (code != result::kOk) return worker.Fail(code);
        const std::uint8_t indicators = record[alpha];
        if ((indicators & kCentreAbsent) && (indicators & kValidityAbsent)) continue;
        found = true;
        validity = (indicators & kValidityAbsent) ? 0 : record[alpha + 27];
        if (!(indicators & kCentreAbsent)) {
            const std::size_t length = std::min<std::size_t>(record[alpha + 13], kMaxCentreLength);
            if (length != 0 && ((record[alpha + 14] >> 4) & 0x07) == 1) centre = "+";
            for (std::size_t nibble = 0; length > 0 && nibble < 2 * length - 2; ++nibble) {
                const std::uint8_t byte = record[alpha + 15 + nibble / 2];
                const std::uint8_t value = nibble % 2 == 0 ? byte & 0x0F : byte >> 4;
                if (value == 0x0F) break;
                centre += NibbleToChar(value);
            }
        }
    }
    if (worker.Finish() != kWorkerDone) return kWorkerFailed;
    if (found) {
        parameters.centre = centre;
        SmsTimeValue value{};
        value.validity = validity;
        std::array<char, 16> text{};
        const std::size_t written = FormatDateOrValidity(value, text);
        parameters.validity.assign(text.data(), std::min(written, text.size()));
    }
    return kWorkerDone;
}

int WriteSmsParameters(card::SessionHost& host, std::string_view centreText, std::string_view validityText) {
    SmsTimeValue value{};
    const std::uint8_t validity =
        ParseDateOrValidity(validityText, value) && !value.isDate ? value.validity : static_cast<std::uint8_t>(0);
    Worker worker(host, kWriteError);
    worker.Bar(10);
    if (!worker.HasReader(kNoReaderOnWrite)) return kWorkerFailed;
    const bool international = !centreText.empty() && centreText.front() == '+';
    const std::string_view digits = international ? centreText.substr(1) : centreText;
    if (digits.size() > kMaxCentreDigits) return worker.Fail(result::kBadCardRecord);
    card::FileInfo info;
    if (!worker.OpenSmspFile(info)) return kWorkerFailed;
    reader::CardReader* reader = host.CurrentReader();
    reader::ReaderResult code = result::kOk;
    std::vector<std::uint8_t> record(info.recordLength);
    code = card::ReadRecordInto(*reader, record, 1, info);
    if (code != result::kOk) return worker.Fail(code);
    worker.Bar(60);

    const std::size_t alpha = info.recordLength - kFixedPart;
    record[alpha] &= 0xED;  // the centre and the validity are present
    record[alpha + 13] = static_cast<std::uint8_t>((digits.size() + 1) / 2 + 1);
    record[alpha + 27] = validity;
    record[alpha + 14] = static_cast<std::uint8_t>((international ? 0x90 : 0x80) | (record[alpha + 14] & 0x0F));
    for (std::size_t index = 0; index < digits.size(); ++index) {
        std::uint8_t& byte = record[alpha + 15 + index / 2];
        const std::uint8_t nibble = CharToNibble(digits[index]);
        byte = index % 2 == 0 ? static_cast<std::uint8_t>(nibble | 0xF0)
                              : static_cast<std::uint8_t>((byte & 0x0F) | nibble << 4);
    }
    code = card::UpdateRecordFrom(*reader, record, 1, info);
    if (code != result::kOk) return worker.Fail(code);
    return worker.Finish();
}

}  // namespace quillet::sms
