#include "FakeCardSlot.h"

#include <cstdlib>

#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"

namespace quillet::fakes {

FakeCardSlot& FakeCardSlot::Instance() {
    static FakeCardSlot slot;
    return slot;
}

FakeCardSlot::FakeCardSlot() {
    const char* path = std::getenv("QUILLET_FAKE_CARD");
    if (path == nullptr || !LoadCard(path)) {
        m_card = std::make_unique<sim::GsmSimCard>(sim::BuildDemoSimProfile());
        m_line = std::make_unique<sim::T0LineAdapter>(*m_card);
    }
}

bool FakeCardSlot::LoadCard(const std::string& path) {
    sim::SimProfile profile;
    std::string error;
    if (!sim::LoadSimProfile(path, profile, error)) return false;
    m_memoryCard = profile.kind == sim::SimProfile::Kind::MemoryCard;
    m_memory = profile.memory;
    m_line.reset();
    m_card = std::make_unique<sim::GsmSimCard>(profile);
    m_line = std::make_unique<sim::T0LineAdapter>(*m_card);
    m_output.clear();
    return true;
}

void FakeCardSlot::PowerOn() {
    m_output.clear();
    if (!m_present || m_memoryCard) return;
    for (std::uint8_t byte : m_line->Reset()) m_output.push_back(byte);
}

void FakeCardSlot::PowerOff() { m_output.clear(); }

void FakeCardSlot::Send(std::uint8_t byte) {
    const std::size_t before = m_output.size();
    for (std::uint8_t answer : m_line->Receive(byte)) m_output.push_back(answer);
    if (garbleNextProcedure >= 0 && m_output.size() > before) {
        m_output[before] = static_cast<std::uint8_t>(garbleNextProcedure);
        garbleNextProcedure = -1;
    }
}

}  // namespace quillet::fakes
