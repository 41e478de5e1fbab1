// The network list dialog's model on a card of eight slots: the row texts, what an edit takes from
// the select dialog's fields, and which commands apply.
#include <gtest/gtest.h>

#include "backup/NetworkListEditor.h"
#include "support/SessionRig.h"

namespace quillet::backup {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 232/01, 260 with a filler nibble for an MNC digit, empty, 310/010 with three MNC digits, 999/99
// (no operator), three empty slots.
const Bytes kSlots = {0x32, 0xF2, 0x10, 0x62, 0xF0, 0x0F, 0xFF, 0xFF, 0xFF, 0x13, 0x00, 0x10,
                      0x99, 0xF9, 0x99, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

sim::SimProfile MakeProfile() {
    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.files.push_back(testing::MakeFile(0x7F20, 0x6F30, "PLMNsel", sim::FileStructure::Transparent,
                                              {sim::AccessLevel::Chv1, sim::AccessLevel::Chv1}));
    profile.files.back().content = kSlots;
    return profile;
}

class NetworkListEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.Read(*rig.session, rig.ui, nullptr));
        ASSERT_EQ(editor.Count(), 8u);
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (std::size_t slot = 0; slot < editor.Count(); ++slot) rows.push_back(editor.RowText(slot));
        return rows;
    }

    testing::SessionRig rig{MakeProfile(), {"1234"}};
    NetworkListEditor editor{false};
};

TEST_F(NetworkListEditorTest, RowsShowTheSlotsAndEditsMarkThem) {
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1\t232-01\tMobilkom Austria AG - A", "2\t260-00", "3", "4\t310-010",
                                                "5\t999-99", "6", "7", "8"}));
    EXPECT_EQ(editor.FieldTexts(3).mnc, "010");
    EXPECT_TRUE(editor.FieldTexts(2).mcc.empty());

    const struct {
        std::size_t slot;
        const char* mcc;
        const char* mnc;
        const char* row;
    } edits[] = {
        {0, "232", "01", "1*\t232-01\tMobilkom Austria AG - A"},     // unchanged codes are marked all the same
        {1, "x", "2", "2*\t260-02\tPolska Telefonia Cyfrowa - PL"},  // no number: that code stays
        {3, "", " 10", "4*\t310-10"},                                // two digits typed: a two-digit code
        {2, "", "", "3*\t000-00"},                                   // an empty slot keeps its zero codes
        {4, "1234", "5", "5*\t999-05"},                              // longer than a code: no number
    };
    for (const auto& edit : edits) {
        editor.Edit(edit.slot, edit.mcc, edit.mnc);
        EXPECT_EQ(editor.RowText(edit.slot), edit.row) << edit.slot;
    }
    // A deleted slot shows its number only; the list never gets shorter.
    editor.Delete(0);
    EXPECT_EQ(editor.RowText(0), "1");
    editor.DeleteAll();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(editor.Slots()[1].modified, 1);
}

TEST_F(NetworkListEditorTest, ButtonsFollowTheListAndTheSelectedSlot) {
    const NetworkListEditor unread(false);
    const struct {
        const NetworkListEditor* list;
        std::optional<std::size_t> selected;
        NetworkListButtons buttons;  // write, edit, remove, remove all
    } cases[] = {
        {&editor, std::nullopt, {true, false, false, true}},
        {&editor, 0, {true, true, true, true}},
        {&editor, 2, {true, true, false, true}},  // an empty slot can be edited, not deleted
        {&editor, 8, {true, false, false, true}},
        {&unread, std::nullopt, {}},
        {&unread, 0, {}},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(test.list->Buttons(test.selected), test.buttons) << test.selected.value_or(99);
    }
}

}  // namespace
}  // namespace quillet::backup
