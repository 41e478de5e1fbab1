// The readers behind vendor libraries, against stand-ins backed by the virtual card: the driver
// library (and how its error numbers map to results) and the PCMCIA reader's library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "reader/RdxDriverReader.h"
#include "reader/ReaderResult.h"
#include "reader/SmartApiReader.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/ReaderCommands.h"
#include "support/TemporaryFolder.h"

namespace quillet::reader {
namespace {

const std::string kDriverFolder = std::string(QUILLET_FAKES_DIR) + "/driver";
const std::string kDriver = kDriverFolder + "/librdxint.so";
const std::string kLibrary = std::string(QUILLET_FAKES_DIR) + "/smartapi/libsmartapi.so";

// A control of a stand-in library, for faults and for what it saw.
template <typename Function>
Function FakeControl(const std::string& path, const char* name) {
    void* library = ::dlopen(path.c_str(), RTLD_NOW);
    EXPECT_NE(library, nullptr);
    auto control = reinterpret_cast<Function>(::dlsym(library, name));
    EXPECT_NE(control, nullptr);
    ::dlclose(library);  // still loaded by the reader under test, and for the whole process
    return control;
}

void FailNextDriverCall(std::uint32_t error) {
    FakeControl<void (*)(std::uint32_t)>(kDriver, "quillet_fake_rdx_fail_next")(error);
}

struct DriverCall {
    std::uint32_t function, value, lineWord;
    bool operator==(const DriverCall&) const = default;
};

// The calls the stand-in driver saw since it was last asked.
std::vector<DriverCall> TakeDriverLog() {
    std::uint32_t log[256][3];
    const int count = FakeControl<int (*)(std::uint32_t(*)[3], int)>(kDriver, "quillet_fake_rdx_take_log")(log, 256);
    std::vector<DriverCall> calls;
    for (int index = 0; index < count; ++index) calls.push_back({log[index][0], log[index][1], log[index][2]});
    return calls;
}

TEST(RdxDriverReader, PowersTheCardAndRunsT0CommandsThroughTheDriver) {
    RdxDriverReader driver(NtFamilyPlatform, kDriverFolder);
    ASSERT_EQ(driver.Open("RDXI DRIVER", 0), result::kOk);
    EXPECT_EQ(testing::PowerOnAtr(driver), sim::BuildDemoSimProfile().atr);
    EXPECT_EQ(testing::Select(driver, 0x3F00), 0x9F16);
    std::array<std::uint8_t, 22> response{};
    EXPECT_EQ(testing::Command(driver, 0xC0, 0, 0, 22, response, Direction::FromCard), 0x9000);
    EXPECT_EQ(response[4], 0x3F);
    EXPECT_EQ(driver.PowerOff(), result::kOk);
    EXPECT_EQ(driver.Close(), result::kOk);
}

TEST(RdxDriverReader, ThePlatformChoosesTheLibrary) {
    RdxDriverReader family95([] { return 1; }, kDriverFolder);
    EXPECT_EQ(family95.Open("RDXI DRIVER", 0), result::kOk);
    void* loaded95 = ::dlopen((kDriverFolder + "/librdxi95.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(loaded95, nullptr);
    if (loaded95 != nullptr) ::dlclose(loaded95);
    RdxDriverReader unknown([] { return 3; }, kDriverFolder);
    EXPECT_EQ(unknown.Open("RDXI DRIVER", 0), result::kNonSpecific);
    RdxDriverReader missing(NtFamilyPlatform, kDriverFolder + "/nowhere");
    EXPECT_EQ(missing.Open("RDXI DRIVER", 0), result::kNonSpecific);
    RdxDriverReader noEntry(NtFamilyPlatform, std::string(QUILLET_FAKES_DIR) + "/driver-without-entry");
    EXPECT_EQ(noEntry.Open("RDXI DRIVER", 0), result::kReaderNotConnected);
}

TEST(RdxDriverReader, DriverErrorsAreMappedToResults) {
    RdxDriverReader driver(NtFamilyPlatform, kDriverFolder);
    ASSERT_EQ(driver.Open("RDXI DRIVER", 0), result::kOk);
    std::uint16_t status = 0;
    FailNextDriverCall(1000);
    EXPECT_EQ(driver.GetReaderStatus(status), result::kCommandError);
    FailNextDriverCall(1024);
    EXPECT_EQ(driver.StartCard(), result::kNonSpecific);
    FailNextDriverCall(1010);
    EXPECT_EQ(driver.SetLineParity(2), result::kCardNotActive);
    EXPECT_EQ(driver.GetReaderStatus(status), result::kOk);
    EXPECT_EQ(status, 0x40);
}

TEST(RdxDriverReader, LineWordsAndControlCodesReachTheDriver) {
    RdxDriverReader driver(NtFamilyPlatform, kDriverFolder);
    ASSERT_EQ(driver.Open("RDXI DRIVER", 0), result::kOk);
    TakeDriverLog();
    ASSERT_EQ(driver.SetLineParity(2), result::kOk);
    ASSERT_EQ(driver.SetLineParity(1), result::kOk);
    ASSERT_EQ(driver.SetLineParity(0), result::kOk);
    ASSERT_EQ(driver.StartCard(), result::kOk);
    ASSERT_EQ(driver.Reconnect(), result::kOk);
    EXPECT_EQ(TakeDriverLog(), (std::vector<DriverCall>{{0x7A13, 5, 0x82202580},
                                                        {0x7A13, 5, 0x81202580},
                                                        {0x7A13, 5, 0x80202580},
                                                        {0x7A13, 4, 0x81202580},
                                                        {0x7A13, 3, 0}}));
    ASSERT_EQ(driver.Close(), result::kOk);
    EXPECT_EQ(TakeDriverLog(), (std::vector<DriverCall>{{0x7A03, 1, 0}}));
}

TEST(RdxDriverReader, ReadsATelephoneCard) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("phone.json");
    std::string error;
    ASSERT_TRUE(sim::SaveSimProfile(path, sim::BuildDemoTelephoneCard(), error));
    RdxDriverReader reader(NtFamilyPlatform, kDriverFolder);
    ASSERT_EQ(reader.Open("RDXI DRIVER", 0), result::kOk);
    const auto load = FakeControl<int (*)(const char*)>(kDriver, "quillet_fake_load_card");
    ASSERT_EQ(load(path.c_str()), 1);
    std::array<std::uint8_t, 32> memory{};
    TakeDriverLog();
    EXPECT_EQ(reader.ReadMemoryCard(memory), result::kOk);
    EXPECT_EQ(memory, sim::BuildDemoTelephoneCard().memory);
    EXPECT_EQ(TakeDriverLog(),
              (std::vector<DriverCall>{{0x7A0A, 0x1200, 0}, {0x7A11, 0, 0}, {0x7A36, 0, 0}, {0x7A20, 2, 0}}));
    // The driver stays loaded for the process: put the SIM back for the tests after this one.
    const std::string sim = folder.File("sim.json");
    ASSERT_TRUE(sim::SaveSimProfile(sim, sim::BuildDemoSimProfile(), error));
    EXPECT_EQ(load(sim.c_str()), 1);
}

void GarbleAnswers(int count) { FakeControl<void (*)(int)>(kLibrary, "quillet_fake_smart_garble_answers")(count); }

class SmartApi : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(reader.Open("", 0), result::kOk);
        atrRead = testing::PowerOnAtr(reader);
        ASSERT_FALSE(atrRead.empty());
    }
    std::uint16_t Status() {
        std::array<std::uint8_t, 22> response{};
        return testing::Command(reader, 0xF2, 0, 0, 22, response, Direction::FromCard);
    }

    SmartApiReader reader{kLibrary};
    std::vector<std::uint8_t> atrRead;
};

TEST_F(SmartApi, ReadsTheAtrFromTheReadersHeaderAndRunsCommands) {
    EXPECT_EQ(atrRead, sim::BuildDemoSimProfile().atr);
    EXPECT_EQ(reader.GetAtrParams().fi, 9);
    EXPECT_EQ(testing::Select(reader, 0x3F00), 0x9F16);
    EXPECT_EQ(Status(), 0x9000);
    EXPECT_EQ(reader.PowerOff(), result::kOk);
}

// Only a command the reader took no byte of is sent again: once its header is out, the card may
// have carried it out, so a lost or garbled answer is reported instead.
TEST_F(SmartApi, OnlyACommandTheReaderRefusedIsSentOnceMore) {
    const auto refuseWrites = FakeControl<void (*)(int)>(kLibrary, "quillet_fake_smart_refuse_writes");
    int attempts = 0;
    reader.SetTraceHook([&](const TraceRecord&) { ++attempts; });
    const struct {
        int refused, garbled;
        std::uint16_t expected;
        int attempts;
    } cases[] = {
        {1, 0, 0x9000, 2},
        {2, 0, result::kCommandError, 2},
        {0, 1, result::kCommandError, 1},
        {1, 1, result::kCommandError, 2},
    };
    for (const auto& [refused, garbled, expected, sent] : cases) {
        SCOPED_TRACE(::testing::Message() << refused << " refused, " << garbled << " garbled");
        attempts = 0;
        refuseWrites(refused);
        GarbleAnswers(garbled);
        EXPECT_EQ(Status(), expected);
        EXPECT_EQ(attempts, sent);
    }
}

TEST_F(SmartApi, LineSettingsAndMissingCardsReachTheResults) {
    auto takeLineWrites = FakeControl<int (*)(int*, int)>(kLibrary, "quillet_fake_smart_take_line_writes");
    int writes[16];
    takeLineWrites(writes, 16);
    ASSERT_EQ(reader.SetLineParity(1), result::kOk);
    ASSERT_EQ(reader.SetLineParity(2), result::kOk);
    ASSERT_EQ(reader.SetLineParity(0), result::kOk);
    ASSERT_EQ(takeLineWrites(writes, 16), 9);
    EXPECT_EQ(std::vector<int>(writes, writes + 9),
              (std::vector<int>{0x40, 0xDE, 0x15, 0x40, 0xFE, 0x15, 0x40, 0xCE, 0x15}));

    ASSERT_EQ(reader.PowerOff(), result::kOk);
    FakeControl<void (*)(int)>(kLibrary, "quillet_fake_smart_card_present")(0);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kCardNotInserted);
    FakeControl<void (*)(int)>(kLibrary, "quillet_fake_smart_card_present")(1);
    // A card that never answers its reset: the ATR times out.
    FakeControl<void (*)(int)>(kLibrary, "quillet_fake_smart_silent")(1);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kDataBlockError);
    FakeControl<void (*)(int)>(kLibrary, "quillet_fake_smart_silent")(0);
    EXPECT_EQ(reader.Connect(), result::kOk);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kOk);
}

TEST(SmartApiLibrary, EveryEntryPointMustBeThere) {
    SmartApiReader withoutCwt(std::string(QUILLET_FAKES_DIR) + "/smartapi-without-cwt/libsmartapi.so");
    EXPECT_EQ(withoutCwt.Open("", 0), result::kReaderLibraryError);
    SmartApiReader missing(std::string(QUILLET_FAKES_DIR) + "/nowhere/libsmartapi.so");
    EXPECT_EQ(missing.Open("", 0), result::kReaderLibraryError);
    SmartApiReader closed(kLibrary);
    std::uint16_t status = 0;
    EXPECT_EQ(closed.GetReaderStatus(status), result::kPortNotSet);
    EXPECT_EQ(closed.SetLineParity(2), result::kReaderNotConnected);
}

}  // namespace
}  // namespace quillet::reader
