// Files within a card session: selection caching, whole-file and record transfers, file status,
// the session-level CHV changes and the progress window.
#include <gtest/gtest.h>

#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using testing::SessionRig;
namespace result = reader::result;
using Ins = std::vector<std::uint8_t>;

class SessionFiles : public ::testing::Test {
protected:
    void SetUp() override {
        rig.ui.pins = {"1234"};
        ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
        rig.ClearLog();
    }
    // Forces the status word of the n-th select from now on.
    void ForceNthSelect(int n, std::uint16_t sw) {
        auto selects = std::make_shared<int>(0);
        rig.Reader().Line().CardBehaviour().forcedStatus =
            [selects, n, sw](const sim::ApduHeader& header) -> std::optional<std::uint16_t> {
            if (header.ins == 0xA4 && ++*selects == n) return sw;
            return std::nullopt;
        };
    }

    SessionRig rig;
};

TEST_F(SessionFiles, RepeatedRecordReadsSendOnlyReadRecord) {
    std::array<std::uint8_t, 30> record{};
    for (std::uint8_t number = 1; number <= 5; ++number) {
        std::uint32_t length = record.size();
        ASSERT_TRUE(rig.session->ReadFileRecord(0x7F10, 0x6F3A, record, length, number, 4));
        EXPECT_EQ(length, 30u);
        EXPECT_EQ(record[0], number);
    }
    EXPECT_EQ(rig.Instructions(), (Ins{0xA4, 0xC0, 0xA4, 0xC0, 0xA4, 0xC0, 0xB2, 0xB2, 0xB2, 0xB2, 0xB2}));

    // Selecting a DF forgets the EF, even when the same EF is asked for next.
    DfInformation telecom{};
    ASSERT_TRUE(rig.session->SelectFile(0x7F10, 0, &telecom, nullptr));
    EXPECT_EQ(telecom.FileId(), 0x7F10);
    rig.ClearLog();
    std::uint32_t length = record.size();
    ASSERT_TRUE(rig.session->ReadFileRecord(0x7F10, 0x6F3A, record, length, 1, 4));
    EXPECT_EQ(rig.Instructions(), (Ins{0xA4, 0xC0, 0xB2}));
}

TEST_F(SessionFiles, OversizedSelectAnswersAreRefused) {
    ForceNthSelect(2, 0x9F25);  // the DF announces 37 bytes
    EXPECT_FALSE(rig.session->SelectFile(0x7F10, 0, nullptr, nullptr));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_EQ(rig.Instructions(), (Ins{0xA4, 0xC0, 0xA4}));

    ForceNthSelect(3, 0x9F13);  // the EF announces 19 bytes
    rig.ClearLog();
    EXPECT_FALSE(rig.session->SelectFile(0x7F10, 0x6F3A, nullptr, nullptr));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_EQ(rig.session->LastStatusWord(), 0x9F13);
    EXPECT_EQ(rig.Instructions(), (Ins{0xA4, 0xC0, 0xA4, 0xC0, 0xA4}));

    ForceNthSelect(1, 0x9404);
    EXPECT_FALSE(rig.session->SelectFile(0x7F20, 0x6F38, nullptr, nullptr));
    EXPECT_EQ(rig.session->LastResult(), result::kBadStatusWord);
}

TEST_F(SessionFiles, ABufferTooSmallForTheFileIsRefusedBeforeAnyCommand) {
    std::array<std::uint8_t, 10> iccid{};
    std::uint32_t length = iccid.size();
    ASSERT_TRUE(rig.session->ReadFileRecord(0x3F00, 0x2FE2, iccid, length, 1, 4));
    rig.ClearLog();
    length = 9;
    EXPECT_FALSE(rig.session->ReadFileRecord(0x3F00, 0x2FE2, iccid, length, 1, 4));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_TRUE(rig.sent.empty());

    std::array<std::uint8_t, 29> shortRecord{};
    length = shortRecord.size();
    EXPECT_FALSE(rig.session->WriteFileRecord(0x7F10, 0x6F3A, shortRecord, length, 1, 4));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
}

TEST_F(SessionFiles, AFileLargerThanOneCommandTravelsWhole) {
    std::vector<std::uint8_t> written(300);
    for (std::size_t index = 0; index < written.size(); ++index) written[index] = static_cast<std::uint8_t>(index * 7);
    std::uint32_t length = written.size();
    ASSERT_TRUE(rig.session->WriteFileRecord(0x7F20, 0x6F60, written, length, 1, 4));
    EXPECT_EQ(length, 300u);
    std::vector<std::uint8_t> read(300, 0xEE);
    length = read.size();
    ASSERT_TRUE(rig.session->ReadFileRecord(0x7F20, 0x6F60, read, length, 1, 4));
    EXPECT_EQ(read, written);
    EXPECT_EQ(rig.Card().Profile().FindFile(0x7F20, 0x6F60)->content, written);
    // DF_GSM is still selected from the service table: the EF, then 255 bytes and 45, each way.
    EXPECT_EQ(rig.Instructions(), (Ins{0xA4, 0xC0, 0xD6, 0xD6, 0xB0, 0xB0}));
    ASSERT_EQ(rig.sent.size(), 6u);
    EXPECT_EQ(rig.sent[3][3], 255);  // offset low byte of the second piece
    EXPECT_EQ(rig.sent[3][4], 45);
}

TEST_F(SessionFiles, RecordsAreWrittenAndReadBack) {
    std::vector<std::uint8_t> record(30, 0x55);
    std::uint32_t length = record.size();
    ASSERT_TRUE(rig.session->WriteFileRecord(0x7F10, 0x6F3A, record, length, 3, 4));
    std::vector<std::uint8_t> read(40, 0xEE);
    length = read.size();
    ASSERT_TRUE(rig.session->ReadFileRecord(0x7F10, 0x6F3A, read, length, 3, 4));
    EXPECT_EQ(length, 30u);
    EXPECT_EQ(std::vector<std::uint8_t>(read.begin(), read.begin() + 30), record);
    EXPECT_EQ(read[30], 0xEE);
}

TEST_F(SessionFiles, FileStatusChangesOnlyWhenNeeded) {
    // FDN is invalidated; rehabilitation needs CHV2.
    EXPECT_FALSE(rig.session->RehabilitateFile(0x7F10, 0x6F3B));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin) << std::hex << rig.session->LastStatusWord();
    rig.pin2 = SecretString("5678");
    ASSERT_TRUE(rig.session->BeginSession(true, true, true));
    ASSERT_TRUE(rig.session->RehabilitateFile(0x7F10, 0x6F3B));
    EXPECT_FALSE(rig.Card().Profile().FindFile(0x7F10, 0x6F3B)->invalidated);
    rig.ClearLog();
    ASSERT_TRUE(rig.session->RehabilitateFile(0x7F10, 0x6F3B));
    EXPECT_TRUE(rig.sent.empty());
    ASSERT_TRUE(rig.session->InvalidateFile(0x7F10, 0x6F3B));
    EXPECT_EQ(rig.Instructions(), (Ins{0x04}));
    EXPECT_TRUE(rig.Card().Profile().FindFile(0x7F10, 0x6F3B)->invalidated);
}

TEST_F(SessionFiles, ChangingPin1OnACardWithPin1OffSwitchesItOnFirst) {
    sim::SimProfile profile = testing::MakeTestSimProfile();
    profile.chv1Enabled = false;
    SessionRig disabled(profile);
    ASSERT_TRUE(disabled.session->BeginSession(false, false, true));
    disabled.ClearLog();
    ASSERT_TRUE(disabled.session->ChangeOrToggleChv("1234", "4321", 1, true)) << disabled.session->FormatLastError();
    EXPECT_EQ(disabled.Instructions(), (Ins{0x28, 0x24}));
    EXPECT_TRUE(disabled.Card().Profile().chv1Enabled);
    EXPECT_EQ(disabled.Card().Profile().chv1.digits, "4321");

    // Switching off without a new code sends DISABLE only; PIN2 changes with CHANGE only.
    rig.ClearLog();
    ASSERT_TRUE(rig.session->ChangeOrToggleChv("1234", std::nullopt, 1, false));
    ASSERT_TRUE(rig.session->ChangeOrToggleChv("5678", "8765", 2, true));
    EXPECT_EQ(rig.Instructions(), (Ins{0x26, 0x24}));
    EXPECT_FALSE(rig.session->ChangeOrToggleChv("5678", "8765", 3, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_FALSE(rig.session->ChangeOrToggleChv("0000", "1111", 2, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNoValidPin);
}

TEST_F(SessionFiles, ChvChangesNeedAnIdentifiedCard) {
    rig.session->EndSession();
    EXPECT_FALSE(rig.session->ChangeOrToggleChv("1234", "4321", 1, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_FALSE(rig.session->UnblockCardChv("12345678", "1111", 1));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_TRUE(rig.sent.empty());
}

TEST_F(SessionFiles, UnblockingGivesTheChvANewCode) {
    ASSERT_TRUE(rig.session->UnblockCardChv("87654321", "2468", 2)) << rig.session->FormatLastError();
    EXPECT_EQ(rig.Card().Profile().chv2.digits, "2468");
    EXPECT_EQ(rig.sent.back()[3], 2);  // P2 of UNBLOCK CHV2
}

TEST_F(SessionFiles, TheProgressWindowIsSharedAndCanBeCancelled) {
    rig.session->BeginProgress(nullptr, 5000, 5106);
    rig.session->BeginProgress(nullptr, 0, 5106);
    EXPECT_EQ(rig.ui.progressOpened, 1);
    EXPECT_EQ(rig.ui.progressTexts, (std::vector<std::string>{"Initializing SIM Card"}));
    rig.ui.cancelAtPump = 2;
    EXPECT_TRUE(rig.session->StepProgress(5001, 10));
    EXPECT_FALSE(rig.session->StepProgress("Reading", 20));
    EXPECT_FALSE(rig.session->StepProgress("Reading", 30));  // cancelled stays cancelled
    rig.session->EndProgress(false);
    EXPECT_EQ(rig.ui.progressClosed, 0);
    rig.session->EndProgress(false);
    EXPECT_EQ(rig.ui.progressClosed, 1);
    rig.session->BeginProgress(nullptr, 5000, 5106);
    rig.session->BeginProgress(nullptr, 5000, 5106);
    rig.session->EndProgress(true);
    EXPECT_EQ(rig.ui.progressClosed, 2);
}

}  // namespace
}  // namespace quillet::card
