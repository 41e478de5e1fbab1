// Choosing and replacing the reader by device name.
#include <gtest/gtest.h>

#include "app/ApplicationContext.h"
#include "app/SettingsStore.h"
#include "support/EmulatedSerialReader.h"
#include "support/ScriptedUserInterface.h"

namespace quillet::app {
namespace {

// Leaves the process's priority alone.
class NoPriority final : public card::ProcessPriority {
public:
    void Raise() override {}
    void Lower() override {}
};

// A reader that only notes what it was opened with.
class NotingReader final : public reader::SerialCardReader {
public:
    NotingReader(reader::VirtualClock& clock, std::vector<std::string>& openedWith)
        : SerialCardReader(std::make_unique<sim::SerialReaderEmulator>(clock, nullptr), clock),
          m_openedWith(openedWith) {}
    reader::ReaderResult Open(const std::string& name, std::uint32_t) override {
        m_openedWith.push_back(name);
        return reader::result::kOk;
    }

private:
    std::vector<std::string>& m_openedWith;
};

// Makes serial readers on emulated lines and remembers what it made.
class EmulatedReaders final : public ReaderFactory {
public:
    std::unique_ptr<reader::CardReader> Create(ReaderBackend backend) override {
        requested.push_back(backend);
        if (backend != ReaderBackend::Serial) {
            return noteOthers ? std::make_unique<NotingReader>(clock, openedWith) : nullptr;
        }
        auto port = std::make_unique<sim::SerialReaderEmulator>(clock, &card, setup);
        lastLine = port.get();
        return std::make_unique<reader::SerialCardReader>(std::move(port), clock);
    }

    reader::VirtualClock clock;
    sim::ScriptedApduCard card{testing::kSimpleAtr};
    sim::SerialReaderSetup setup;
    sim::SerialReaderEmulator* lastLine = nullptr;
    std::vector<ReaderBackend> requested;
    bool noteOthers = false;
    std::vector<std::string> openedWith;
};

// The context on emulated serial lines; the factory is asked only when a reader is opened.
class OpenReaderByName : public ::testing::Test {
protected:
    EmulatedReaders readers;
    testing::ScriptedUserInterface ui;
    NoPriority priority;
    ApplicationContext context{readers, ui, priority};
};

TEST_F(OpenReaderByName, StartsWithoutAReaderOnTheDefaultDevice) {
    EXPECT_EQ(context.Reader(), nullptr);
    EXPECT_EQ(context.DeviceName(), "COM2");
}

TEST_F(OpenReaderByName, OpensSerialReadersOnComOneToEight) {
    for (const char* name : {"COM1", "COM8", "COM5"}) {
        ASSERT_EQ(context.OpenReaderByName(name), reader::result::kOk) << name;
        ASSERT_NE(context.Reader(), nullptr);
        EXPECT_TRUE(context.Reader()->IsReaderConnected());
        EXPECT_EQ(context.DeviceName(), name);
        EXPECT_EQ(readers.lastLine->OpenedDevice(), reader::DefaultPortPath(name));
    }
}

TEST_F(OpenReaderByName, TheCurrentNameAgainKeepsTheOpenReader) {
    ASSERT_EQ(context.OpenReaderByName("COM1"), reader::result::kOk);
    reader::CardReader* first = context.Reader();
    const std::uint64_t before = readers.clock.NowMicros();
    EXPECT_EQ(context.OpenReaderByName("COM1"), reader::result::kOk);
    EXPECT_EQ(context.Reader(), first);
    EXPECT_EQ(readers.requested.size(), 1u);
    EXPECT_EQ(readers.clock.NowMicros(), before);
}

TEST_F(OpenReaderByName, NothingOrAnEmptyNameDropsTheReader) {
    for (const char* name : {"NOTHING", ""}) {
        ASSERT_EQ(context.OpenReaderByName("COM1"), reader::result::kOk);
        EXPECT_EQ(context.OpenReaderByName(name), reader::result::kOk);
        EXPECT_EQ(context.Reader(), nullptr);
        EXPECT_EQ(context.DeviceName(), "NOTHING");
    }
}

TEST_F(OpenReaderByName, UnknownNamesAreNonSpecificErrorsAndLeaveNoReader) {
    for (const char* name : {"COM0", "COM9", "COM", "com1", "LPT1", "nothing", "PCMCIA"}) {
        ASSERT_EQ(context.OpenReaderByName("COM1"), reader::result::kOk);
        EXPECT_EQ(context.OpenReaderByName(name), reader::result::kNonSpecific) << name;
        EXPECT_EQ(context.Reader(), nullptr);
        EXPECT_EQ(context.DeviceName(), "NOTHING");
    }
}

TEST_F(OpenReaderByName, OtherDeviceNamesChooseTheirBackEndsAndOpenArguments) {
    readers.noteOthers = true;
    for (const char* name :
         {"RDXI DRIVER", "PCSC:Virtual PCD 00 00", "PCMCIA FY-1300", "VIRTUAL", "VIRTUAL:/tmp/a.json"}) {
        EXPECT_EQ(context.OpenReaderByName(name), reader::result::kOk) << name;
        EXPECT_EQ(context.DeviceName(), name);
    }
    EXPECT_EQ(readers.requested,
              (std::vector<ReaderBackend>{ReaderBackend::RdxDriver, ReaderBackend::ScLink, ReaderBackend::SmartApi,
                                          ReaderBackend::Virtual, ReaderBackend::Virtual}));
    EXPECT_EQ(readers.openedWith,
              (std::vector<std::string>{"RDXI DRIVER", "Virtual PCD 00 00", "", "VIRTUAL", "VIRTUAL:/tmp/a.json"}));
    EXPECT_EQ(context.OpenReaderByName("VIRTUAL:"), reader::result::kNonSpecific);
}

TEST_F(OpenReaderByName, AFailedOpenLeavesNoReader) {
    readers.setup.identifies = false;
    EXPECT_EQ(context.OpenReaderByName("COM1"), reader::result::kReaderNotConnected);
    EXPECT_EQ(context.Reader(), nullptr);
    EXPECT_EQ(context.DeviceName(), "NOTHING");
}

TEST(SystemReaderFactory, ComPortsFollowTheirSetting) {
    MemorySettingsStore settings;
    settings.WriteString("commData", "COM3", "/dev/quillet-test-missing-port");
    SystemReaderFactory factory(settings);
    testing::ScriptedUserInterface ui;
    NoPriority priority;
    ApplicationContext context(factory, ui, priority);
    // The named device file is the one opened: it does not exist, so the port cannot be opened.
    EXPECT_EQ(context.OpenReaderByName("COM3"), reader::result::kPortNotSet);
    // No vendor library on this machine.
    EXPECT_EQ(context.OpenReaderByName("PCMCIA FY-1300"), reader::result::kReaderLibraryError);
}

}  // namespace
}  // namespace quillet::app
