// The serial reader: opening it, its identification, the reader-level commands, and reading the
// memory of a prepaid telephone chip card. (Data transfers with the card are T0TransmitTest's.)
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "support/EmulatedSerialReader.h"

namespace quillet::reader {
namespace {

using testing::EmulatedSerialReader;

TEST(SerialConnection, OpenResetsAndIdentifiesTheReader) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM3", 0), result::kOk);
    EXPECT_EQ(rig.line->OpenedDevice(), "/dev/ttyS2");
    EXPECT_TRUE(rig.reader->IsPortOpen() && rig.reader->IsReaderConnected() && rig.line->Dtr() && rig.line->Rts());
    const LineSettings& line = rig.line->Settings();
    EXPECT_EQ(std::tie(line.parity, line.stopBits, line.baudRate), std::make_tuple(Parity::Even, 2, 9600u));
    EXPECT_EQ(rig.line->ReaderCommandCodes(), std::vector<std::uint8_t>{0x1A});
    // Power-down settle time, reset low time and the reader's boot before it identifies.
    EXPECT_GE(rig.clock.NowMs(), 500u);
    EXPECT_LT(rig.clock.NowMs(), 700u);

    // Close drops the lines and the port.
    EXPECT_EQ(rig.reader->Close(), result::kOk);
    EXPECT_FALSE(rig.reader->IsPortOpen() || rig.reader->IsReaderConnected() || rig.line->IsOpen() || rig.line->Dtr() ||
                 rig.line->Rts());
}

// How opening ends for readers that identify late, wrongly or never, and for ports that fail, all
// within the settle time, the reset low time and the 300 ms identification timeout.
TEST(SerialConnection, OpeningDependsOnTheIdentificationAndThePort) {
    const struct {
        const char* what;
        std::function<void(sim::SerialReaderSetup&)> setup;
        ReaderResult expected;
    } cases[] = {
        {"the other identification", [](auto& setup) { setup.identification = "RDX20"; }, result::kOk},
        {"a broken match, then the identification",
         [](auto& setup) {
             setup.noiseBeforeIdentification = {'R', 'D', 'X', '1', 0x00};
         },
         result::kOk},
        // "RDX" then "RDX10": the second 'R' breaks the match at position 3 and is dropped, so the
        // rest "DX10" never matches from position 0.
        {"a breaking byte is no new start",
         [](auto& setup) {
             setup.noiseBeforeIdentification = {'R', 'D', 'X'};
         },
         result::kReaderNotConnected},
        {"no identification", [](auto& setup) { setup.identifies = false; }, result::kReaderNotConnected},
        {"only noise",
         [](auto& setup) {
             setup.identifies = false;
             setup.noiseBeforeIdentification.assign(5000, 'R');
         },
         result::kReaderNotConnected},
        {"a port that does not open", [](auto& setup) { setup.failOpen = true; }, result::kPortNotSet},
        {"a port that takes no settings", [](auto& setup) { setup.failSettings = true; }, result::kPortError},
        {"a port without modem lines", [](auto& setup) { setup.failModemLines = true; }, result::kPortError},
    };
    for (const auto& [what, setup, expected] : cases) {
        SCOPED_TRACE(what);
        sim::SerialReaderSetup readerSetup;
        setup(readerSetup);
        EmulatedSerialReader rig(readerSetup);
        EXPECT_EQ(rig.reader->Open("COM1", 0), expected);
        EXPECT_EQ(rig.reader->IsReaderConnected(), expected == result::kOk);
        EXPECT_EQ(rig.reader->IsPortOpen(), expected != result::kPortNotSet);
        const bool noise = readerSetup.noiseBeforeIdentification.size() > 100;
        EXPECT_LE(rig.clock.NowMs(), 300u + 200u + 300u + 20u + (noise ? 20u : 0u));  // one more poll for noise
    }
}

TEST(SerialConnection, OperationsWithoutAPortAreRefused) {
    EmulatedSerialReader rig;
    EXPECT_EQ(rig.reader->SetLineParity(2), result::kPortNotSet);
    EXPECT_EQ(rig.reader->Connect(), result::kPortNotSet);
    EXPECT_EQ(rig.reader->Disconnect(), result::kPortNotSet);
    EXPECT_FALSE(rig.reader->ByteAvailable());
    EXPECT_EQ(rig.reader->ReadByte(), 0);
    EXPECT_EQ(rig.reader->Close(), result::kOk);
}

TEST(SerialConnection, ReaderCommandWithoutItsEchoIsAnIdentificationError) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    rig.line->Setup().dropEchoes = true;
    EXPECT_EQ(rig.reader->SendReaderCommand(0x1A), result::kInvalidReaderId);
    EXPECT_EQ(rig.reader->Reconnect(), result::kInvalidReaderId);
    EXPECT_FALSE(rig.reader->IsReaderConnected());
}

TEST(SerialConnection, StatusAnswersWithAndWithoutPrefixAndBadOnes) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::uint16_t status = 0;
    rig.line->Setup().extraStatusBits = 0x05;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kOk);
    EXPECT_EQ(status, 0x45);
    EXPECT_TRUE(rig.reader->IsCardInserted());
    rig.line->Setup().statusCheckError = 1;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kGeneralReaderError);

    rig.line->Setup().statusCheckError = 0;
    rig.line->Setup().statusWithA5 = true;
    rig.line->Setup().cardInserted = false;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kOk);
    EXPECT_FALSE(rig.reader->IsCardInserted());
    // 0xA5 followed by anything but the echo, or by nothing.
    rig.line->Setup().garbleEchoOfByte = rig.line->HostBytesWritten();
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kGeneralReaderError);
    rig.line->Setup().garbleEchoOfByte.reset();
    rig.line->Setup().dropEchoes = true;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kGeneralReaderError);
}

TEST(SerialExchange, ReceiveModesTakeWaitOrDiscard) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    // The status command 0x01 comes back as its echo, the status byte and the check byte.
    std::array<std::uint8_t, 8> buffer{};
    buffer[0] = 0x01;
    EXPECT_EQ(rig.reader->Exchange(buffer, 1, kTakeAvailable, 0), 3);
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_EQ(buffer[1], 0x40);
    EXPECT_EQ(buffer[2], 0xC0);

    // Waiting mode uses up its pauses when less arrives than the buffer holds.
    buffer[0] = 0x01;
    std::uint32_t start = rig.clock.NowMs();
    EXPECT_EQ(rig.reader->Exchange(std::span(buffer).first(4), 1, kWaitForBytes, 5), 3);
    EXPECT_GE(rig.clock.NowMs() - start, 5u * 10u);

    // Send only: the answer stays waiting.
    buffer[0] = 0x01;
    EXPECT_EQ(rig.reader->Exchange(buffer, 1, kSendOnly, 0), 0);
    EXPECT_TRUE(rig.reader->ByteAvailable());
    rig.reader->FlushInput();
    EXPECT_FALSE(rig.reader->ByteAvailable());

    // Wait, then discard: one byte taken, the rest gone.
    buffer[0] = 0x01;
    EXPECT_EQ(rig.reader->Exchange(std::span(buffer).first(1), 1, kWaitThenFlush, 5), 1);
    EXPECT_FALSE(rig.reader->ByteAvailable());
}

TEST(SerialExchange, CardPowerModes) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    EXPECT_EQ(rig.reader->SetCardPower(2), result::kOk);  // reset, then power the card
    EXPECT_TRUE(rig.line->CardPowered());
    EXPECT_EQ(rig.line->ReaderCommandCodes().size(), 2u);
    EXPECT_EQ(rig.reader->SetCardPower(0), result::kOk);
    EXPECT_FALSE(rig.line->CardPowered());
    EXPECT_EQ(rig.reader->SetCardPower(7), result::kOk);  // not a mode: nothing happens
    EXPECT_EQ(rig.line->ReaderCommandCodes().size(), 3u);

    rig.line->Setup().identifies = false;
    EXPECT_EQ(rig.reader->SetCardPower(2), result::kReaderNotConnected);
    EXPECT_FALSE(rig.line->CardPowered());
    EXPECT_EQ(rig.reader->SetCardPower(0), result::kReaderNotConnected);
    rig.line->Setup().identifies = true;
    EXPECT_EQ(rig.reader->SetCardPower(0), result::kOk);
}

TEST(SerialConnection, DefaultPortPathsFollowTheComNumber) {
    const std::pair<const char*, const char*> paths[] = {{"COM1", "/dev/ttyS0"},
                                                         {"COM8", "/dev/ttyS7"},
                                                         {"/dev/ttyUSB0", "/dev/ttyUSB0"},
                                                         {"COMX", "COMX"},
                                                         {"COM0", "COM0"}};
    for (const auto& [name, path] : paths) EXPECT_EQ(DefaultPortPath(name), path) << name;
}

std::array<std::uint8_t, 32> SampleMemory() {
    std::array<std::uint8_t, 32> memory{};
    for (std::size_t index = 0; index < memory.size(); ++index) {
        memory[index] = static_cast<std::uint8_t>(0x81 + index * 7);
    }
    return memory;
}

EmulatedSerialReader MemoryCardReader() {
    sim::SerialReaderSetup setup;
    setup.memoryCard = SampleMemory();
    return EmulatedSerialReader(setup, {}, {}, false);
}

TEST(MemoryCard, ReadsTheWholeMemoryAndLeavesTheReaderFreshlyReset) {
    auto rig = MemoryCardReader();
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::array<std::uint8_t, 32> memory{};
    ASSERT_EQ(rig.reader->ReadMemoryCard(memory), result::kOk);
    // Reset before and after the read, each acknowledged with the reset code.
    EXPECT_EQ(rig.line->ReaderCommandCodes(), (std::vector<std::uint8_t>{0x1A, 0x1A, 0x1A}));
    EXPECT_EQ(memory, SampleMemory());
    EXPECT_TRUE(rig.reader->IsReaderConnected());
    EXPECT_FALSE(rig.reader->IsCardPowered());
    EXPECT_FALSE(rig.reader->IsCardActive());
}

TEST(MemoryCard, ReadingAMemoryCardPowersDownASim) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    ASSERT_EQ(rig.PowerOn(), result::kOk);
    std::array<std::uint8_t, 32> memory{};
    EXPECT_EQ(rig.reader->ReadMemoryCard(memory), result::kInvalidReaderId);  // a SIM sends no block
    EXPECT_FALSE(rig.reader->IsCardPowered());
    EXPECT_FALSE(rig.reader->IsCardActive());
    EXPECT_FALSE(rig.line->CardPowered());
}

// Each failure has its code and leaves the buffer untouched.
TEST(MemoryCard, FailuresHaveTheirCodes) {
    using Setup = std::function<void(sim::SerialReaderSetup&)>;
    const struct {
        const char* what;
        Setup setup;
        bool open;
        ReaderResult expected;
    } cases[] = {
        {"a bad check sum", [](auto& setup) { setup.memoryChecksumError = 1; }, true, result::kInvalidReaderId},
        {"no card", [](auto& setup) { setup.cardInserted = false; }, true, result::kMemoryCardNotInserted},
        {"no chip answering: the block never comes", [](auto& setup) { setup.memoryCard.reset(); }, true,
         result::kInvalidReaderId},
        {"a reader that stopped answering", [](auto& setup) { setup.identifies = false; }, true,
         result::kReaderNotConnected},
        {"no port", [](auto&) {}, false, result::kPortNotSet},
    };
    for (const auto& [what, setup, open, expected] : cases) {
        SCOPED_TRACE(what);
        auto rig = MemoryCardReader();
        ASSERT_EQ(open ? rig.reader->Open("COM1", 0) : result::kOk, result::kOk);
        setup(rig.line->Setup());
        std::array<std::uint8_t, 32> memory{};
        EXPECT_EQ(rig.reader->ReadMemoryCard(memory), expected);
        EXPECT_EQ(memory, (std::array<std::uint8_t, 32>{}));
    }
}

}  // namespace
}  // namespace quillet::reader
