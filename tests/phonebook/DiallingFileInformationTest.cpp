// The last-numbers and own-numbers pages' readings on the virtual demo card.
#include <gtest/gtest.h>

#include <cstring>

#include "phonebook/DiallingFileInformation.h"
#include "phonebook/PhoneBookTransfer.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::phonebook {
namespace {

using testing::SessionRig;
namespace result = reader::result;
using Lines = std::vector<std::string>;

std::string Spaces(std::size_t count) { return std::string(count, ' '); }

TEST(DiallingFileInformation, ListsEveryRecordWithNamesAlignedByCharacters) {
    SessionRig rig(sim::BuildDemoSimProfile(), {"1234"});
    DiallingFileInformation info;
    ASSERT_EQ(ReadDiallingFileInformation(*rig.session, nullptr, kLndFile, info), result::kOk) << info.failure;
    EXPECT_EQ(info.itemsPossible, "5");
    EXPECT_EQ(info.maxNameLength, "16");
    EXPECT_EQ(info.failure, "");
    // A number dialled without a name; "Jürgen Müller" is 13 characters, more bytes.
    EXPECT_EQ(info.lines,
              (Lines{"  1  " + Spaces(20) + "  603987654", "  2  " + Spaces(7) + "Jürgen Müller  +49301234567",
                     "  3  " + Spaces(10) + "Pizza Roma  +420222333444", "  4", "  5"}));
    EXPECT_EQ(rig.ui.progressOpened, 1);
    EXPECT_EQ(rig.ui.progressClosed, 1);
    EXPECT_EQ(rig.session->Flags(), 0u);

    ASSERT_EQ(ReadDiallingFileInformation(*rig.session, nullptr, kMsisdnFile, info), result::kOk) << info.failure;
    EXPECT_EQ(info.itemsPossible, "2");
    EXPECT_EQ(info.lines, (Lines{"  1  " + Spaces(11) + "My number  +420603555123", "  2"}));

    // Names longer than the column are not cut.
    PhoneBookEntry entry = EmptyPosition(0);
    entry.used = 1;
    SetNameBytes(entry, "A name of 24 characters!");
    std::strcpy(entry.number, "1");
    EXPECT_EQ(DiallingListLine(100, entry), "100  A name of 24 characters!  1");
}

TEST(DiallingFileInformation, FailuresNameProtectedFilesAndOtherCauses) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    profile.FindFile(0x7F10, 0x6F44)->invalidated = true;
    SessionRig rig(profile, {"1234"});
    DiallingFileInformation info;
    EXPECT_EQ(ReadDiallingFileInformation(*rig.session, nullptr, kLndFile, info), result::kInaccessibleRecord);
    EXPECT_EQ(info.failure, "Entry can not be overwritten, password protected");
    EXPECT_TRUE(info.lines.empty());
    EXPECT_EQ(info.itemsPossible, "");
    EXPECT_EQ(rig.ui.progressOpened, rig.ui.progressClosed);

    // The PIN is required: declining it ends the reading.
    SessionRig declined(sim::BuildDemoSimProfile(), {std::nullopt});
    EXPECT_EQ(ReadDiallingFileInformation(*declined.session, nullptr, kMsisdnFile, info), result::kPinEntryCancelled);
    EXPECT_EQ(info.failure, "Communication error:\r\nOperation cancelled");
    EXPECT_EQ(declined.session->Flags(), 0u);
}

}  // namespace
}  // namespace quillet::phonebook
