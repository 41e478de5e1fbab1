// The PC/SC reader against the real pcscd, with the virtual card in a vpcd reader.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "card/CardSession.h"
#include "phonebook/PhoneBookTransfer.h"
#include "reader/ScLinkReader.h"
#include "sim/DemoCard.h"
#include "sim/GsmSimCard.h"
#include "sim/ScriptedApduCard.h"
#include "sim/VpcdConnector.h"
#include "support/PcscHost.h"

namespace quillet {
namespace {

namespace result = reader::result;
constexpr const char* kReaderWithCard = "Virtual PCD 00 00";
constexpr const char* kEmptyReader = "Virtual PCD 00 01";
using testing::PcscHost;
using testing::WaitForCard;

// A card in the first vpcd reader, served from a thread until it is pulled. It counts as
// inserted once pcscd has seen it, and as pulled once pcscd has seen it go.
class CardInReader {
public:
    explicit CardInReader(sim::ApduCard& card) : m_connector(card, {}) {
        // The reader must be empty first: otherwise another card would be taken for this one.
        reader::ScLinkReader watcher;
        if (watcher.Open(kReaderWithCard, 0) != result::kOk || !WaitForCard(watcher, false)) return;
        m_thread = std::thread([this] { m_connector.Run(); });
        for (int attempt = 0; attempt < 100 && !m_connector.IsConnected(); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        inserted = m_connector.IsConnected() && WaitForCard(watcher, true);
    }
    ~CardInReader() { Pull(); }
    void Pull() {
        m_connector.Stop();
        if (m_thread.joinable()) {
            m_thread.join();
            reader::ScLinkReader watcher;
            if (watcher.Open(kReaderWithCard, 0) == result::kOk) WaitForCard(watcher, false);
        }
    }
    bool inserted = false;

private:
    sim::VpcdConnector m_connector;
    std::thread m_thread;
};

// Waits until pcscd reports the reader's card present (or absent).
class PcscReader : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists("/run/pcscd/pcscd.comm")) {
            if (std::getenv("QUILLET_REQUIRE_PCSCD") != nullptr) FAIL() << "pcscd is not running";
            GTEST_SKIP() << "pcscd is not running";
        }
    }
};

TEST_F(PcscReader, ListsTheVirtualReaders) {
    std::vector<std::string> readers;
    ASSERT_TRUE(reader::ScLinkReader::ListGatewayReaders(readers));
    EXPECT_NE(std::find(readers.begin(), readers.end(), kReaderWithCard), readers.end());
    EXPECT_NE(std::find(readers.begin(), readers.end(), kEmptyReader), readers.end());
    EXPECT_TRUE(reader::PassesReaderFilter("Virtual PCD 00 00", {".", ".", "."}));
    EXPECT_TRUE(reader::PassesReaderFilter("Virtual PCD 00 00", {"pcd", ".", "."}));
    EXPECT_FALSE(reader::PassesReaderFilter("Virtual PCD 00 00", {"omnikey", ".", "."}));
}

TEST_F(PcscReader, ReadersShareOneLibraryLoad) {
    auto first = std::make_unique<reader::ScLinkReader>();
    ASSERT_EQ(first->Open(kReaderWithCard, 0), result::kOk);
    const int before = reader::ScLinkReader::LiveObjects();
    {
        std::vector<std::string> readers;
        ASSERT_TRUE(reader::ScLinkReader::ListGatewayReaders(readers));
    }
    EXPECT_EQ(reader::ScLinkReader::LiveObjects(), before);
    EXPECT_TRUE(reader::ScLinkReader::IsLibraryLoaded());
    std::uint16_t status = 0;
    EXPECT_EQ(first->GetReaderStatus(status), result::kOk);
    first.reset();
    EXPECT_FALSE(reader::ScLinkReader::IsLibraryLoaded());
}

TEST_F(PcscReader, AnEmptyReaderHasNoCard) {
    reader::ScLinkReader empty;
    ASSERT_EQ(empty.Open(kEmptyReader, 0), result::kOk);
    std::uint16_t status = 0xFF;
    ASSERT_EQ(empty.GetReaderStatus(status), result::kOk);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(empty.PowerOn(nullptr), result::kCardNotInserted);
    EXPECT_EQ(empty.Close(), result::kOk);
}

TEST_F(PcscReader, PowersTheCardAndParsesItsAtr) {
    const sim::SimProfile profile = sim::BuildDemoSimProfile();
    sim::GsmSimCard card(profile);
    CardInReader inserted(card);
    ASSERT_TRUE(inserted.inserted);
    reader::ScLinkReader pcsc;
    ASSERT_EQ(pcsc.Open(kReaderWithCard, 0), result::kOk);
    std::array<std::uint8_t, 33> atrBytes{};
    reader::ByteBuffer atr{atrBytes};
    ASSERT_EQ(pcsc.PowerOn(&atr), result::kOk);
    EXPECT_EQ(std::vector<std::uint8_t>(atr.Bytes().begin(), atr.Bytes().end()), profile.atr);
    EXPECT_EQ(pcsc.GetAtrParams().fi, 9);
    // The card is ours alone while it is powered.
    reader::ScLinkReader intruder;
    ASSERT_EQ(intruder.Open(kReaderWithCard, 0), result::kOk);
    EXPECT_EQ(intruder.PowerOn(nullptr), result::kGeneralReaderError);
    std::array<std::uint8_t, 2> master = {0x3F, 0x00};
    std::uint16_t sw = 0;
    ASSERT_EQ(pcsc.Transmit(0xA0, 0xA4, 0, 0, 2, master, reader::Direction::ToCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9F16);  // pcsc-lite hands 9Fxx back; the program sends its own GET RESPONSE
    std::array<std::uint8_t, 1> none{};
    ASSERT_EQ(pcsc.Transmit(0xA0, 0xC0, 0, 0, 0, none, reader::Direction::FromCard, sw), result::kOk);
    EXPECT_EQ(sw & 0xFF00, 0x6700);  // P3 = 0 asks for nothing: the card tells the length it wanted
    // Powering off resets the card: nothing stays selected.
    ASSERT_EQ(pcsc.ResetCard(nullptr), result::kOk);
    std::array<std::uint8_t, 2> adn = {0x6F, 0x3A};
    ASSERT_EQ(pcsc.Transmit(0xA0, 0xA4, 0, 0, 2, adn, reader::Direction::ToCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9404);
    EXPECT_EQ(pcsc.PowerOff(), result::kOk);
    EXPECT_EQ(pcsc.Close(), result::kOk);
}

TEST_F(PcscReader, APhoneBookTravelsThroughPcscdAndAPulledCardIsReported) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    sim::GsmSimCard card(profile);
    auto inserted = std::make_unique<CardInReader>(card);
    ASSERT_TRUE(inserted->inserted);
    PcscHost host;
    ASSERT_EQ(host.reader.Open(kReaderWithCard, 0), result::kOk);
    card::CardSession session(host);
    host.ui.pins = {"1234"};
    ASSERT_TRUE(session.BeginSession(true, false, true)) << session.FormatLastError();
    std::array<phonebook::PhoneBookEntry, 250> entries{};
    phonebook::PhoneBookInfo info;
    ASSERT_TRUE(phonebook::ReadPhoneBook(session, phonebook::kAdnFile, entries, info)) << session.FormatLastError();
    EXPECT_EQ(info.entryCount, 120u);
    EXPECT_STREQ(entries[1].name, "Bank Hotline");
    phonebook::PhoneBookWriteReport report;
    ASSERT_TRUE(phonebook::WritePhoneBook(session, phonebook::kAdnFile, entries, report));
    EXPECT_EQ(report.recordsWritten, 0u);
    EXPECT_EQ(card.Profile(), profile);
    session.EndSession();

    // Pulled in the middle of the next read: the reader reports the failure, the caches go.
    session.ClearCache();
    ASSERT_TRUE(session.BeginSession(true, false, true)) << session.FormatLastError();
    session.BeginProgress(nullptr, 5000, 5106);
    CardInReader* pulled = inserted.get();
    bool pulledOnce = false;
    host.reader.SetTraceHook([&](const reader::TraceRecord& record) {
        if (!pulledOnce && record.header[1] == 0xB2 && record.header[2] == 30) {
            pulledOnce = true;
            pulled->Pull();
        }
    });
    EXPECT_FALSE(phonebook::ReadPhoneBook(session, phonebook::kAdnFile, entries, info));
    EXPECT_EQ(session.LastResult(), result::kGeneralReaderError);
    EXPECT_TRUE(session.Cache().Empty());
    session.EndProgress(true);
    session.EndSession();
    host.reader.SetTraceHook(nullptr);

    // Another card is accepted.
    inserted.reset();
    sim::SimProfile other = sim::BuildDemoSimProfile();
    other.FindFile(0x3F00, 0x2FE2)->content[8] = 0x99;
    sim::GsmSimCard otherCard(other);
    CardInReader second(otherCard);
    ASSERT_TRUE(second.inserted);
    host.ui.pins = {"1234"};
    ASSERT_TRUE(session.BeginSession(true, false, true)) << session.FormatLastError();
    EXPECT_EQ(session.Iccid()[8], 0x99);
    session.EndSession();
}

// An answer is exactly the data asked for and the status word, or the status word alone when it
// says why there is no data; anything else is reported and its bytes are not taken.
TEST_F(PcscReader, AnswersOfTheWrongLengthAreRefused) {
    std::vector<std::uint8_t> data;
    std::uint16_t status = 0x9000;
    sim::ScriptedApduCard card(sim::BuildDemoSimProfile().atr,
                               [&](const sim::ApduHeader&, std::span<const std::uint8_t>) {
                                   return sim::ApduResponse{data, status};
                               },
                               {0xD6});
    CardInReader inserted(card);
    ASSERT_TRUE(inserted.inserted);
    reader::ScLinkReader pcsc;
    ASSERT_EQ(pcsc.Open(kReaderWithCard, 0), result::kOk);
    ASSERT_EQ(pcsc.PowerOn(nullptr), result::kOk);

    const std::vector<std::uint8_t> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const struct {
        std::vector<std::uint8_t> data;
        std::uint16_t sw;
        std::uint8_t ins;
        reader::ReaderResult expected;
    } cases[] = {
        {ten, 0x9000, 0xB0, result::kOk},
        {{0x11, 0x22, 0x33}, 0x9000, 0xB0, result::kCommandError},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0x9000, 0xB0, result::kCommandError},
        {{}, 0x9F0A, 0xB0, result::kCommandError},
        {{}, 0x6B00, 0xB0, result::kOk},
        {{0x11, 0x22, 0x33}, 0x6F00, 0xB0, result::kCommandError},
        {{0x11, 0x22}, 0x9000, 0xD6, result::kCommandError},  // data in answer to an update
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::Message() << row.data.size() << " bytes and " << std::hex << row.sw);
        data = row.data;
        status = row.sw;
        const reader::Direction direction = row.ins == 0xB0 ? reader::Direction::FromCard : reader::Direction::ToCard;
        std::vector<std::uint8_t> buffer(10, 0xEE);
        std::uint16_t sw = 0;
        ASSERT_EQ(pcsc.Transmit(0xA0, row.ins, 0, 0, 10, buffer, direction, sw), row.expected);
        if (row.expected == result::kOk) {
            EXPECT_EQ(sw, row.sw);
        }
        if (direction == reader::Direction::FromCard) {
            EXPECT_EQ(buffer,
                      row.expected == result::kOk && !row.data.empty() ? ten : std::vector<std::uint8_t>(10, 0xEE));
        }
    }
    EXPECT_EQ(pcsc.PowerOff(), result::kOk);
}

}  // namespace
}  // namespace quillet
