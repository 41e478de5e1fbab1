// The setup dialog's device list, its checks and the search for a connected reader.
#include <gtest/gtest.h>

#include <set>

#include "app/ApplicationContext.h"
#include "app/ReaderSetup.h"
#include "support/EmulatedSerialReader.h"
#include "support/ScriptedUserInterface.h"

namespace quillet::app {
namespace {

using Names = std::vector<std::string>;

TEST(ReaderSetupDevices, PcscReadersStandAfterNothingInReverseOrder) {
    EXPECT_EQ(BuildDeviceList({"A", "B"}), (Names{"NOTHING", "PCSC:B", "PCSC:A", "COM1", "COM2", "COM3", "COM4", "COM5",
                                                  "COM6", "COM7", "COM8", "PCMCIA FY-1300", "RDXI DRIVER", "VIRTUAL"}));
    EXPECT_EQ(BuildDeviceList({}), (Names{"NOTHING", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8",
                                          "PCMCIA FY-1300", "RDXI DRIVER", "VIRTUAL"}));
}

TEST(ReaderSetupDevices, TheFirstEntryBeginningWithTheDeviceIsSelected) {
    const Names devices = BuildDeviceList({"Reader A", "Reader B"});
    EXPECT_EQ(FindDeviceEntry(devices, "COM3"), 5u);
    EXPECT_EQ(FindDeviceEntry(devices, "PCSC:Reader A"), 2u);
    EXPECT_EQ(FindDeviceEntry(devices, "PCSC:"), 1u);
    EXPECT_EQ(FindDeviceEntry(devices, "rdxi driver"), 12u);
    EXPECT_EQ(FindDeviceEntry(devices, "VIRTUAL"), 13u);
    for (const char* unknown : {"COM9", "PCSC:Reader C", "VIRTUAL:/tmp/card.json", "COM33"}) {
        EXPECT_EQ(FindDeviceEntry(devices, unknown), 0u) << unknown;
    }
}

TEST(ReaderSetupChecks, CountryCodeIsCheckedBeforeThePrefix) {
    struct Case {
        const char* countryCode;
        const char* prefix;
        SetupCheck result;
        const char* storedCode;
    };
    for (const Case c :
         {Case{"+420", "00", SetupCheck::Ok, "420"}, Case{"420", "", SetupCheck::Ok, "420"},
          Case{"", "", SetupCheck::Ok, ""}, Case{"4a", "00", SetupCheck::BadCountryCode, "4a"},
          Case{"4a", "0O", SetupCheck::BadCountryCode, "4a"}, Case{"4+20", "00", SetupCheck::BadCountryCode, "4+20"},
          Case{"++420", "00", SetupCheck::BadCountryCode, "++420"}, Case{"+420", "0O", SetupCheck::BadPrefix, nullptr},
          Case{"49", "+00", SetupCheck::BadPrefix, nullptr}, Case{"49", "0 0", SetupCheck::BadPrefix, nullptr}}) {
        std::string code = c.countryCode;
        EXPECT_EQ(CheckSetupValues(code, c.prefix), c.result) << c.countryCode << " / " << c.prefix;
        if (c.storedCode != nullptr) {
            EXPECT_EQ(code, c.storedCode);
        }
    }
}

class NoPriority final : public card::ProcessPriority {
public:
    void Raise() override {}
    void Lower() override {}
};

// A reader that answers only on the open arguments the test allows and notes every attempt.
class ScriptedReader final : public reader::SerialCardReader {
public:
    ScriptedReader(reader::VirtualClock& clock, const std::set<std::string>& answering, Names& attempts)
        : SerialCardReader(std::make_unique<sim::SerialReaderEmulator>(clock, nullptr), clock),
          m_answering(answering),
          m_attempts(attempts) {}
    reader::ReaderResult Open(const std::string& name, std::uint32_t) override {
        m_attempts.push_back(name);
        return m_answering.count(name) != 0 ? reader::result::kOk : reader::result::kReaderNotConnected;
    }

private:
    const std::set<std::string>& m_answering;
    Names& m_attempts;
};

class ScriptedReaders final : public ReaderFactory {
public:
    std::unique_ptr<reader::CardReader> Create(ReaderBackend) override {
        return std::make_unique<ScriptedReader>(clock, answering, attempts);
    }

    reader::VirtualClock clock;
    std::set<std::string> answering;
    Names attempts;
};

// A context on scripted readers and hooks that record what the search window was asked to do.
struct SearchRig {
    SearchRig() {
        hooks.listPcscReaders = [this](Names& names) {
            names = pcscReaders;
            return gatewayAnswers;
        };
        hooks.openSearchWindow = [this] { windowEvents.push_back("open"); };
        hooks.showCandidate = [this](const std::string& candidate) { windowEvents.push_back(candidate); };
        hooks.closeSearchWindow = [this] { windowEvents.push_back("close"); };
    }

    ScriptedReaders readers;
    testing::ScriptedUserInterface ui;
    NoPriority priority;
    ApplicationContext context{readers, ui, priority};
    Names pcscReaders;
    bool gatewayAnswers = true;
    FindReaderHooks hooks;
    Names windowEvents;
};

TEST(ReaderSetupFindReader, OnlyTheFirstPcscReaderIsTriedAndNoWindowShows) {
    SearchRig rig;
    rig.pcscReaders = {"Reader A", "Reader B"};
    rig.readers.answering = {"Reader A", "Reader B", "COM1"};
    EXPECT_EQ(FindReader(rig.context, rig.hooks), "PCSC:Reader A");
    EXPECT_EQ(rig.readers.attempts, Names{"Reader A"});
    EXPECT_TRUE(rig.windowEvents.empty());
    EXPECT_NE(rig.context.Reader(), nullptr);
    EXPECT_EQ(rig.context.DeviceName(), "PCSC:Reader A");
}

TEST(ReaderSetupFindReader, SearchesTheCandidatesInOrderUntilOneAnswers) {
    // The gateway fails, lists nothing, lists an empty first name, or its first reader is silent.
    for (int variant = 0; variant < 4; ++variant) {
        SearchRig rig;
        rig.gatewayAnswers = variant != 0;
        if (variant == 2) rig.pcscReaders = {"", "Reader B"};
        if (variant == 3) rig.pcscReaders = {"Reader A"};
        rig.readers.answering = {"COM3", "COM5", "Reader B"};
        EXPECT_EQ(FindReader(rig.context, rig.hooks), "COM3") << variant;
        EXPECT_EQ(rig.windowEvents, (Names{"open", "RDXI DRIVER", "COM1", "COM2", "COM3", "close"})) << variant;
        EXPECT_EQ(rig.readers.attempts.size(), variant == 3 ? 5u : 4u) << variant;
        EXPECT_NE(rig.context.Reader(), nullptr);
        EXPECT_EQ(rig.context.DeviceName(), "COM3");
    }
}

TEST(ReaderSetupFindReader, AFruitlessSearchLeavesNoReader) {
    SearchRig rig;
    rig.readers.answering = {"VIRTUAL"};
    ASSERT_EQ(rig.context.OpenReaderByName("VIRTUAL"), reader::result::kOk);
    EXPECT_EQ(FindReader(rig.context, rig.hooks), std::nullopt);
    Names expected = {"open"};
    expected.insert(expected.end(), SearchCandidates().begin(), SearchCandidates().end());
    expected.push_back("close");
    EXPECT_EQ(rig.windowEvents, expected);
    EXPECT_EQ(rig.context.Reader(), nullptr);
    EXPECT_EQ(rig.context.DeviceName(), "NOTHING");
}

TEST(ReaderSetupFindReader, WorksWithoutHooks) {
    SearchRig rig;
    rig.readers.answering = {"COM8"};
    EXPECT_EQ(FindReader(rig.context, FindReaderHooks{}), "COM8");
    rig.readers.answering.clear();
    ASSERT_EQ(rig.context.OpenReaderByName("NOTHING"), reader::result::kOk);
    EXPECT_EQ(FindReader(rig.context, FindReaderHooks{}), std::nullopt);
    EXPECT_EQ(rig.context.Reader(), nullptr);
}

}  // namespace
}  // namespace quillet::app
