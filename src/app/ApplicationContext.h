#pragma once

#include <memory>
#include <string>

#include "app/ReaderFactory.h"
#include "card/CardSession.h"
#include "card/ProcessPriority.h"
#include "card/SessionHost.h"
#include "card/UserInterface.h"
#include "reader/CardReader.h"

namespace quillet::app {

// The application-wide state that lives for the whole run: the current reader and its device
// name, the one card session, the PINs remembered for this run and the cache and read-back
// settings. The windowed program and the command-line tool both build on it.
class ApplicationContext final : public card::SessionHost {
public:
    static constexpr const char* kNoDevice = "NOTHING";

    ApplicationContext(ReaderFactory& readers, card::UserInterface& ui, card::ProcessPriority& priority);
    ~ApplicationContext() override;
    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

    // Replaces the current reader by the one the device name chooses, unless it is already current.
    reader::ReaderResult OpenReaderByName(const std::string& name);

    // The current reader, or null when there is none.
    reader::CardReader* Reader() const { return m_reader.get(); }
    const std::string& DeviceName() const { return m_deviceName; }
    card::CardSession& Session() { return *m_session; }
    void SetCacheEnabled(bool enabled) { m_cacheEnabled = enabled; }
    void SetVerifyWrites(bool verify) { m_verifyWrites = verify; }

    // The session's view of the application.
    reader::CardReader* CurrentReader() override { return m_reader.get(); }
    card::SecretString& RememberedPin(unsigned chv) override { return chv == 2 ? m_pin2 : m_pin1; }
    bool CacheEnabled() const override { return m_cacheEnabled; }
    bool VerifyWrites() const override { return m_verifyWrites; }
    card::UserInterface& Ui() override { return m_ui; }
    void RaisePriority() override { m_priority.Raise(); }
    void LowerPriority() override { m_priority.Lower(); }

private:
    void DropReader();

    ReaderFactory& m_readers;
    card::UserInterface& m_ui;
    card::ProcessPriority& m_priority;
    std::unique_ptr<reader::CardReader> m_reader;
    std::string m_deviceName = "COM2";
    card::SecretString m_pin1;
    card::SecretString m_pin2;
    bool m_cacheEnabled = true;
    bool m_verifyWrites = true;
    std::unique_ptr<card::CardSession> m_session;
};

}  // namespace quillet::app
