// A message window's document on the virtual demo card: what it shows, and that what it moves or
// composes reaches the card with the right bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resources/StringTable.h"
#include "sim/CardFaultPlan.h"
#include "sim/DemoCard.h"
#include "sms/SmsTable.h"
#include "support/SessionRig.h"

namespace quillet::sms {
namespace {

using card::RowSelection;
using testing::SessionRig;
using Record = std::vector<std::uint8_t>;

std::string Text(std::uint32_t id) { return std::string(resources::LoadString(id)); }
RowSelection Rows(std::vector<std::size_t> rows) { return {std::move(rows), -1}; }

class SmsWindowOnDemoCard : public ::testing::Test {
protected:
    explicit SmsWindowOnDemoCard(sim::SimProfile profile = sim::BuildDemoSimProfile()) : rig(std::move(profile)) {}

    void SetUp() override {
        rig.ui.pins = {"1234"};
        table.SetSettings({false, "+420603052000", 167});
        ASSERT_TRUE(table.ReadFromCard(*rig.session, nullptr)) << Shown();
        before = Records();
    }
    void Confirm() { table.SetSettings({true, "+420603052000", 167}); }
    std::vector<Record> Records() { return rig.Card().Profile().FindFile(0x7F10, 0x6F3C)->records; }
    std::string Shown() {
        std::string shown;
        for (const auto& message : rig.ui.messages) shown += message.first + "\n";
        rig.ui.messages.clear();
        return shown;
    }

    SessionRig rig;
    SmsTable table{rig.ui};
    std::vector<Record> before;
};

TEST_F(SmsWindowOnDemoCard, MessagesMovedAndRenumberedAreWrittenWithTheirOwnBytes) {
    ASSERT_EQ(table.PositionCount(), 20u);
    const SmsRowText first = table.RowTextOf(0);
    EXPECT_EQ(first.item + "|" + first.when + "|" + first.status + "|" + first.number + "|" + first.text,
              "  1  |03.12.01 14:25|Read|+420603123456|Dinner at 8?");
    EXPECT_TRUE(table.RowTextOf(4).text.ends_with("and your laptop. L (part 1 of 2)")) << table.RowTextOf(4).text;
    EXPECT_EQ(table.RowTextOf(5).text, "unch is at 12:30 in the canteen next door. See you there, Eva (part 2 of 2)");
    EXPECT_EQ(table.DetailOf(5).text, "unch is at 12:30 in the canteen next door. See you there, Eva");
    EXPECT_EQ(table.RowTextOf(6).text, "Ahoj, máš v pátek čas? Šárka");
    EXPECT_EQ(table.RowTextOf(7).text + table.RowTextOf(7).number, "--------");

    // Rows 0..2 moved onto row 1 over the used row 3, then the emptied row 0 deleted.
    Confirm();
    const auto dragged = table.BeginDrag(Rows({0, 1, 2}), 7);
    ASSERT_TRUE(dragged);
    const SmsPayload payload = ParseSmsPayload(*dragged).value();
    EXPECT_FALSE(table.DropPayload(payload, 1));  // declined
    EXPECT_EQ(table.RowTextOf(3).text, "Don't forget the tickets: 25€ each [cash only]");
    rig.ui.answers = {card::Answer::Yes, card::Answer::Yes};
    EXPECT_TRUE(table.DropPayload(payload, 1));
    table.EndDrag(true);
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57693), Text(57693)}));
    EXPECT_EQ(table.At(0).used, 0u);
    EXPECT_EQ(table.RowTextOf(1).text + table.RowTextOf(3).text, "Dinner at 8?OK, see you there!");
    const auto self = table.BeginDrag(Rows({1, 2}), 7);
    ASSERT_TRUE(self);
    EXPECT_TRUE(table.DropPayload(ParseSmsPayload(*self).value(), 1));  // onto itself: nothing to ask
    table.EndDrag(true);
    table.Delete(Rows({0}));  // empty: nothing to ask
    ASSERT_TRUE(table.WriteToCard(*rig.session, nullptr)) << Shown();
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57693), Text(57693), Text(57821)}));
    EXPECT_FALSE(table.HasUnsavedChanges());

    const std::vector<Record> after = Records();
    const int sources[] = {0, 1, 2, 4, 5, 6, -1, 8, 9, 10, -1, 12};
    for (std::size_t row = 0; row < std::size(sources); ++row) {
        if (sources[row] >= 0) {
            EXPECT_EQ(after[row], before[sources[row]]) << row;
        }
        EXPECT_EQ(after[row][0] == 0x00, sources[row] < 0) << row;
    }
    // A message copied in from another window is a new one: its reference starts again.
    SessionRig otherRig(sim::BuildDemoSimProfile());
    SmsTable other(otherRig.ui);
    ASSERT_TRUE(other.DropPayload(payload, 0));
    EXPECT_EQ(other.At(2).messageRef, 0u);
    EXPECT_EQ(table.At(2).messageRef, 0x2Au);
}

TEST_F(SmsWindowOnDemoCard, AComposedMessageIsWrittenAsTheStandardsCodeIt) {
    const std::optional<SmsEntry> copy = table.BeginEdit(Rows({7}));
    ASSERT_TRUE(copy);
    const std::string text = "Hi @ 5€\nBye";
    EXPECT_EQ(EditRoomText(EditRoom(*copy, text)), "12/160");
    EXPECT_EQ(EditRoomText(EditRoom(table.At(6), "Čau")), "3/70 UCS2");
    EXPECT_FALSE(table.ApplyEdit(7, *copy, {text, "+42011a"}));
    EXPECT_FALSE(table.ApplyEdit(7, *copy, {text, "+" + std::string(21, '1')}));
    EXPECT_FALSE(table.ApplyEdit(7, *copy, {std::string(161, 'x'), "+420111222"}));
    EXPECT_EQ(Shown(), Text(57721) + "\n" + Text(57721) + "\n" + Text(57722) + "\n");
    ASSERT_TRUE(table.ApplyEdit(7, *copy, {text, "+420111222"}));
    EXPECT_EQ(table.RowTextOf(7).item, "  8 *");
    EXPECT_EQ(table.DetailOf(7).status, "To be sent");
    ASSERT_TRUE(table.WriteToCard(*rig.session, nullptr)) << Shown();

    Record expected = {
        0x07,                                            // status: to be sent
        0x07, 0x91, 0x24, 0x60, 0x30, 0x50, 0x02, 0x00,  // centre +420603052000
        0x11,                                            // SMS-SUBMIT, relative validity
        0x00,                                            // message reference
        0x09, 0x91, 0x24, 0x10, 0x11, 0x22, 0xF2,        // destination +420111222
        0x00, 0x00,                                      // PID, DCS default alphabet
        0xA7,                                            // 24 hours
        0x0C,                                            // 12 septets: H i sp @ sp 5 ESC e LF B y e
        0xC8, 0x34, 0x08, 0x00, 0xAA, 0x6D, 0xCA, 0x0A, 0x61, 0xBE, 0x0C,
    };
    expected.resize(176, 0xFF);
    EXPECT_EQ(Records()[7], expected);
}

TEST_F(SmsWindowOnDemoCard, AFileBeyondTheCardIsRefusedUntilItFitsItsRecords) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("m.sms");
    std::string lines;
    for (int position : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22}) {
        // Message 3 has the longest numbers and an absolute validity, which leave no room for 159 septets.
        const bool full = position == 3;
        const std::string number = full ? std::string(20, '1') : "420111222";
        lines += std::to_string(position) + "\t>+" + number + "\t>+" + number + "\t>" +
                 (full ? "01.01.30 00:00" : "7 days") + "\t3\t0\t>" + std::string(full ? 159 : 2, 'q') + "\r\n";
    }
    testing::WriteFileBytes(path, lines);
    ASSERT_TRUE(table.ConfirmOpenFile());
    table.OpenFile(path);
    ASSERT_EQ(table.PositionCount(), 22u);
    Confirm();
    EXPECT_FALSE(table.ConfirmOpenFile());  // the file's messages are not on the card yet
    EXPECT_EQ(rig.ui.questions, std::vector<std::string>{Text(57471)});

    table.SetSettings({false, "", 0});
    EXPECT_FALSE(table.WriteToCard(*rig.session, nullptr));
    EXPECT_EQ(Shown(), Text(57824) + "\n");
    ASSERT_TRUE(table.CopyEntries(Rows({20}), true, 7));
    EXPECT_FALSE(table.WriteToCard(*rig.session, nullptr));
    EXPECT_EQ(Shown(), "The text of message 3 is too long for its card record. Nothing was written.\n");
    EXPECT_EQ(Records(), before);

    table.ClearSelected(Rows({2}));
    ASSERT_TRUE(table.WriteToCard(*rig.session, nullptr)) << Shown();
    // The last message went to the card's free record 3 and is numbered so; emptied, it is still not
    // the window's last record.
    EXPECT_EQ(table.At(21).index, 2);
    EXPECT_FALSE(table.Insert(Rows({})));
    ASSERT_TRUE(table.CopyEntries(Rows({21}), true, 7));
    EXPECT_FALSE(table.Insert(Rows({0})));
    EXPECT_EQ(Shown(), Text(57694) + "\n" + Text(57695) + "\n");
}

TEST_F(SmsWindowOnDemoCard, AReadFailingHalfWayLeavesTheWindowAsItWas) {
    table.Delete(Rows({0}));
    const std::vector<SmsEntry> shown(table.Positions().begin(), table.Positions().end());
    Confirm();
    rig.ui.answers = {card::Answer::Yes};
    rig.session->ClearCache();  // the read goes to the card again
    rig.ClearLog();
    rig.Reader().ArmFaults(sim::CardFaultPlan().FailCommand(55, 0x6F00));
    EXPECT_FALSE(table.ReadFromCard(*rig.session, nullptr));
    rig.Reader().DisarmFaults();
    EXPECT_EQ(rig.ui.questions, std::vector<std::string>{Text(57500)});
    const auto instructions = rig.Instructions();
    EXPECT_GT(std::count(instructions.begin(), instructions.end(), 0xB2), 10);  // records were read before the fault
    EXPECT_TRUE(Shown().starts_with("Communication error:\r\n"));
    EXPECT_EQ(std::memcmp(table.Positions().data(), shown.data(), sizeof(SmsEntry) * shown.size()), 0);
    EXPECT_EQ(table.PositionCount(), 20u);
}

class SmsWindowOnOneRecord : public SmsWindowOnDemoCard {
protected:
    static sim::SimProfile OneRecord() {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        profile.FindFile(0x7F10, 0x6F3C)->records.resize(1);
        return profile;
    }
    SmsWindowOnOneRecord() : SmsWindowOnDemoCard(OneRecord()) {}
};

TEST_F(SmsWindowOnOneRecord, DeletingTheOnlyMessageLeavesItsEmptyPosition) {
    ASSERT_EQ(table.PositionCount(), 1u);
    Confirm();
    table.Delete(Rows({0}));  // declined
    EXPECT_EQ(table.SelectAll().size(), 1u);
    rig.ui.answers = {card::Answer::Yes};
    table.Delete(Rows({0}));
    EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{Text(57697), Text(57697)}));
    EXPECT_EQ(table.At(0).used, 0u);
    EXPECT_EQ(table.RowTextOf(0).item, "  1 *");
    bool asked = false;
    EXPECT_TRUE(table.ConfirmClose(57680, asked));  // nothing unsaved is lost
    EXPECT_FALSE(asked);
    EXPECT_EQ(table.Insert(Rows({0})), 0u);
}

}  // namespace
}  // namespace quillet::sms
