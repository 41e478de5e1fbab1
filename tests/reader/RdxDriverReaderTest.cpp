// The driver-library reader against a stand-in driver backed by the virtual card.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "reader/RdxDriverReader.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/TemporaryFolder.h"

namespace quillet::reader {
namespace {

const std::string kDriverFolder = std::string(QUILLET_FAKES_DIR) + "/driver";

// The stand-in driver's own controls, for faults.
void FailNextDriverCall(std::uint32_t error) {
    void* driver = ::dlopen((kDriverFolder + "/librdxint.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(driver, nullptr);
    auto fail = reinterpret_cast<void (*)(std::uint32_t)>(::dlsym(driver, "quillet_fake_rdx_fail_next"));
    ASSERT_NE(fail, nullptr);
    fail(error);
    ::dlclose(driver);
}

struct DriverCall {
    std::uint32_t function, value, lineWord;
    bool operator==(const DriverCall&) const = default;
};

// The calls the stand-in driver saw since it was last asked.
std::vector<DriverCall> TakeDriverLog() {
    void* driver = ::dlopen((kDriverFolder + "/librdxint.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(driver, nullptr);
    auto take = reinterpret_cast<int (*)(std::uint32_t (*)[3], int)>(::dlsym(driver, "quillet_fake_rdx_take_log"));
    std::uint32_t log[256][3];
    const int count = take(log, 256);
    ::dlclose(driver);
    std::vector<DriverCall> calls;
    for (int index = 0; index < count; ++index) calls.push_back({log[index][0], log[index][1], log[index][2]});
    return calls;
}

TEST(RdxDriverReader, PowersTheCardAndRunsT0CommandsThroughTheDriver) {
    RdxDriverReader driver(NtFamilyPlatform, kDriverFolder);
    ASSERT_EQ(driver.Open("RDXI DRIVER", 0), result::kOk);
    std::array<std::uint8_t, 33> atrBytes{};
    ByteBuffer atr{atrBytes};
    ASSERT_EQ(driver.PowerOn(&atr), result::kOk);
    EXPECT_EQ(std::vector<std::uint8_t>(atr.Bytes().begin(), atr.Bytes().end()), sim::BuildDemoSimProfile().atr);
    std::array<std::uint8_t, 2> master = {0x3F, 0x00};
    std::uint16_t sw = 0;
    ASSERT_EQ(driver.Transmit(0xA0, 0xA4, 0, 0, 2, master, Direction::ToCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9F16);
    std::array<std::uint8_t, 22> response{};
    ASSERT_EQ(driver.Transmit(0xA0, 0xC0, 0, 0, 22, response, Direction::FromCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9000);
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
    EXPECT_EQ(unknown.LastDriverError(), 263u);
    RdxDriverReader missing(NtFamilyPlatform, kDriverFolder + "/nowhere");
    EXPECT_EQ(missing.Open("RDXI DRIVER", 0), result::kNonSpecific);
    RdxDriverReader noEntry(NtFamilyPlatform, std::string(QUILLET_FAKES_DIR) + "/driver-without-entry");
    EXPECT_EQ(noEntry.Open("RDXI DRIVER", 0), result::kReaderNotConnected);
    EXPECT_EQ(noEntry.LastDriverError(), 3u);
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
    void* driver = ::dlopen((kDriverFolder + "/librdxint.so").c_str(), RTLD_NOW);
    ASSERT_NE(driver, nullptr);
    auto load = reinterpret_cast<int (*)(const char*)>(::dlsym(driver, "quillet_fake_load_card"));
    ASSERT_EQ(load(path.c_str()), 1);
    RdxDriverReader reader(NtFamilyPlatform, kDriverFolder);
    ASSERT_EQ(reader.Open("RDXI DRIVER", 0), result::kOk);
    std::array<std::uint8_t, 32> memory{};
    TakeDriverLog();
    EXPECT_EQ(reader.ReadMemoryCard(memory), result::kOk);
    EXPECT_EQ(memory, sim::BuildDemoTelephoneCard().memory);
    EXPECT_EQ(TakeDriverLog(), (std::vector<DriverCall>{{0x7A0A, 0x1200, 0}, {0x7A11, 0, 0}, {0x7A36, 0, 0},
                                                         {0x7A20, 2, 0}}));
    // The driver stays loaded for the process: put the SIM back for the tests after this one.
    const std::string sim = folder.File("sim.json");
    ASSERT_TRUE(sim::SaveSimProfile(sim, sim::BuildDemoSimProfile(), error));
    EXPECT_EQ(load(sim.c_str()), 1);
    ::dlclose(driver);
}

}  // namespace
}  // namespace quillet::reader
