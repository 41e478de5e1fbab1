// Backing a card up to a *.SIM file and restoring it onto another card: what arrives on the
// second card, what is refused before anything is written, and which PINs are asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "backup/BackupFlows.h"
#include "resources/StringTable.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::backup {
namespace {

using testing::SessionRig;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kGsm = 0x7F20;

// The demo card with its phone books, extension records, messages and network lists erased.
sim::SimProfile BlankCardProfile() {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    for (std::uint16_t ef : {0x6F3A, 0x6F3B, 0x6F4A, 0x6F4B}) {
        for (auto& record : profile.FindFile(kTelecom, ef)->records) std::fill(record.begin(), record.end(), 0xFF);
    }
    for (auto& record : profile.FindFile(kTelecom, 0x6F3C)->records) {
        std::fill(record.begin(), record.end(), 0xFF);
        record[0] = 0x00;
    }
    for (std::uint16_t ef : {0x6F30, 0x6F7B}) {
        auto& content = profile.FindFile(kGsm, ef)->content;
        std::fill(content.begin(), content.end(), 0xFF);
    }
    return profile;
}

bool LastMessageIs(const SessionRig& rig, std::uint32_t id) {
    return !rig.ui.messages.empty() && rig.ui.messages.back().first == resources::LoadString(id);
}

class BackupAndRestore : public ::testing::Test {
protected:
    void SetUp() override {
        source.ui.pins = {"1234"};
        ASSERT_EQ(BackupCard(*source.session, path), BackupOutcome::Done) << source.ui.messages.back().first;
        ASSERT_TRUE(LastMessageIs(source, 57424));
        ASSERT_TRUE(OpenBackup(path, *backup, target.ui));
    }
    const sim::SimElementaryFile& File(SessionRig& rig, std::uint16_t directory, std::uint16_t ef) {
        return *rig.Card().Profile().FindFile(directory, ef);
    }

    testing::TemporaryFolder folder;
    std::string path = folder.File("card.sim");
    SessionRig source{sim::BuildDemoSimProfile()};
    SessionRig target{BlankCardProfile()};
    std::unique_ptr<SimBackup> backup = std::make_unique<SimBackup>();
};

TEST_F(BackupAndRestore, TheSecondCardReceivesEveryPartOfTheFirst) {
    EXPECT_EQ(backup->phoneBookCount, File(source, kTelecom, 0x6F3A).records.size());
    EXPECT_GT(backup->messageCount, 0u);
    target.ui.pins = {"1234", "5678"};
    ASSERT_TRUE(RestoreToCard(*target.session, *backup, RestoreChoice{})) << target.ui.messages.back().first;
    EXPECT_TRUE(LastMessageIs(target, 57430));

    // What the second card holds backs up to the same file as the first.
    const std::string second = folder.File("second.sim");
    target.ui.pins = {"1234"};
    ASSERT_EQ(BackupCard(*target.session, second), BackupOutcome::Done);
    auto again = std::make_unique<SimBackup>();
    ASSERT_TRUE(OpenBackup(second, *again, target.ui));
    EXPECT_EQ(EncodeSimBackup(*again), EncodeSimBackup(*backup));

    // Phone books (names with '@' and UCS2 text among them), their extension records and the
    // SMS parameters arrive byte for byte. Messages arrive as the fields the file keeps: it has
    // no room for message references, seconds, time zones or coding, so those records differ.
    for (std::uint16_t ef : {0x6F3A, 0x6F3B, 0x6F4A, 0x6F4B, 0x6F42}) {
        EXPECT_EQ(File(target, kTelecom, ef).records, File(source, kTelecom, ef).records) << std::hex << ef;
    }
    for (std::uint16_t ef : {0x6F30, 0x6F7B}) {
        EXPECT_EQ(File(target, kGsm, ef).content, File(source, kGsm, ef).content) << std::hex << ef;
    }
    // Long numbers continue in extension records of the second card as well.
    const auto& extensions = File(target, kTelecom, 0x6F4A).records;
    EXPECT_TRUE(std::any_of(extensions.begin(), extensions.end(), [](const auto& record) { return record[0] == 0x02; }));
}

TEST_F(BackupAndRestore, AnUnchosenPartIsLeftAloneAndNoFixedDialingMeansNoPin2) {
    target.ui.pins = {"1234"};
    RestoreChoice choice;
    choice.fixedDialing = false;
    choice.networks = false;
    ASSERT_TRUE(RestoreToCard(*target.session, *backup, choice)) << target.ui.messages.back().first;
    EXPECT_EQ(target.ui.prompts.size(), 1u);  // PIN1 only
    EXPECT_NE(File(target, kTelecom, 0x6F3A).records, BlankCardProfile().FindFile(kTelecom, 0x6F3A)->records);
    EXPECT_EQ(File(target, kTelecom, 0x6F3B).records, BlankCardProfile().FindFile(kTelecom, 0x6F3B)->records);
    EXPECT_EQ(File(target, kGsm, 0x6F30).content, BlankCardProfile().FindFile(kGsm, 0x6F30)->content);
}

TEST_F(BackupAndRestore, ABackupLargerThanTheCardIsRefusedBeforeAnythingIsWritten) {
    sim::SimProfile small = BlankCardProfile();
    auto& messages = small.FindFile(kTelecom, 0x6F3C)->records;
    messages.resize(2);
    SessionRig smallCard(small, {"1234", "5678"});
    const sim::SimProfile before = smallCard.Card().Profile();
    EXPECT_FALSE(RestoreToCard(*smallCard.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(smallCard, message::kStructureError));
    EXPECT_EQ(smallCard.Card().Profile(), before);
    const auto& instructions = smallCard.Instructions();
    EXPECT_EQ(std::count(instructions.begin(), instructions.end(), 0xDC), 0);
    EXPECT_EQ(std::count(instructions.begin(), instructions.end(), 0xD6), 0);
    EXPECT_EQ(smallCard.ui.prompts.size(), 1u);  // PIN2 is not asked for a restore that is refused
}

TEST_F(BackupAndRestore, ACardWithoutAChosenFileIsNotWrittenAtAll) {
    sim::SimProfile noFdn = BlankCardProfile();
    std::erase_if(noFdn.files, [](const sim::SimElementaryFile& file) { return file.id == 0x6F3B; });
    SessionRig card(noFdn, {"1234", "5678"});
    const sim::SimProfile before = card.Card().Profile();
    EXPECT_FALSE(RestoreToCard(*card.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(card, 57429));
    EXPECT_EQ(card.Card().Profile(), before);
    EXPECT_EQ(card.ui.prompts.size(), 1u);
}

TEST_F(BackupAndRestore, CancellingBeforeTheNetworksStopsTheRestoreThere) {
    target.ui.pins = {"1234", "5678"};
    target.ui.cancelAtText = resources::LoadString(5010);  // "Writing preferred networks"
    EXPECT_FALSE(RestoreToCard(*target.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(target, 57429));
    EXPECT_NE(File(target, kTelecom, 0x6F3C).records, BlankCardProfile().FindFile(kTelecom, 0x6F3C)->records);
    for (std::uint16_t ef : {0x6F30, 0x6F7B}) {
        EXPECT_EQ(File(target, kGsm, ef).content, BlankCardProfile().FindFile(kGsm, ef)->content);
    }
}

TEST_F(BackupAndRestore, ARefusedPinStopsTheRestoreAndSaysItIsIncomplete) {
    target.ui.pins = {std::nullopt};
    const sim::SimProfile before = target.Card().Profile();
    EXPECT_FALSE(RestoreToCard(*target.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(target, 57429));
    EXPECT_EQ(target.Card().Profile(), before);
}

TEST_F(BackupAndRestore, OpeningABackupOrDecliningThePartsLeavesTheCardAlone) {
    const sim::SimProfile before = target.Card().Profile();
    auto opened = std::make_unique<SimBackup>();
    int asked = 0;
    const ChooseRestoreParts decline = [&] {
        ++asked;
        return std::optional<RestoreChoice>();
    };
    ASSERT_TRUE(RestoreFromBackup(*target.session, path, false, true, *opened, decline));
    EXPECT_EQ(EncodeSimBackup(*opened), EncodeSimBackup(*backup));
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(RestoreFromBackup(*target.session, path, true, false, *opened, decline));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(RestoreFromBackup(*target.session, path, false, false, *opened, decline));
    EXPECT_TRUE(target.sent.empty());
    EXPECT_EQ(target.Card().Profile(), before);
}

TEST(Backup, ACardWithoutFixedDialingRestoresWithoutPin2) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    profile.FindFile(kGsm, 0x6F38)->content[0] &= 0xCF;  // service 3 neither allocated nor activated
    SessionRig rig(profile, {"1234"});
    testing::TemporaryFolder folder;
    const std::string path = folder.File("no-fdn.sim");
    ASSERT_EQ(BackupCard(*rig.session, path), BackupOutcome::Done);
    auto backup = std::make_unique<SimBackup>();
    ASSERT_TRUE(OpenBackup(path, *backup, rig.ui));
    EXPECT_EQ(backup->fixedDialingCount, 0u);
    EXPECT_GT(backup->phoneBookCount, 0u);

    rig.ui.prompts.clear();
    rig.ClearLog();
    ASSERT_TRUE(RestoreToCard(*rig.session, *backup, RestoreChoice{}));
    EXPECT_EQ(rig.ui.prompts.size(), 0u);  // PIN1 is remembered, and PIN2 is not needed
    for (std::uint16_t ef : rig.UpdatedFiles()) EXPECT_NE(ef, 0x6F3B);
}

TEST_F(BackupAndRestore, OnlyEmptySmsParametersChosenWritesNothingAndSucceeds) {
    const sim::SimProfile before = source.Card().Profile();
    SimBackup empty;
    empty.phoneBookCount = 3;
    EXPECT_TRUE(RestoreToCard(*source.session, empty, RestoreChoice{false, false, false, true, false}));
    EXPECT_TRUE(LastMessageIs(source, 57430));
    EXPECT_EQ(source.Card().Profile(), before);
}

TEST_F(BackupAndRestore, AFileThatCannotBeWrittenLeavesNothingBehindAndSaysSo) {
    const std::string missing = folder.File("missing-folder/card.sim");
    EXPECT_EQ(BackupCard(*source.session, missing), BackupOutcome::FileFailed);
    EXPECT_TRUE(LastMessageIs(source, message::kCannotOpenTarget));
    EXPECT_FALSE(std::ifstream(missing).good());
}

}  // namespace
}  // namespace quillet::backup
