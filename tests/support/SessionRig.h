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
    // The PIN dialogs are answered with `pins` in turn (std::nullopt closes the dialog).
    explicit SessionRig(const sim::SimProfile& profile = MakeTestSimProfile(),
                        std::deque<std::optional<std::string>> pins = {}) {
        ui.pins = std::move(pins);
        std::string error;
        const std::string path = m_folder.File("card.json");
        if (!sim::SaveSimProfile(path, profile, error)) ADD_FAILURE() << error;
        m_reader = std::make_unique<sim::VirtualCardReader>();
        if (m_reader->Open("VIRTUAL:" + path, 0) != reader::result::kOk) ADD_FAILURE() << m_reader->LastError();
        m_reader->SetTraceHook([this](const reader::TraceRecord& record) {
            sent.push_back(record.header);
            sentData.emplace_back(record.data.begin(), record.data.end());
        });
        session = std::make_unique<card::CardSession>(*this);
    }

    reader::CardReader* CurrentReader() override { return readerPresent ? m_reader.get() : nullptr; }
    card::SecretString& RememberedPin(unsigned chv) override { return chv == 2 ? pin2 : pin1; }
    bool CacheEnabled() const override { return cacheEnabled; }
    bool VerifyWrites() const override { return verifyWrites; }
    card::UserInterface& Ui() override { return ui; }
    void RaisePriority() override { ++raised; }
    void LowerPriority() override { ++lowered; }

    sim::VirtualCardReader& Reader() { return *m_reader; }
    sim::GsmSimCard& Card() { return *m_reader->Card(); }
    void ClearLog() {
        sent.clear();
        sentData.clear();
    }
    // The files selected just before each command with the instruction `ins`, in order.
    std::vector<std::uint16_t> FilesOf(std::uint8_t ins) const {
        std::vector<std::uint16_t> files;
        std::uint16_t selected = 0;
        for (std::size_t index = 0; index < sent.size(); ++index) {
            if (sent[index][1] == 0xA4 && sentData[index].size() == 2) {
                selected = static_cast<std::uint16_t>(sentData[index][0] << 8 | sentData[index][1]);
            }
            if (sent[index][1] == ins) files.push_back(selected);
        }
        return files;
    }
    std::vector<std::uint16_t> UpdatedFiles() const { return FilesOf(0xDC); }
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
    bool verifyWrites = true;
    bool readerPresent = true;
    int raised = 0;
    int lowered = 0;
    std::vector<std::array<std::uint8_t, 5>> sent;
    std::vector<std::vector<std::uint8_t>> sentData;  // what each command sent or received
    std::unique_ptr<card::CardSession> session;

private:
    TemporaryFolder m_folder;
    std::unique_ptr<sim::VirtualCardReader> m_reader;
};

}  // namespace quillet::testing
