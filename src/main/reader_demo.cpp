// quillet-reader-demo [DEVICE]: opens a reader by its device name ("VIRTUAL", the demo card, by
// default), powers the card and shows what a card session starts with: the answer to reset, the
// master file's CHV state and the card's serial number. It presents no PIN.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ApplicationContext.h"
#include "app/SettingsStore.h"
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

// Selects a file and fetches the description the card announces; empty on failure.
std::vector<std::uint8_t> SelectAndDescribe(reader::CardReader& card, std::uint16_t id) {
    std::array<std::uint8_t, 2> fid = {static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id)};
    std::uint16_t sw = 0;
    if (card.Transmit(0xA0, 0xA4, 0, 0, 2, fid, reader::Direction::ToCard, sw) != reader::result::kOk ||
        (sw & 0xFF00) != 0x9F00) {
        return {};
    }
    std::vector<std::uint8_t> response(sw & 0xFF);
    if (card.Transmit(0xA0, 0xC0, 0, 0, static_cast<std::uint8_t>(response.size()), response,
                      reader::Direction::FromCard, sw) != reader::result::kOk ||
        sw != 0x9000) {
        return {};
    }
    return response;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string device = argc > 1 ? argv[1] : sim::VirtualCardReader::kDeviceName;
    app::MemorySettingsStore settings;
    app::SystemReaderFactory readers(settings);
    app::ApplicationContext context(readers);

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

    const std::vector<std::uint8_t> master = SelectAndDescribe(card, 0x3F00);
    if (master.size() >= 22) {
        std::printf("  PIN %s, %u attempts left; PIN2 %u attempts left; PUK %u, PUK2 %u\n",
                    (master[13] & 0x80) ? "disabled" : "enabled", master[18] & 0x0F, master[20] & 0x0F,
                    master[19] & 0x0F, master[21] & 0x0F);
    }
    const std::vector<std::uint8_t> iccidFile = SelectAndDescribe(card, 0x2FE2);
    if (iccidFile.size() >= 4) {
        std::vector<std::uint8_t> iccid(static_cast<std::size_t>(iccidFile[2] << 8 | iccidFile[3]));
        std::uint16_t sw = 0;
        if (!iccid.empty() && iccid.size() <= 255 &&
            card.Transmit(0xA0, 0xB0, 0, 0, static_cast<std::uint8_t>(iccid.size()), iccid,
                          reader::Direction::FromCard, sw) == reader::result::kOk &&
            sw == 0x9000) {
            // The serial number is BCD with the digits of each byte swapped; F pads.
            std::string digits;
            for (std::uint8_t byte : iccid) {
                for (int nibble : {byte & 0x0F, byte >> 4}) {
                    if (nibble <= 9) digits += static_cast<char>('0' + nibble);
                }
            }
            std::printf("  Serial number (ICCID) %s\n", digits.c_str());
        }
    }
    Check("Power off card:", card.PowerOff());
    return 0;
}
