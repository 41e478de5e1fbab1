// Fixed dialling on the virtual demo card: the window's "FDN Active", its PIN2 on writing, and
// switching fixed dialling on and off.
#include <gtest/gtest.h>

#include <cstring>

#include "phonebook/FixedDialingSwitch.h"
#include "phonebook/PhoneBookTable.h"
#include "resources/StringTable.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using testing::SessionRig;
using Files = std::vector<std::uint16_t>;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kGsm = 0x7F20;
constexpr std::uint16_t kAdn = 0x6F3A;
constexpr std::uint16_t kImsi = 0x6F07;
constexpr std::uint16_t kLoci = 0x6F7E;
constexpr std::uint8_t kInvalidate = 0x04;
constexpr std::uint8_t kRehabilitate = 0x44;

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }

bool Invalidated(SessionRig& rig, std::uint16_t df, std::uint16_t ef) {
    return rig.Card().Profile().FindFile(df, ef)->invalidated;
}

std::vector<std::uint32_t> Dialogs(const SessionRig& rig) {
    std::vector<std::uint32_t> dialogs;
    for (const card::PinPrompt& prompt : rig.ui.prompts) dialogs.push_back(prompt.dialogId);
    return dialogs;
}

TEST(FixedDialing, TheWindowShowsFixedDialingActiveWhileThePhoneBookIsInvalidated) {
    for (const bool invalidated : {false, true}) {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        profile.FindFile(kTelecom, kAdn)->invalidated = invalidated;
        SessionRig rig(profile, {"1234"});
        NameLimit limit;
        PhoneBookTable table(kFixedDialingBook, rig.ui, limit);
        EXPECT_TRUE(table.ReadFromCard(*rig.session, nullptr));
        EXPECT_EQ(table.FdnActive(), invalidated);
        EXPECT_TRUE(rig.ui.messages.empty());
    }
}

TEST(FixedDialing, NumbersReadWholeAreKeptWhenThePhoneBooksStateCannotBeLearned) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    std::erase_if(profile.files,
                  [](const sim::SimElementaryFile& file) { return file.directory == kTelecom && file.id == kAdn; });
    SessionRig rig(profile, {"1234"});
    NameLimit limit;
    PhoneBookTable table(kFixedDialingBook, rig.ui, limit);
    EXPECT_FALSE(table.ReadFromCard(*rig.session, nullptr));
    EXPECT_FALSE(table.FdnActive());
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_TRUE(rig.ui.messages[0].first.starts_with("Communication error:\r\n")) << rig.ui.messages[0].first;
    EXPECT_EQ(table.PositionCount(), 10u);
    EXPECT_NE(table.At(0).used, 0u);
}

TEST(FixedDialing, WritingTheNumbersAsksPin2OnceInARun) {
    SessionRig rig(sim::BuildDemoSimProfile(), {"1234", "5678"});
    NameLimit limit;
    PhoneBookTable table(kFixedDialingBook, rig.ui, limit);
    ASSERT_TRUE(table.ReadFromCard(*rig.session, nullptr));
    table.SetSettings({false, "", ""});
    for (const char* name : {"Help", "Rescue"}) {
        ASSERT_TRUE(table.ApplyEdit(0, {"1", name, "112"}));
        EXPECT_TRUE(table.WriteToCard(*rig.session, nullptr)) << name;
        const auto& record = rig.Card().Profile().FindFile(kTelecom, 0x6F3B)->records[0];
        EXPECT_TRUE(std::equal(name, name + std::strlen(name), record.begin())) << name;
    }
    EXPECT_EQ(Dialogs(rig), (std::vector<std::uint32_t>{109, 172}));
    EXPECT_TRUE(rig.ui.messages.empty());
}

TEST(FixedDialing, ActivateSwitchesTheCardBothWaysAndTheWindowFollows) {
    SessionRig rig(sim::BuildDemoSimProfile(), {"1234", "5678"});
    NameLimit limit;
    PhoneBookTable table(kFixedDialingBook, rig.ui, limit);

    // No: nothing reaches the card and nothing is shown.
    EXPECT_FALSE(ToggleFixedDialing(*rig.session, rig.ui, nullptr));
    EXPECT_EQ(rig.ui.questions, std::vector<std::string>{Text(5606)});
    EXPECT_TRUE(rig.FilesOf(kInvalidate).empty());
    EXPECT_FALSE(Invalidated(rig, kTelecom, kAdn));

    rig.ui.answers = {card::Answer::Yes};
    EXPECT_TRUE(ToggleFixedDialing(*rig.session, rig.ui, nullptr));
    EXPECT_EQ(rig.FilesOf(kInvalidate), Files{kAdn});
    EXPECT_TRUE(Invalidated(rig, kTelecom, kAdn));
    EXPECT_EQ(Dialogs(rig), (std::vector<std::uint32_t>{109, 172}));
    ASSERT_TRUE(table.ReadFromCard(*rig.session, nullptr));
    EXPECT_TRUE(table.FdnActive());

    // A phone without fixed dialling left IMSI and LOCI invalidated; they come back after the phone book.
    rig.Card().MutableProfile().FindFile(kGsm, kImsi)->invalidated = true;
    rig.Card().MutableProfile().FindFile(kGsm, kLoci)->invalidated = true;
    rig.ClearLog();
    rig.ui.answers = {card::Answer::Yes};
    EXPECT_TRUE(ToggleFixedDialing(*rig.session, rig.ui, nullptr));
    EXPECT_EQ(rig.ui.questions.back(), Text(5605));
    EXPECT_EQ(rig.FilesOf(kRehabilitate), (Files{kAdn, kImsi, kLoci}));
    EXPECT_FALSE(Invalidated(rig, kTelecom, kAdn) || Invalidated(rig, kGsm, kImsi) || Invalidated(rig, kGsm, kLoci));
    ASSERT_TRUE(table.ReadFromCard(*rig.session, nullptr));
    EXPECT_FALSE(table.FdnActive());
    EXPECT_TRUE(rig.ui.messages.empty());
}

TEST(FixedDialing, APhoneBookThatStaysInvalidatedLeavesImsiAndLociAlone) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    for (const auto& [df, ef] : {std::pair(kTelecom, kAdn), std::pair(kGsm, kImsi), std::pair(kGsm, kLoci)}) {
        profile.FindFile(df, ef)->invalidated = true;
    }
    profile.FindFile(kTelecom, kAdn)->access.rehabilitate = sim::AccessLevel::Never;
    SessionRig rig(profile, {"1234", "5678"});
    rig.ui.answers = {card::Answer::Yes};
    EXPECT_FALSE(ToggleFixedDialing(*rig.session, rig.ui, nullptr));
    EXPECT_EQ(rig.FilesOf(kRehabilitate), Files{kAdn});
    EXPECT_TRUE(Invalidated(rig, kGsm, kImsi) && Invalidated(rig, kGsm, kLoci));
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_TRUE(rig.ui.messages[0].first.starts_with("Communication error:\r\n"));
    EXPECT_EQ(rig.ui.messages[0].second, card::MessageIcon::Error);
}

}  // namespace
}  // namespace quillet::phonebook
