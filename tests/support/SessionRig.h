#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "card/CardSession.h"
#include "card/SessionHost.h"
#include "sim/SimProfileJson.h"
#include "sim/VirtualCardReader.h"
#include "support/ScriptedUserInterface.h"
#include "support/TemporaryFolder.h"
#include "support/TestSimProfile.h"

namespace quillet::testing {

// A card session on a virtual card served through the emulated serial reader, with a scripted
// user, and a log of every command the reader sent.
class SessionRig final : public card::SessionHost {
public:
    explicit SessionRig(const sim::SimProfile& profile = MakeTestSimProfile()) {
        std::string error;
        const std::string path = m_folder.File("card.json");
        if (!sim::SaveSimProfile(path, profile, error)) ADD_FAILURE() << error;
        m_reader = std::make_unique<sim::VirtualCardReader>();
        if (m_reader->Open("VIRTUAL:" + path, 0) != reader::result::kOk) ADD_FAILURE() << m_reader->LastError();
        m_reader->SetTraceHook([this](const reader::TraceRecord& record) { sent.push_back(record.header); });
        session = std::make_unique<card::CardSession>(*this);
    }

    reader::CardReader* CurrentReader() override { return readerPresent ? m_reader.get() : nullptr; }
    card::SecretString& RememberedPin(unsigned chv) override { return chv == 2 ? pin2 : pin1; }
    bool CacheEnabled() const override { return cacheEnabled; }
    card::UserInterface& Ui() override { return ui; }
    void RaisePriority() override { ++raised; }
    void LowerPriority() override { ++lowered; }

    sim::VirtualCardReader& Reader() { return *m_reader; }
    sim::GsmSimCard& Card() { return *m_reader->Card(); }
    // The instruction bytes sent since the log was last cleared.
    std::vector<std::uint8_t> Instructions() const {
        std::vector<std::uint8_t> instructions;
        for (const auto& header : sent) instructions.push_back(header[1]);
        return instructions;
    }

    ScriptedUserInterface ui;
    card::SecretString pin1;
    card::SecretString pin2;
    bool cacheEnabled = true;
    bool readerPresent = true;
    int raised = 0;
    int lowered = 0;
    std::vector<std::array<std::uint8_t, 5>> sent;
    std::unique_ptr<card::CardSession> session;

private:
    TemporaryFolder m_folder;
    std::unique_ptr<sim::VirtualCardReader> m_reader;
};

}  // namespace quillet::testing
