// The VIRTUAL device: a card file served through the emulated serial reader.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "sim/VirtualCardReader.h"
#include "support/SimCommands.h"
#include "support/TemporaryFolder.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using reader::Direction;
namespace result = reader::result;

class VirtualDevice : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", m_folder.c_str(), 1); }

    std::string WriteCard(const SimProfile& profile, const std::string& name = "card.json") {
        const std::string path = (m_folder / name).string();
        std::string error;
        EXPECT_TRUE(SaveSimProfile(path, profile, error)) << error;
        return path;
    }

    // Sends one command through the reader; returns the status word or the transport failure.
    std::uint16_t Send(reader::CardReader& reader, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                       std::vector<std::uint8_t>& data, Direction direction, std::uint8_t p3) {
        std::uint16_t sw = 0;
        const reader::ReaderResult code = reader.Transmit(0xA0, ins, p1, p2, p3, data, direction, sw);
        return code == result::kOk ? sw : code;
    }
    std::uint16_t Select(reader::CardReader& reader, std::uint16_t id) {
        std::vector<std::uint8_t> fid = {static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id)};
        return Send(reader, 0xA4, 0, 0, fid, Direction::ToCard, 2);
    }

    testing::TemporaryFolder m_temporary;
    const std::filesystem::path& m_folder = m_temporary.Path();
};

TEST_F(VirtualDevice, TheDemoCardIsMadeOnFirstUseAndKeepsItsChanges) {
    const std::string demoPath = VirtualCardReader::DemoCardPath();
    EXPECT_EQ(demoPath, (m_folder / "Quillet" / "demo-card.json").string());
    std::vector<std::uint8_t> record(30, 0x41);
    {
        VirtualCardReader reader;
        ASSERT_EQ(reader.Open("VIRTUAL", 0), result::kOk) << reader.LastError();
        ASSERT_TRUE(std::filesystem::exists(demoPath));
        ASSERT_EQ(reader.PowerOn(nullptr), result::kOk);
        std::vector<std::uint8_t> pin = testing::SimCommands::Code("1234");
        ASSERT_EQ(Send(reader, 0x20, 0, 1, pin, Direction::ToCard, 8), 0x9000);
        ASSERT_EQ(Select(reader, 0x7F10), 0x9F16);
        ASSERT_EQ(Select(reader, 0x6F3A), 0x9F0F);
        std::vector<std::uint8_t> response(15);
        ASSERT_EQ(Send(reader, 0xC0, 0, 0, response, Direction::FromCard, 15), 0x9000);
        record.resize(response[14], 0x41);
        ASSERT_EQ(Send(reader, 0xDC, 2, 4, record, Direction::ToCard, response[14]), 0x9000);
        ASSERT_EQ(reader.PowerOff(), result::kOk);
    }
    SimProfile saved;
    std::string error;
    ASSERT_TRUE(LoadSimProfile(demoPath, saved, error)) << error;
    EXPECT_EQ(saved.FindFile(0x7F10, 0x6F3A)->records[1], record);
}

TEST_F(VirtualDevice, ACardFileIsServedByteForByte) {
    const std::string path = WriteCard(testing::MakeTestSimProfile());
    VirtualCardReader reader;
    ASSERT_EQ(reader.Open("VIRTUAL:" + path, 0), result::kOk) << reader.LastError();
    std::array<std::uint8_t, 33> atrBytes{};
    reader::ByteBuffer atr{atrBytes};
    ASSERT_EQ(reader.PowerOn(&atr), result::kOk);
    const std::vector<std::uint8_t> expectedAtr = testing::MakeTestSimProfile().atr;
    EXPECT_EQ(std::vector<std::uint8_t>(atr.Bytes().begin(), atr.Bytes().end()), expectedAtr);

    ASSERT_EQ(Select(reader, 0x3F00), 0x9F16);
    ASSERT_EQ(Select(reader, 0x2FE2), 0x9F0F);
    std::vector<std::uint8_t> iccid(10);
    ASSERT_EQ(Send(reader, 0xB0, 0, 0, iccid, Direction::FromCard, 10), 0x9000);
    EXPECT_EQ(iccid, testing::MakeTestSimProfile().files[0].content);
    // Reading a CHV1 file without the PIN gives the card's own refusal.
    ASSERT_EQ(Select(reader, 0x7F20), 0x9F16);
    ASSERT_EQ(Select(reader, 0x6F38), 0x9F0F);
    std::vector<std::uint8_t> sst(4);
    EXPECT_EQ(Send(reader, 0xB0, 0, 0, sst, Direction::FromCard, 4), 0x9804);
}

TEST_F(VirtualDevice, AMalformedCardFileIsRefusedAndLeftAlone) {
    const std::string path = (m_folder / "broken.json").string();
    { std::ofstream(path) << "{\"format\": \"quillet-virtual-card\", \"version\": 1, \"kind\": \"sim\", \"atr\": \"3BXX\"}"; }
    const auto before = std::filesystem::file_size(path);
    VirtualCardReader reader;
    EXPECT_EQ(reader.Open("VIRTUAL:" + path, 0), result::kPortNotSet);
    EXPECT_NE(reader.LastError().find(path + ": atr: bad hexadecimal digit"), std::string::npos) << reader.LastError();
    EXPECT_FALSE(reader.IsPortOpen());
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(reader.Open("VIRTUAL:" + (m_folder / "none.json").string(), 0), result::kPortNotSet);
}

TEST_F(VirtualDevice, ATelephoneCardIsReadThroughTheMemoryCardDoor) {
    const SimProfile telephoneCard = BuildDemoTelephoneCard();
    const std::string path = WriteCard(telephoneCard, "phone.json");
    VirtualCardReader reader;
    ASSERT_EQ(reader.Open("VIRTUAL:" + path, 0), result::kOk) << reader.LastError();
    std::array<std::uint8_t, 32> memory{};
    ASSERT_EQ(reader.ReadMemoryCard(memory), result::kOk);
    EXPECT_EQ(memory, telephoneCard.memory);
}

TEST_F(VirtualDevice, FaultsReachTheReaderAsFailures) {
    const std::string path = WriteCard(testing::MakeTestSimProfile());
    VirtualCardReader reader;
    ASSERT_EQ(reader.Open("VIRTUAL:" + path, 0), result::kOk);

    // A forced status word.
    ASSERT_EQ(reader.PowerOn(nullptr), result::kOk);
    reader.Line().CardBehaviour().forcedStatus = [](const ApduHeader& header) -> std::optional<std::uint16_t> {
        return header.ins == 0xA4 ? std::optional<std::uint16_t>(0x6F00) : std::nullopt;
    };
    EXPECT_EQ(Select(reader, 0x3F00), 0x6F00);
    reader.Line().CardBehaviour().forcedStatus = nullptr;

    // A lost byte: the card's acknowledgement never arrives, and the card is left waiting for
    // data, so only a reset brings it back.
    reader.Line().Setup().dropAnswerByte = reader.Line().AnswerBytesSent();
    EXPECT_EQ(Select(reader, 0x3F00), result::kCommandError);
    ASSERT_EQ(reader.ResetCard(nullptr), result::kOk);
    EXPECT_EQ(Select(reader, 0x3F00), 0x9F16);
    // A garbled byte: the echo of the select's file id.
    reader.Line().Setup().garbleEchoOfByte = reader.Line().HostBytesWritten() + 6;
    EXPECT_EQ(Select(reader, 0x3F00), result::kDataBlockError);

    // The card is pulled out after its next command.
    ASSERT_EQ(reader.ResetCard(nullptr), result::kOk);
    reader.Line().Setup().pullCardAfterCommands = reader.Line().CardCommandsReceived() + 1;
    EXPECT_EQ(Select(reader, 0x3F00), 0x9F16);
    EXPECT_EQ(Select(reader, 0x3F00), result::kCommandError);
    ASSERT_EQ(reader.PowerOff(), result::kOk);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kCardNotInserted);
}

TEST_F(VirtualDevice, ASwappedCardAnswersWithItsOwnIdentity) {
    const std::string path = WriteCard(testing::MakeTestSimProfile());
    VirtualCardReader reader;
    ASSERT_EQ(reader.Open("VIRTUAL:" + path, 0), result::kOk);
    ASSERT_EQ(reader.PowerOn(nullptr), result::kOk);

    SimProfile otherProfile = testing::MakeTestSimProfile();
    otherProfile.atr = {0x3B, 0x02, 'X', 'Y'};
    otherProfile.files[0].content[9] = 0x01;
    GsmSimCard other(otherProfile);
    reader.Line().InsertCard(&other);
    EXPECT_EQ(Select(reader, 0x3F00), result::kCommandError);  // the powered card is gone

    std::array<std::uint8_t, 33> atrBytes{};
    reader::ByteBuffer atr{atrBytes};
    ASSERT_EQ(reader.ResetCard(&atr), result::kOk);
    EXPECT_EQ(std::vector<std::uint8_t>(atr.Bytes().begin(), atr.Bytes().end()), otherProfile.atr);
    Select(reader, 0x3F00);
    Select(reader, 0x2FE2);
    std::vector<std::uint8_t> iccid(10);
    ASSERT_EQ(Send(reader, 0xB0, 0, 0, iccid, Direction::FromCard, 10), 0x9000);
    EXPECT_EQ(iccid[9], 0x01);
    reader.Line().InsertCard(nullptr);
}

}  // namespace
}  // namespace quillet::sim
