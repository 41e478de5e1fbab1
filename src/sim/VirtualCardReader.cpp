#include "sim/VirtualCardReader.h"

#include <cstdlib>
#include <filesystem>

#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"

namespace quillet::sim {

namespace {

constexpr const char* kPathPrefix = "VIRTUAL:";

std::unique_ptr<SerialReaderEmulator> MakeLine(reader::VirtualClock& clock, SerialReaderEmulator*& line) {
    SerialReaderSetup setup;
    setup.cardInserted = false;
    auto port = std::make_unique<SerialReaderEmulator>(clock, nullptr, setup);
    line = port.get();
    return port;
}

VirtualCardReader::CardInterposer& Interposer() {
    static VirtualCardReader::CardInterposer interposer;
    return interposer;
}

}  // namespace

void VirtualCardReader::SetCardInterposer(CardInterposer interposer) { Interposer() = std::move(interposer); }

VirtualCardReader::VirtualCardReader()
    : reader::SerialCardReader(MakeLine(m_virtualClock, m_line), m_virtualClock,
                               [](const std::string& name) { return name; }) {}

VirtualCardReader::~VirtualCardReader() { SaveCard(); }

std::string VirtualCardReader::DemoCardPath() {
    std::filesystem::path folder;
    if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && *dataHome != '\0') {
        folder = dataHome;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folder = std::filesystem::path(home) / ".local" / "share";
    } else {
        folder = std::filesystem::temp_directory_path();
    }
    return (folder / "Quillet" / "demo-card.json").string();
}

std::string VirtualCardReader::CardFileFor(const std::string& deviceName) {
    if (deviceName.rfind(kPathPrefix, 0) == 0) {
        return deviceName.substr(std::char_traits<char>::length(kPathPrefix));
    }
    return DemoCardPath();
}

reader::ReaderResult VirtualCardReader::Open(const std::string& name, std::uint32_t option) {
    if (IsPortOpen()) {
        Close();
    }
    m_lastError.clear();
    if (!LoadCard(CardFileFor(name))) {
        return reader::result::kPortNotSet;
    }
    return reader::SerialCardReader::Open(name, option);
}

reader::ReaderResult VirtualCardReader::Close() {
    const reader::ReaderResult code = reader::SerialCardReader::Close();
    const bool saved = SaveCard();
    m_line->InsertCard(nullptr);
    m_faults.reset();
    m_card.reset();
    return code == reader::result::kOk && !saved ? reader::result::kNonSpecific : code;
}

reader::ReaderResult VirtualCardReader::PowerOff() {
    const reader::ReaderResult code = reader::SerialCardReader::PowerOff();
    if (!SaveCard() && code == reader::result::kOk) {
        return reader::result::kNonSpecific;
    }
    return code;
}

bool VirtualCardReader::LoadCard(const std::string& path) {
    SimProfile profile;
    const bool isDemo = path == DemoCardPath();
    std::error_code ignored;
    if (isDemo && !std::filesystem::exists(path, ignored)) {
        // First use: the demo card is made from the built-in profile.
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        if (!SaveSimProfile(path, BuildDemoSimProfile(), m_lastError)) {
            return false;
        }
    }
    if (!LoadSimProfile(path, profile, m_lastError)) {
        return false;
    }
    m_cardFile = path;
    m_line->InsertCard(nullptr);
    m_faults.reset();
    m_card.reset();
    if (profile.kind == SimProfile::Kind::MemoryCard) {
        m_line->Setup().memoryCard = profile.memory;
        m_line->Setup().cardInserted = true;
        return true;
    }
    m_line->Setup().memoryCard.reset();
    m_card = std::make_unique<GsmSimCard>(std::move(profile));
    m_faults = std::make_unique<FaultInjectingCard>(*m_card, [this] { m_line->PullCard(); });
    m_line->InsertCard(Interposer() ? &Interposer()(*m_faults, *m_line) : m_faults.get());
    return true;
}

bool VirtualCardReader::ArmFaults(CardFaultPlan plan) {
    if (!m_faults) return false;
    m_faults->Arm(std::move(plan));
    return true;
}

void VirtualCardReader::DisarmFaults() {
    if (!m_faults) return;
    const bool pulled = m_faults->IsPulled();
    m_faults->Disarm();
    if (pulled) m_line->InsertCard(m_faults.get());
}

bool VirtualCardReader::SaveCard() {
    if (!m_savesChanges || !m_card || !m_card->HasUnsavedChanges()) {
        return true;
    }
    if (!SaveSimProfile(m_cardFile, m_card->Profile(), m_lastError)) {
        return false;
    }
    m_card->MarkSaved();
    return true;
}

}  // namespace quillet::sim
