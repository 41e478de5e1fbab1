// Reads 250 records of 30 bytes with READ RECORD through the emulated serial reader, in virtual
// time, and prints the time taken over the time the line itself needed to carry the characters.
#include <cstdio>
#include <memory>

#include "reader/SerialCardReader.h"
#include "reader/VirtualClock.h"
#include "sim/ScriptedApduCard.h"
#include "sim/SerialReaderEmulator.h"

using namespace quillet;

namespace {

constexpr int kRecordCount = 250;
constexpr std::uint8_t kRecordLength = 30;

sim::ApduResponse RecordAnswer(const sim::ApduHeader& header, std::span<const std::uint8_t>) {
    if (header.ins != 0xB2) {
        return {{}, 0x6D00};
    }
    std::vector<std::uint8_t> record(header.p3, 0xFF);
    record[0] = header.p1;
    return {record, 0x9000};
}

}  // namespace

int main() {
    reader::VirtualClock clock;
    sim::ScriptedApduCard card({0x3B, 0x16, 0x94, 'Q', 'S', 'I', 'M', '0', '1'}, RecordAnswer);
    auto port = std::make_unique<sim::SerialReaderEmulator>(clock, &card);
    sim::SerialReaderEmulator& line = *port;
    reader::SerialCardReader reader(std::move(port), clock);
    if (reader.Open("COM1", 0) != reader::result::kOk || reader.PowerOn(nullptr) != reader::result::kOk) {
        std::fprintf(stderr, "serial_transfer: the emulated reader did not start\n");
        return 1;
    }

    const std::uint64_t startMicros = clock.NowMicros();
    const std::uint64_t startWire = line.WireMicros();
    std::uint8_t record[kRecordLength];
    for (int number = 1; number <= kRecordCount; ++number) {
        std::uint16_t sw = 0;
        const auto code = reader.Transmit(0xA0, 0xB2, static_cast<std::uint8_t>(number), 0x04, kRecordLength, record,
                                          reader::Direction::FromCard, sw);
        if (code != reader::result::kOk || sw != 0x9000 || record[0] != static_cast<std::uint8_t>(number)) {
            std::fprintf(stderr, "serial_transfer: record %d failed (%u, %04X)\n", number, code, sw);
            return 1;
        }
    }
    const double elapsed = static_cast<double>(clock.NowMicros() - startMicros);
    const double wire = static_cast<double>(line.WireMicros() - startWire);
    std::printf("serial_transfer_ratio: %.3f\n", elapsed / wire);
    return 0;
}
