#pragma once

#include <array>
#include <memory>
#include <set>
#include <vector>

#include "reader/SerialCardReader.h"
#include "reader/VirtualClock.h"
#include "sim/ScriptedApduCard.h"
#include "sim/SerialReaderEmulator.h"

namespace quillet::testing {

// A plain T=0 SIM answer to reset: direct convention, TA1 = 0x11, 4 historical bytes.
inline const std::vector<std::uint8_t> kSimpleAtr = {0x3B, 0x14, 0x11, 'Q', 'S', 'I', 'M'};

// Answers of a small test card: READ BINARY returns the bytes 0, 1, 2, ...; UPDATE BINARY and
// SELECT succeed (SELECT with a response waiting); everything else is unknown.
inline sim::ApduResponse TestCardAnswer(const sim::ApduHeader& header, std::span<const std::uint8_t>) {
    switch (header.ins) {
        case 0xB0: {
            std::vector<std::uint8_t> data(header.p3 == 0 ? 256 : header.p3);
            for (std::size_t index = 0; index < data.size(); ++index) data[index] = static_cast<std::uint8_t>(index);
            return {data, 0x9000};
        }
        case 0xD6:
            return {{}, 0x9000};
        case 0xA4:
            return {{}, 0x9F0F};
        default:
            return {{}, 0x6D00};
    }
}

// A SerialCardReader on an emulated reader line with a scripted card, all in virtual time.
struct EmulatedSerialReader {
    explicit EmulatedSerialReader(sim::SerialReaderSetup setup = {},
                                  std::vector<std::uint8_t> answerToReset = kSimpleAtr,
                                  sim::ScriptedApduCard::Responder responder = TestCardAnswer, bool withCard = true)
        : card(std::move(answerToReset), std::move(responder), {0xA4, 0xD6, 0xDC, 0x20}) {
        auto port = std::make_unique<sim::SerialReaderEmulator>(clock, withCard ? &card : nullptr, std::move(setup));
        line = port.get();
        reader = std::make_unique<reader::SerialCardReader>(std::move(port), clock);
    }

    reader::ReaderResult PowerOn() {
        atr.length = 0;
        return reader->PowerOn(&atr);
    }

    reader::VirtualClock clock;
    sim::ScriptedApduCard card;
    sim::SerialReaderEmulator* line = nullptr;  // owned by the reader
    std::unique_ptr<reader::SerialCardReader> reader;
    std::array<std::uint8_t, 40> atrStorage{};
    reader::ByteBuffer atr{std::span<std::uint8_t>(atrStorage).first(reader::CardReader::kMaxAtrLength)};
};

}  // namespace quillet::testing
