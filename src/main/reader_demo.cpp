// quillet-reader-demo: opens an emulated serial reader on "COM1" with a demo SIM in it, powers the
// card, selects the master file and reads its description, printing every step and command.
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "app/ApplicationContext.h"
#include "reader/SerialCardReader.h"
#include "reader/VirtualClock.h"
#include "sim/ScriptedApduCard.h"
#include "sim/SerialReaderEmulator.h"

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

// A small card: SELECT of the master file answers 9F16, GET RESPONSE gives its 22-byte description.
sim::ApduResponse DemoCardAnswer(const sim::ApduHeader& header, std::span<const std::uint8_t> data) {
    static const std::vector<std::uint8_t> kMasterFile = {0x00, 0x00, 0x1F, 0x40, 0x3F, 0x00, 0x01, 0x00,
                                                          0x00, 0x00, 0x00, 0x09, 0x13, 0x00, 0x02, 0x0A,
                                                          0x00, 0x83, 0x8A, 0x83, 0x8A, 0x00};
    if (header.ins == 0xA4 && data.size() == 2 && data[0] == 0x3F && data[1] == 0x00) {
        return {{}, 0x9F16};
    }
    if (header.ins == 0xC0) {
        return {std::vector<std::uint8_t>(kMasterFile.begin(), kMasterFile.begin() + header.p3), 0x9000};
    }
    return {{}, 0x6D00};
}

class EmulatedSerialFactory final : public app::ReaderFactory {
public:
    EmulatedSerialFactory(reader::VirtualClock& clock, sim::ApduCard& card) : m_clock(clock), m_card(card) {}
    std::unique_ptr<reader::CardReader> Create(app::ReaderBackend backend) override {
        if (backend != app::ReaderBackend::Serial) return nullptr;
        auto port = std::make_unique<sim::SerialReaderEmulator>(m_clock, &m_card);
        return std::make_unique<reader::SerialCardReader>(std::move(port), m_clock);
    }

private:
    reader::VirtualClock& m_clock;
    sim::ApduCard& m_card;
};

void Report(const char* step, reader::ReaderResult code) {
    std::printf("%-28s %u %s\n", step, code, std::string(reader::ReaderResultText(code)).c_str());
}

}  // namespace

int main() {
    reader::VirtualClock clock;
    sim::ScriptedApduCard card({0x3B, 0x9F, 0x95, 0x80, 0x1F, 0xC3, 0x80, 0x31, 0xE0, 0x73, 0xFE, 0x21, 0x13,
                                0x57, 0x86, 0x81, 0x02, 0x86, 0x98, 0x44, 0x18, 0xA8},
                               DemoCardAnswer, {0xA4});
    EmulatedSerialFactory factory(clock, card);
    app::ApplicationContext context(factory);

    std::printf("Quillet! serial reader demo (emulated reader and card, virtual time)\n\n");
    reader::ReaderResult code = context.OpenReaderByName("COM1");
    Report("Open reader on COM1:", code);
    if (code != reader::result::kOk) return 1;
    reader::CardReader& cardReader = *context.Reader();
    cardReader.SetTraceHook([](const reader::TraceRecord& record) {
        std::printf("  > %s | %s %s | SW %04X\n", Hex(record.header).c_str(), record.dataToCard ? "sent" : "received",
                    Hex(record.data).c_str(), record.statusWord);
    });

    std::array<std::uint8_t, reader::CardReader::kMaxAtrLength> atrBytes{};
    reader::ByteBuffer atr{atrBytes};
    code = cardReader.PowerOn(&atr);
    Report("Power on card:", code);
    if (code != reader::result::kOk) return 1;
    const reader::AtrParams& params = cardReader.GetAtrParams();
    std::printf("  ATR %s\n  convention %s, FI %u DI %u, protocol T=%u, WI %u, %u historical bytes\n",
                Hex(atr.Bytes()).c_str(), params.inverseConvention ? "inverse" : "direct", params.fi, params.di,
                params.t, params.wi, params.k);

    std::uint16_t sw = 0;
    std::array<std::uint8_t, 2> masterFile = {0x3F, 0x00};
    code = cardReader.Transmit(0xA0, 0xA4, 0x00, 0x00, 2, masterFile, reader::Direction::ToCard, sw);
    Report("Select master file:", code);
    std::array<std::uint8_t, 256> response{};
    const auto length = static_cast<std::uint8_t>(sw & 0xFF);
    code = cardReader.Transmit(0xA0, 0xC0, 0x00, 0x00, length, response, reader::Direction::FromCard, sw);
    Report("Get response:", code);
    Report("Power off card:", cardReader.PowerOff());
    Report("Close reader:", context.OpenReaderByName("NOTHING"));
    std::printf("\nVirtual time used: %.2f ms\n", static_cast<double>(clock.NowMicros()) / 1000.0);
    return 0;
}
