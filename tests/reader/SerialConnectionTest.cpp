// Opening the serial reader, its identification and the reader-level commands.
#include <gtest/gtest.h>

#include "support/EmulatedSerialReader.h"

namespace quillet::reader {
namespace {

using testing::EmulatedSerialReader;

TEST(SerialConnection, OpenResetsAndIdentifiesTheReader) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM3", 0), result::kOk);
    EXPECT_EQ(rig.line->OpenedDevice(), "/dev/ttyS2");
    EXPECT_TRUE(rig.reader->IsPortOpen());
    EXPECT_TRUE(rig.reader->IsReaderConnected());
    EXPECT_TRUE(rig.line->Dtr());
    EXPECT_TRUE(rig.line->Rts());
    EXPECT_EQ(rig.line->Settings().parity, Parity::Even);
    EXPECT_EQ(rig.line->Settings().stopBits, 2);
    EXPECT_EQ(rig.line->Settings().baudRate, 9600u);
    EXPECT_EQ(rig.line->ReaderCommandCodes(), std::vector<std::uint8_t>{0x1A});
    // Power-down settle time, reset low time and the reader's boot before it identifies.
    EXPECT_GE(rig.clock.NowMs(), 500u);
    EXPECT_LT(rig.clock.NowMs(), 700u);
}

TEST(SerialConnection, AcceptsBothIdentifications) {
    sim::SerialReaderSetup setup;
    setup.identification = "RDX20";
    EmulatedSerialReader rig(setup);
    EXPECT_EQ(rig.reader->Open("COM1", 0), result::kOk);
}

TEST(SerialConnection, IdentificationRestartsAfterABrokenMatch) {
    sim::SerialReaderSetup setup;
    setup.noiseBeforeIdentification = {'R', 'D', 'X', '1', 0x00};
    EmulatedSerialReader rig(setup);
    EXPECT_EQ(rig.reader->Open("COM1", 0), result::kOk);
}

TEST(SerialConnection, TheByteThatBreaksAMatchIsNotANewStart) {
    // "RDX" then "RDX10": the second 'R' breaks the match at position 3 and is dropped, so the
    // rest "DX10" never matches from position 0.
    sim::SerialReaderSetup setup;
    setup.noiseBeforeIdentification = {'R', 'D', 'X'};
    EmulatedSerialReader rig(setup);
    EXPECT_EQ(rig.reader->Open("COM1", 0), result::kReaderNotConnected);
}

TEST(SerialConnection, AReaderThatNeverIdentifiesTimesOut) {
    sim::SerialReaderSetup setup;
    setup.identifies = false;
    EmulatedSerialReader rig(setup);
    const std::uint32_t start = rig.clock.NowMs();
    EXPECT_EQ(rig.reader->Open("COM1", 0), result::kReaderNotConnected);
    EXPECT_FALSE(rig.reader->IsReaderConnected());
    // Settle time, reset low time and the 300 ms identification timeout, plus one poll.
    EXPECT_LE(rig.clock.NowMs() - start, 300u + 200u + 300u + 20u);
}

TEST(SerialConnection, AReaderThatOnlySendsNoiseTimesOut) {
    sim::SerialReaderSetup setup;
    setup.identifies = false;
    setup.noiseBeforeIdentification.assign(5000, 'R');
    EmulatedSerialReader rig(setup);
    EXPECT_EQ(rig.reader->Open("COM1", 0), result::kReaderNotConnected);
    EXPECT_LE(rig.clock.NowMs(), 300u + 200u + 300u + 20u + 20u);
}

TEST(SerialConnection, PortFailuresHaveTheirCodes) {
    {
        sim::SerialReaderSetup setup;
        setup.failOpen = true;
        EmulatedSerialReader rig(setup);
        EXPECT_EQ(rig.reader->Open("COM1", 0), result::kPortNotSet);
        EXPECT_FALSE(rig.reader->IsPortOpen());
    }
    {
        sim::SerialReaderSetup setup;
        setup.failSettings = true;
        EmulatedSerialReader rig(setup);
        EXPECT_EQ(rig.reader->Open("COM1", 0), result::kPortError);
    }
    {
        sim::SerialReaderSetup setup;
        setup.failModemLines = true;
        EmulatedSerialReader rig(setup);
        EXPECT_EQ(rig.reader->Open("COM1", 0), result::kPortError);
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

TEST(SerialConnection, StatusAnswerWithAndWithoutPrefix) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::uint16_t status = 0;
    rig.line->Setup().extraStatusBits = 0x05;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kOk);
    EXPECT_EQ(status, 0x45);
    EXPECT_TRUE(rig.reader->IsCardInserted());

    rig.line->Setup().statusWithA5 = true;
    rig.line->Setup().cardInserted = false;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kOk);
    EXPECT_FALSE(rig.reader->IsCardInserted());
}

TEST(SerialConnection, BadStatusAnswersAreGeneralErrors) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    std::uint16_t status = 0;
    rig.line->Setup().statusCheckError = 1;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kGeneralReaderError);

    // 0xA5 followed by anything but the echo.
    rig.line->Setup().statusCheckError = 0;
    rig.line->Setup().statusWithA5 = true;
    rig.line->Setup().garbleEchoOfByte = rig.line->HostBytesWritten();
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kGeneralReaderError);

    rig.line->Setup().garbleEchoOfByte.reset();
    rig.line->Setup().dropEchoes = true;
    EXPECT_EQ(rig.reader->GetReaderStatus(status), result::kGeneralReaderError);
}

TEST(SerialConnection, CloseDropsTheLinesAndThePort) {
    EmulatedSerialReader rig;
    ASSERT_EQ(rig.reader->Open("COM1", 0), result::kOk);
    EXPECT_EQ(rig.reader->Close(), result::kOk);
    EXPECT_FALSE(rig.reader->IsPortOpen());
    EXPECT_FALSE(rig.reader->IsReaderConnected());
    EXPECT_FALSE(rig.line->IsOpen());
    EXPECT_FALSE(rig.line->Dtr());
    EXPECT_FALSE(rig.line->Rts());
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
    EXPECT_EQ(DefaultPortPath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DefaultPortPath("COM8"), "/dev/ttyS7");
    EXPECT_EQ(DefaultPortPath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(DefaultPortPath("COMX"), "COMX");
    EXPECT_EQ(DefaultPortPath("COM0"), "COM0");
}

}  // namespace
}  // namespace quillet::reader
