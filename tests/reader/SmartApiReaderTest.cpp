// The PCMCIA reader against a stand-in library backed by the virtual card.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "reader/SmartApiReader.h"
#include "sim/DemoCard.h"

namespace quillet::reader {
namespace {

const std::string kLibrary = std::string(QUILLET_FAKES_DIR) + "/smartapi/libsmartapi.so";

// A control of the stand-in library, for faults.
template <typename Function>
Function FakeControl(const char* name) {
    void* library = ::dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(library, nullptr);
    auto control = reinterpret_cast<Function>(::dlsym(library, name));
    EXPECT_NE(control, nullptr);
    ::dlclose(library);  // still loaded by the reader under test
    return control;
}

void GarbleAnswers(int count) { FakeControl<void (*)(int)>("quillet_fake_smart_garble_answers")(count); }

class SmartApi : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(reader.Open("", 0), result::kOk);
        std::array<std::uint8_t, 33> atrBytes{};
        ByteBuffer atr{atrBytes};
        ASSERT_EQ(reader.PowerOn(&atr), result::kOk);
        atrRead.assign(atr.Bytes().begin(), atr.Bytes().end());
    }
    std::uint16_t Status() {
        std::array<std::uint8_t, 22> response{};
        std::uint16_t sw = 0;
        const ReaderResult code = reader.Transmit(0xA0, 0xF2, 0, 0, 22, response, Direction::FromCard, sw);
        return code == result::kOk ? sw : code;
    }

    SmartApiReader reader{kLibrary};
    std::vector<std::uint8_t> atrRead;
};

TEST_F(SmartApi, ReadsTheAtrFromTheReadersHeaderAndRunsCommands) {
    EXPECT_EQ(atrRead, sim::BuildDemoSimProfile().atr);
    EXPECT_EQ(reader.GetAtrParams().fi, 9);
    std::array<std::uint8_t, 2> master = {0x3F, 0x00};
    std::uint16_t sw = 0;
    ASSERT_EQ(reader.Transmit(0xA0, 0xA4, 0, 0, 2, master, Direction::ToCard, sw), result::kOk);
    EXPECT_EQ(sw, 0x9F16);
    EXPECT_EQ(Status(), 0x9000);
    EXPECT_EQ(reader.PowerOff(), result::kOk);
}

TEST_F(SmartApi, AGarbledCommandIsSentOnceMore) {
    GarbleAnswers(1);
    EXPECT_EQ(Status(), 0x9000);
    GarbleAnswers(2);
    EXPECT_EQ(Status(), result::kCommandError);
}

TEST_F(SmartApi, LineSettingsAndMissingCardsReachTheResults) {
    auto takeLineWrites = FakeControl<int (*)(int*, int)>("quillet_fake_smart_take_line_writes");
    int writes[16];
    takeLineWrites(writes, 16);
    ASSERT_EQ(reader.SetLineParity(1), result::kOk);
    ASSERT_EQ(reader.SetLineParity(2), result::kOk);
    ASSERT_EQ(reader.SetLineParity(0), result::kOk);
    ASSERT_EQ(takeLineWrites(writes, 16), 9);
    EXPECT_EQ(std::vector<int>(writes, writes + 9),
              (std::vector<int>{0x40, 0xDE, 0x15, 0x40, 0xFE, 0x15, 0x40, 0xCE, 0x15}));

    ASSERT_EQ(reader.PowerOff(), result::kOk);
    FakeControl<void (*)(int)>("quillet_fake_smart_card_present")(0);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kCardNotInserted);
    FakeControl<void (*)(int)>("quillet_fake_smart_card_present")(1);
    // A card that never answers its reset: the ATR times out.
    FakeControl<void (*)(int)>("quillet_fake_smart_silent")(1);
    EXPECT_EQ(reader.PowerOn(nullptr), result::kDataBlockError);
    FakeControl<void (*)(int)>("quillet_fake_smart_silent")(0);
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
