// Reading and writing the messages of the virtual demo card: nothing lost, only changes written.
#include <gtest/gtest.h>

#include "sim/DemoCard.h"
#include "sms/SmsRecordCodec.h"
#include "sms/SmsTransfer.h"
#include "support/SessionRig.h"

namespace quillet::sms {
namespace {

using testing::SessionRig;
namespace result = reader::result;

class SmsOnCard : public ::testing::Test {
protected:
    void SetUp() override {
        rig.ui.pins = {"1234"};
        ASSERT_TRUE(rig.session->BeginSession(true, false, true)) << rig.session->FormatLastError();
        ASSERT_TRUE(ReadSmsFile(*rig.session, entries, count)) << rig.session->FormatLastError();
        rig.ClearLog();
    }
    const std::vector<std::vector<std::uint8_t>>& CardRecords() {
        return rig.Card().Profile().FindFile(0x7F10, 0x6F3C)->records;
    }

    SessionRig rig{sim::BuildDemoSimProfile()};
    std::array<SmsEntry, 99> entries{};
    std::uint32_t count = 0;
};

TEST_F(SmsOnCard, ReadsEveryRecordOfTheFile) {
    EXPECT_EQ(count, CardRecords().size());
    std::size_t used = 0;
    for (std::size_t position = 0; position < count; ++position) used += entries[position].used != 0;
    EXPECT_GE(used, 10u);
    EXPECT_EQ(entries[98].index, 98);
    EXPECT_EQ(entries[98].used, 0u);
    // A second read of the same card sends nothing.
    ASSERT_TRUE(ReadSmsFile(*rig.session, entries, count));
    EXPECT_TRUE(rig.sent.empty());
}

TEST_F(SmsOnCard, AnUnchangedWriteKeepsEveryByteIncludingHeadersAndUcs2) {
    const auto before = CardRecords();
    SmsWriteReport report;
    ASSERT_TRUE(WriteSms(*rig.session, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(report.recordsWritten, 0u);
    EXPECT_TRUE(rig.sent.empty());
    // Moving the messages around keeps each one's own bytes.
    std::reverse(entries.begin(), entries.begin() + count);
    ASSERT_TRUE(WriteSms(*rig.session, entries, report));
    const auto after = CardRecords();
    for (std::size_t record = 0; record < count; ++record) {
        if (IsSmsRecordInUse(before[record])) {
            EXPECT_EQ(after[count - 1 - record], before[record]) << record;
        }
    }
}

TEST_F(SmsOnCard, AChangedMessageRewritesOnlyItsRecordAndReadsBackEqual) {
    const auto before = CardRecords();
    SmsEntry& message = entries[0];
    SetFieldText(message.text, "Meet at eight");
    message.modified = 1;
    SmsWriteReport report;
    ASSERT_TRUE(WriteSms(*rig.session, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(report.recordsWritten, 1u);
    const auto after = CardRecords();
    for (std::size_t record = 1; record < count; ++record) EXPECT_EQ(after[record], before[record]) << record;

    rig.session->ClearCache();
    ASSERT_TRUE(rig.session->BeginSession(true, false, true));
    std::array<SmsEntry, 99> reread{};
    ASSERT_TRUE(ReadSmsFile(*rig.session, reread, count));
    EXPECT_EQ(FieldText(reread[0].text), "Meet at eight");
    EXPECT_EQ(FieldText(reread[0].address), FieldText(entries[0].address));
    EXPECT_EQ(FieldText(reread[0].dateOrValidity), FieldText(entries[0].dateOrValidity));
    EXPECT_EQ(reread[0].status, entries[0].status);
}

TEST_F(SmsOnCard, ACancelledWriteLeavesTheWrittenMessagesMarkedAsOnTheCard) {
    for (std::size_t position = 0; position < 4; ++position) {
        SetFieldText(entries[position].text, "changed");
        entries[position].modified = 1;
    }
    rig.session->BeginProgress(nullptr, 5000, 5106);
    rig.ui.cancelAtText = "Writing Item 3 ";
    SmsWriteReport report;
    EXPECT_FALSE(WriteSms(*rig.session, entries, report));
    EXPECT_EQ(rig.session->LastResult(), result::kCancelledByUser);
    rig.session->EndProgress(true);
    EXPECT_EQ(report.recordsWritten, 2u);
    EXPECT_EQ(entries[0].modified, 0u);
    EXPECT_EQ(entries[1].modified, 0u);
    EXPECT_EQ(entries[2].modified, 1u);
}

TEST_F(SmsOnCard, MoreMessagesThanRecordsAreRefusedBeforeAnythingIsWritten) {
    const auto before = CardRecords();
    std::array<SmsEntry, 99> full{};
    for (std::size_t position = 0; position < full.size(); ++position) {
        full[position] = MakeEmptySmsEntry(static_cast<std::uint16_t>(position));
        full[position].used = 1;
        full[position].modified = 1;
        full[position].status = 3;
        SetFieldText(full[position].text, "x");
    }
    SmsWriteReport report;
    EXPECT_FALSE(WriteSms(*rig.session, full, report));
    EXPECT_EQ(rig.session->LastResult(), result::kPositionOverflow);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(CardRecords(), before);
}

}  // namespace
}  // namespace quillet::sms
