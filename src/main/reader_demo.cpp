// quillet-reader-demo [--pin CODE] [DEVICE]: opens a reader by its device name ("VIRTUAL", the
// demo card, by default), shows the card's answer to reset, and runs a card session on it: the
// serial number, the PIN state and, with a PIN, the service table.
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/ApplicationContext.h"
#include "app/SettingsStore.h"
#include "card/ProcessPriority.h"
#include "sim/VirtualCardReader.h"

namespace {

using namespace quillet;

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char piece[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(piece, sizeof piece, "%02X ", byte);
        text += piece;
    }
    if (!text.empty()) text.pop_back();
    return text;
}

bool Check(const char* step, reader::ReaderResult code) {
    std::printf("%-24s %s\n", step, std::string(reader::ReaderResultText(code)).c_str());
    return code == reader::result::kOk;
}

// Answers a PIN dialog with the code given on the command line, or closes it; shows nothing.
class CommandLineAnswers final : public card::UserInterface {
public:
    explicit CommandLineAnswers(std::optional<std::string> pin) : m_pin(std::move(pin)) {}
    std::optional<card::SecretString> AskPin(const card::PinPrompt&) override {
        if (!m_pin) return std::nullopt;
        return card::SecretString(*m_pin);
    }
    void ShowMessage(std::string_view, card::MessageIcon) override {}
    card::Answer AskQuestion(std::string_view, card::QuestionButtons) override { return card::Answer::No; }
    void OpenProgress(card::ProgressOwner) override {}
    void SetProgressTitle(std::string_view) override {}
    void SetProgressText(std::string_view) override {}
    void SetProgressPercent(unsigned) override {}
    bool PumpProgress() override { return true; }
    void CloseProgress() override {}

private:
    std::optional<std::string> m_pin;
};

}  // namespace

int main(int argc, char** argv) {
    std::string device = sim::VirtualCardReader::kDeviceName;
    std::optional<std::string> pin;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "--pin" && index + 1 < argc) {
            pin = argv[++index];
        } else {
            device = argument;
        }
    }
    app::MemorySettingsStore settings;
    app::SystemReaderFactory readers(settings);
    CommandLineAnswers answers(pin);
    card::PosixProcessPriority priority;
    app::ApplicationContext context(readers, answers, priority);

    std::printf("Quillet! card session on %s", device.c_str());
    if (device == sim::VirtualCardReader::kDeviceName) {
        std::printf(" (the demo card %s)", sim::VirtualCardReader::DemoCardPath().c_str());
    }
    std::printf("\n\n");
    if (!Check("Open reader:", context.OpenReaderByName(device))) {
        return 1;
    }
    reader::CardReader& card = *context.Reader();
    std::array<std::uint8_t, reader::CardReader::kMaxAtrLength> atrBytes{};
    reader::ByteBuffer atr{atrBytes};
    if (!Check("Power on card:", card.PowerOn(&atr))) {
        return 1;
    }
    const reader::AtrParams& params = card.GetAtrParams();
    std::printf("  ATR %s\n  %s convention, FI %u DI %u, T=%u, %u historical bytes\n", Hex(atr.Bytes()).c_str(),
                params.inverseConvention ? "inverse" : "direct", params.fi, params.di, params.t, params.k);

    card::CardSession& session = context.Session();
    const bool started = session.BeginSession(true, false, false);
    Check("Begin card session:", session.LastResult());
    if (!started) {
        std::printf("  %s\n", session.FormatLastError().c_str());
        return 1;
    }
    // The serial number is BCD with the digits of each byte swapped; F pads.
    std::string digits;
    for (std::uint8_t byte : session.Iccid()) {
        for (int nibble : {byte & 0x0F, byte >> 4}) {
            if (nibble <= 9) digits += static_cast<char>('0' + nibble);
        }
    }
    std::printf("  Serial number (ICCID) %s\n", digits.c_str());
    std::printf("  PIN %s%s%s\n", session.IsChv1Enabled() ? "enabled" : "disabled",
                session.IsChvBlocked(1) ? ", blocked" : "",
                (session.Flags() & card::CardSession::kChv1Verified) ? ", verified" : ", not verified");
    if (!session.ServiceTable().empty()) {
        std::printf("  Services: phone book %s, fixed dialling %s, own numbers %s, last numbers dialled %s\n",
                    session.HasService(2) ? "yes" : "no", session.HasService(3) ? "yes" : "no",
                    session.HasService(9) ? "yes" : "no", session.HasService(13) ? "yes" : "no");
    } else {
        std::printf("  (run with --pin 1234 to verify the PIN and read the service table)\n");
    }
    session.EndSession();
    std::printf("Card session ended; the card is powered down.\n");
    return 0;
}
