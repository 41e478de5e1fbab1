#pragma once

#include <memory>
#include <string>

#include "app/ReaderFactory.h"
#include "reader/CardReader.h"

namespace quillet::app {

// The application-wide state that lives for the whole run: the current reader and its device
// name. The windowed program and the command-line tool both build on it.
class ApplicationContext {
public:
    static constexpr const char* kNoDevice = "NOTHING";

    explicit ApplicationContext(ReaderFactory& readers);
    ~ApplicationContext();
    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

    // Replaces the current reader by the one the device name chooses, unless it is already current.
    reader::ReaderResult OpenReaderByName(const std::string& name);

    // The current reader, or null when there is none.
    reader::CardReader* Reader() const { return m_reader.get(); }
    const std::string& DeviceName() const { return m_deviceName; }

private:
    void DropReader();

    ReaderFactory& m_readers;
    std::unique_ptr<reader::CardReader> m_reader;
    std::string m_deviceName = "COM2";
};

}  // namespace quillet::app
