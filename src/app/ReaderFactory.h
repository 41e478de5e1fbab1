#pragma once

#include <memory>

#include "reader/CardReader.h"
#include "reader/SystemClock.h"

namespace quillet::app {

class SettingsStore;

// The reader back ends a device name can choose.
enum class ReaderBackend { Serial, RdxDriver, ScLink, SmartApi, Virtual };

// Makes reader objects for the application context; tests hand in emulated ones.
class ReaderFactory {
public:
    virtual ~ReaderFactory() = default;
    // A new reader of the given back end, or null when it cannot be made.
    virtual std::unique_ptr<reader::CardReader> Create(ReaderBackend backend) = 0;
};

// The real back ends of this system. A serial device "COMn" opens /dev/ttyS(n-1) unless the
// setting commData/COMn names another device file.
class SystemReaderFactory final : public ReaderFactory {
public:
    explicit SystemReaderFactory(const SettingsStore& settings);

    std::unique_ptr<reader::CardReader> Create(ReaderBackend backend) override;

private:
    const SettingsStore& m_settings;
    reader::SystemClock m_clock;
};

}  // namespace quillet::app
