#include "app/ReaderFactory.h"

#include "app/SettingsStore.h"
#include "reader/PosixSerialPort.h"
#include "reader/RdxDriverReader.h"
#include "reader/ScLinkReader.h"
#include "reader/SerialCardReader.h"
#include "reader/SmartApiReader.h"
#include "sim/VirtualCardReader.h"

namespace quillet::app {

SystemReaderFactory::SystemReaderFactory(const SettingsStore& settings) : m_settings(settings) {}

std::unique_ptr<reader::CardReader> SystemReaderFactory::Create(ReaderBackend backend) {
    switch (backend) {
        case ReaderBackend::Serial: {
            const SettingsStore& settings = m_settings;
            auto resolve = [&settings](const std::string& name) {
                return settings.ReadString("commData", name, reader::DefaultPortPath(name));
            };
            return std::make_unique<reader::SerialCardReader>(std::make_unique<reader::PosixSerialPort>(), m_clock,
                                                              resolve);
        }
        case ReaderBackend::Virtual:
            return std::make_unique<sim::VirtualCardReader>();
        case ReaderBackend::ScLink:
            return std::make_unique<reader::ScLinkReader>();
        case ReaderBackend::RdxDriver:
            return std::make_unique<reader::RdxDriverReader>();
        case ReaderBackend::SmartApi:
            return std::make_unique<reader::SmartApiReader>();
    }
    return nullptr;
}

}  // namespace quillet::app
