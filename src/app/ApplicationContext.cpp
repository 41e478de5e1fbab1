#include "app/ApplicationContext.h"

#include <optional>

namespace quillet::app {

namespace {

constexpr const char* kRdxDriverName = "RDXI DRIVER";
constexpr const char* kPcscPrefix = "PCSC:";
constexpr const char* kPcmciaName = "PCMCIA FY-1300";
constexpr const char* kVirtualName = "VIRTUAL";
constexpr const char* kVirtualPrefix = "VIRTUAL:";

struct BackendChoice {
    ReaderBackend backend;
    std::string openArgument;
};

std::optional<BackendChoice> ChooseBackend(const std::string& name) {
    if (name.rfind("COM", 0) == 0 && name.size() >= 4 && name[3] >= '1' && name[3] <= '8') {
        return BackendChoice{ReaderBackend::Serial, name};
    }
    if (name == kRdxDriverName) {
        return BackendChoice{ReaderBackend::RdxDriver, name};
    }
    if (name.rfind(kPcscPrefix, 0) == 0) {
        return BackendChoice{ReaderBackend::ScLink, name.substr(5)};
    }
    if (name == kPcmciaName) {
        return BackendChoice{ReaderBackend::SmartApi, std::string()};
    }
    // The virtual card: the demo card, or a card file named after the colon.
    if (name == kVirtualName || (name.rfind(kVirtualPrefix, 0) == 0 && name.size() > 8)) {
        return BackendChoice{ReaderBackend::Virtual, name};
    }
    return std::nullopt;
}

}  // namespace

ApplicationContext::ApplicationContext(ReaderFactory& readers, card::UserInterface& ui, card::ProcessPriority& priority)
    : m_readers(readers), m_ui(ui), m_priority(priority), m_session(std::make_unique<card::CardSession>(*this)) {}

// The session goes first, then the reader, which releases its port or library itself.
ApplicationContext::~ApplicationContext() {
    m_session.reset();
    m_reader.reset();
}

void ApplicationContext::DropReader() {
    if (m_reader) {
        m_reader->Close();
        m_reader.reset();
    }
}

reader::ReaderResult ApplicationContext::OpenReaderByName(const std::string& name) {
    if (name == kNoDevice || name.empty()) {
        DropReader();
        m_deviceName = kNoDevice;
        return reader::result::kOk;
    }
    if (name == m_deviceName && m_reader) {
        return reader::result::kOk;
    }
    DropReader();
    m_deviceName = kNoDevice;

    const std::optional<BackendChoice> choice = ChooseBackend(name);
    if (!choice) {
        return reader::result::kNonSpecific;
    }
    std::unique_ptr<reader::CardReader> created = m_readers.Create(choice->backend);
    if (!created) {
        return reader::result::kNonSpecific;
    }
    const reader::ReaderResult code = created->Open(choice->openArgument, 0);
    if (code != reader::result::kOk) {
        // A reader that did not open is dropped without Close.
        return code;
    }
    m_reader = std::move(created);
    m_deviceName = name;
    return reader::result::kOk;
}

}  // namespace quillet::app
