#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "card/CardCheck.h"
#include "phonebook/PhoneBookTransfer.h"
#include "sim/DemoCard.h"
#include "support/DiallingRecords.h"
#include "support/SessionRig.h"

namespace quillet::testing {

// Each used record's number as the phone book shows it, by file and record, read through a fresh session.
using CardNumbers = std::map<std::pair<std::uint16_t, std::size_t>, std::string>;

inline CardNumbers ReadNumbers(SessionRig& rig, std::initializer_list<std::uint16_t> files) {
    rig.session = std::make_unique<card::CardSession>(rig);
    rig.ui.pins = {"1234"};
    CardNumbers numbers;
    EXPECT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
    for (const std::uint16_t ef : files) {
        std::vector<phonebook::PhoneBookEntry> entries(250);
        phonebook::PhoneBookInfo info;
        EXPECT_TRUE(phonebook::ReadPhoneBook(*rig.session, ef, entries, info)) << rig.session->FormatLastError();
        for (std::size_t position = 0; position < info.entryCount; ++position) {
            if (entries[position].used) numbers[{ef, position + 1}] = entries[position].number;
        }
    }
    rig.session->EndSession();
    return numbers;
}

// What a fresh check of the card finds.
inline std::vector<card::CheckFinding> CheckFindings(SessionRig& rig) {
    rig.session = std::make_unique<card::CardSession>(rig);
    rig.ui.pins = {"1234"};
    EXPECT_TRUE(rig.session->BeginSession(true, false, true) && rig.session->LoadCardFiles(0x1F, 0))
        << rig.session->FormatLastError();
    card::CardImages images;
    for (std::size_t index = 0; index < card::kCachedFileCount; ++index) {
        images.files[index] = rig.session->Cache().Image(static_cast<card::CachedFile>(index));
    }
    const auto plan = card::PlanCardCheck(images, [](std::uint32_t, unsigned, unsigned) { return true; });
    rig.session->EndSession();
    return plan ? plan->findings : std::vector<card::CheckFinding>{};
}

// A card run through many interrupted writes: its file is never saved, and Restart puts it back as it
// was, with no session, no remembered codes and an idle user.
class FaultRig : public ::testing::Test {
protected:
    void SetUp() override { m_rig.Reader().SetSavesChanges(false); }

    void Restart(const sim::SimProfile& card) {
        m_rig.Reader().DisarmFaults();
        m_rig.Reader().PowerOff();
        m_rig.Card().MutableProfile() = card;
        m_rig.pin1.Clear();
        m_rig.pin2.Clear();
        m_rig.ui = ScriptedUserInterface();
        m_rig.session = std::make_unique<card::CardSession>(m_rig);
    }

    SessionRig m_rig{sim::BuildDemoSimProfile()};
};

}  // namespace quillet::testing
