// The virtual card as it is served: the demonstration cards, the VIRTUAL device through the emulated
// serial reader, and the card side of vpcd's protocol (control codes and command shapes, no socket).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>
#include <vector>

#include "sim/DemoCard.h"
#include "sim/GsmSimCard.h"
#include "sim/SimProfileJson.h"
#include "sim/VirtualCardReader.h"
#include "sim/VpcdConnector.h"
#include "support/ReaderCommands.h"
#include "support/SimCommands.h"
#include "support/TemporaryFolder.h"
#include "support/TestSimProfile.h"

namespace quillet::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using reader::Direction;
using testing::Command;
using testing::Select;
namespace result = reader::result;

// The demonstration cards: an answer to reset any reader takes, and the codings of the subscription
// files no other test reads, assembled by hand from GSM 11.11 and 24.008. Their phone books, messages,
// parameters and network lists are read through the product's own readers in the phonebook, sms,
// backup and cli tests.
TEST(DemoSimCard, AnswersResetAsADirectConventionT0Card) {
    const SimProfile card = BuildDemoSimProfile();
    EXPECT_EQ(card.kind, SimProfile::Kind::Sim);
    const Bytes& atr = card.atr;
    ASSERT_GE(atr.size(), 4u);
    EXPECT_EQ(atr[0], 0x3B);
    EXPECT_EQ(atr[1] & 0x90, 0x90) << "TA1 and TD1 present";
    std::size_t at = 2;
    std::set<unsigned> protocols;
    for (unsigned indicator = atr[1] >> 4, level = 1; at < atr.size(); ++level) {
        at += std::popcount(indicator & 0x7u);
        if (!(indicator & 0x8)) break;
        protocols.insert(atr.at(at) & 0xF);
        if (level == 1) {
            EXPECT_EQ(atr[at] & 0xF, 0) << "TD1 offers T=0 first";
        }
        indicator = atr[at++] >> 4;
    }
    const bool checked = protocols != std::set<unsigned>{0};
    EXPECT_EQ(atr.size(), at + (atr[1] & 0xF) + (checked ? 1 : 0));
    if (checked) {
        std::uint8_t sum = 0;
        for (std::size_t i = 1; i < atr.size(); ++i) sum ^= atr[i];
        EXPECT_EQ(sum, 0) << "TCK";
    }
}

TEST(DemoSimCard, SubscriptionFilesHoldTheirStandardCodings) {
    const SimProfile card = BuildDemoSimProfile();
    const auto file = [&](std::uint16_t directory, std::uint16_t id) {
        const SimElementaryFile* found = card.FindFile(directory, id);
        EXPECT_NE(found, nullptr) << std::hex << id;
        return found ? *found : SimElementaryFile{};
    };
    // 8942001200112233440 with its Luhn digit, swapped nibbles, filler F.
    EXPECT_EQ(file(0x3F00, 0x2FE2).content, (Bytes{0x98, 0x24, 0x00, 0x21, 0x00, 0x11, 0x22, 0x33, 0x44, 0xF0}));
    // IMSI 230011234567890 (network 230-01): 8 bytes follow, first nibble 9 = IMSI with an odd digit count.
    EXPECT_EQ(file(0x7F20, 0x6F07).content, (Bytes{0x08, 0x29, 0x03, 0x10, 0x21, 0x43, 0x65, 0x87, 0x09}));
    EXPECT_EQ(file(0x7F20, 0x6FAE).content, Bytes{0x02});  // phase 2
    // Advice of charge: "EUR", EPPU 15 and exponent -2 (0.15 per unit); 150 units used of at most 1000.
    EXPECT_EQ(file(0x7F20, 0x6F41).content, (Bytes{'E', 'U', 'R', 0x00, 0x5F}));
    EXPECT_EQ(file(0x7F20, 0x6F39).records.at(0), (Bytes{0x00, 0x00, 0x96}));
    EXPECT_EQ(file(0x7F20, 0x6F37).content, (Bytes{0x00, 0x03, 0xE8}));
    // EF SST: service n in byte (n-1)/4, allocated in bit 2((n-1) mod 4), activated in the next.
    const Bytes sst = file(0x7F20, 0x6F38).content;
    const auto on = [&](unsigned n) {
        return (n - 1) / 4 < sst.size() && (sst[(n - 1) / 4] >> 2 * ((n - 1) % 4) & 3) == 3;
    };
    for (unsigned service : {1, 2, 3, 4, 5, 7, 9, 10, 11, 12, 13}) EXPECT_TRUE(on(service)) << service;
    for (unsigned service : {6, 8, 14, 40}) EXPECT_FALSE(on(service)) << service;
}

TEST(DemoTelephoneCard, IsAValidCzechCardOfThirtyUnits) {
    const SimProfile card = BuildDemoTelephoneCard();
    EXPECT_EQ(card.kind, SimProfile::Kind::MemoryCard);
    const auto& b = card.memory;
    int usedBits = 0;
    for (int i = 12; i <= 30; ++i) usedBits += std::popcount(b[i]);
    // Tag 0x83; unit class of 30 units (bit 0 of byte 2 clear, byte 3 = 50); Czech Republic; 2 bits set
    // when issued and 12 units used.
    EXPECT_EQ(std::tuple(b[1], b[2] & 0x01, b[3], b[11], usedBits), std::tuple(0x83, 0, 50, 85, 14));
}

class VirtualDevice : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_DATA_HOME", m_folder.c_str(), 1); }

    std::string WriteCard(const SimProfile& profile, const std::string& name = "card.json") {
        const std::string path = (m_folder / name).string();
        std::string error;
        EXPECT_TRUE(SaveSimProfile(path, profile, error)) << error;
        return path;
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
        ASSERT_EQ(Command(reader, 0x20, 0, 1, 8, pin, Direction::ToCard), 0x9000);
        ASSERT_EQ(Select(reader, 0x7F10), 0x9F16);
        ASSERT_EQ(Select(reader, 0x6F3A), 0x9F0F);
        std::vector<std::uint8_t> response(15);
        ASSERT_EQ(Command(reader, 0xC0, 0, 0, 15, response, Direction::FromCard), 0x9000);
        record.resize(response[14], 0x41);
        ASSERT_EQ(Command(reader, 0xDC, 2, 4, response[14], record, Direction::ToCard), 0x9000);
        ASSERT_EQ(reader.PowerOff(), result::kOk);
    }
    SimProfile saved;
    std::string error;
    ASSERT_TRUE(LoadSimProfile(demoPath, saved, error)) << error;
    EXPECT_EQ(saved.FindFile(0x7F10, 0x6F3A)->records[1], record);
}

TEST_F(VirtualDevice, AMalformedCardFileIsRefusedAndLeftAlone) {
    const std::string path = (m_folder / "broken.json").string();
    {
        std::ofstream(path)
            << "{\"format\": \"quillet-virtual-card\", \"version\": 1, \"kind\": \"sim\", \"atr\": \"3BXX\"}";
    }
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

    // A lost byte: the card's acknowledgement never arrives, and the card is left waiting for
    // data, so only a reset brings it back. (Forced status words and garbled echoes are the serial
    // reader's tests.)
    ASSERT_EQ(reader.PowerOn(nullptr), result::kOk);
    reader.Line().Setup().dropAnswerByte = reader.Line().AnswerBytesSent();
    EXPECT_EQ(Select(reader, 0x3F00), result::kCommandError);
    ASSERT_EQ(reader.ResetCard(nullptr), result::kOk);
    EXPECT_EQ(Select(reader, 0x3F00), 0x9F16);

    // The card is pulled out after its next command.
    reader.Line().Setup().pullCardAfterCommands = reader.Line().CardCommandsReceived() + 1;
    EXPECT_EQ(Select(reader, 0x3F00), 0x9F16);
    EXPECT_EQ(Select(reader, 0x3F00), result::kCommandError);
    ASSERT_EQ(reader.PowerOff(), result::kOk);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kCardNotInserted);
}

TEST(VpcdConnector, ControlCodesPowerAndResetTheCard) {
    GsmSimCard card(testing::MakeTestSimProfile());
    VpcdConnector connector(card, {});
    const Bytes select = {0xA0, 0xA4, 0x00, 0x00, 0x02, 0x7F, 0x10};
    EXPECT_EQ(connector.Answer(select), (Bytes{0x6F, 0x00}));  // not powered yet
    EXPECT_EQ(connector.Control(4), testing::MakeTestSimProfile().atr);
    EXPECT_TRUE(connector.Control(1).empty());
    EXPECT_EQ(connector.Answer(select), (Bytes{0x9F, 0x16}));
    // Asking for the ATR changes nothing: the selection stays.
    connector.Control(4);
    EXPECT_EQ(connector.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x6F, 0x3A}), (Bytes{0x9F, 0x0F}));
    // A reset does: the MF is current again.
    int powerDowns = 0;
    connector.onPowerDown = [&] { ++powerDowns; };
    connector.Control(2);
    EXPECT_EQ(connector.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x6F, 0x3A}), (Bytes{0x94, 0x04}));
    connector.Control(0);
    EXPECT_EQ(powerDowns, 2);
}

TEST(VpcdConnector, CommandShapesStrictAndLenient) {
    GsmSimCard card(testing::MakeTestSimProfile());
    VpcdConnector strict(card, {});
    strict.Control(1);
    const Bytes answer = strict.Answer({0xA0, 0xB0, 0x00, 0x00, 0x03});  // case 2: no EF selected
    EXPECT_EQ(answer, (Bytes{0x94, 0x00}));
    EXPECT_EQ(strict.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F}), (Bytes{0x67, 0x00}));              // data cut short
    EXPECT_EQ(strict.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00, 0x00}), (Bytes{0x67, 0x00}));  // one too many
    EXPECT_EQ(strict.Answer({0xA0, 0xA4}), (Bytes{0x67, 0x00}));

    VpcdConnector::Options options;
    options.strictShapes = false;
    VpcdConnector lenient(card, options);
    lenient.Control(1);
    EXPECT_EQ(lenient.Answer({0xA0, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00, 0x00}), (Bytes{0x9F, 0x16}));
    // Data for the host comes before the status word.
    const Bytes response = lenient.Answer({0xA0, 0xC0, 0x00, 0x00, 0x16});
    ASSERT_EQ(response.size(), 24u);
    EXPECT_EQ(response[22], 0x90);
    EXPECT_EQ(response[4], 0x3F);
}

}  // namespace
}  // namespace quillet::sim
