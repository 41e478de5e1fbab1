// The messages and SMS parameters of the virtual demo card: read, written back with nothing lost and
// only changes written, and the failures on the way.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "sim/DemoCard.h"
#include "sms/MessageBody.h"
#include "sms/SmsParameters.h"
#include "sms/SmsRecordCodec.h"
#include "sms/SmsTimeValue.h"
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
    std::multiset<std::uint32_t> statuses;
    for (std::size_t position = 0; position < count; ++position) {
        if (entries[position].used != 0) statuses.insert(entries[position].status);
    }
    EXPECT_GE(statuses.size(), 10u);
    for (std::uint32_t status : {0, 1, 2, 3}) EXPECT_TRUE(statuses.contains(status)) << status;
    // The demo card's first message, as its own encoder wrote it.
    EXPECT_EQ(FieldText(entries[0].serviceCentre), "420603052000");
    EXPECT_EQ(FieldText(entries[0].address), "420603123456");
    EXPECT_EQ(entries[0].centreTon + entries[0].addressTon, 2u);
    EXPECT_EQ(FieldText(entries[0].dateOrValidity), "03.12.01 14:25");
    EXPECT_EQ(MessageListText(entries[0]), "Dinner at 8?");
    EXPECT_EQ(entries[98].index, 98);
    EXPECT_EQ(entries[98].used, 0u);
    // A second read of the same card sends nothing.
    ASSERT_TRUE(ReadSmsFile(*rig.session, entries, count));
    EXPECT_TRUE(rig.sent.empty());
}

// Moved messages keep their own bytes too: the message window's tests move them.
TEST_F(SmsOnCard, AnUnchangedWriteSendsNothing) {
    SmsWriteReport report;
    ASSERT_TRUE(WriteSms(*rig.session, entries, report)) << rig.session->FormatLastError();
    EXPECT_EQ(report.recordsWritten, 0u);
    EXPECT_TRUE(rig.sent.empty());
}

TEST_F(SmsOnCard, AChangedMessageRewritesOnlyItsRecordAndReadsBackEqual) {
    const auto before = CardRecords();
    SmsEntry& message = entries[0];
    SetMessageText(message, U"Meet at eight");
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
    EXPECT_EQ(MessageListText(reread[0]), "Meet at eight");
    EXPECT_EQ(FieldText(reread[0].address), FieldText(entries[0].address));
    EXPECT_EQ(FieldText(reread[0].dateOrValidity), FieldText(entries[0].dateOrValidity));
    EXPECT_EQ(reread[0].status, entries[0].status);
}

TEST_F(SmsOnCard, ACancelledWriteLeavesTheWrittenMessagesMarkedAsOnTheCard) {
    for (std::size_t position = 0; position < 4; ++position) {
        SetMessageText(entries[position], U"changed");
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
        SetMessageText(full[position], U"x");
    }
    SmsWriteReport report;
    EXPECT_FALSE(WriteSms(*rig.session, full, report));
    EXPECT_EQ(rig.session->LastResult(), result::kPositionOverflow);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(CardRecords(), before);
}

// The longest addresses and an absolute validity leave 139 octets of a record: 159 septets (140
// octets) are a whole message that no record holds.
TEST_F(SmsOnCard, ATextTooLongForItsRecordIsRefusedBeforeAnythingIsWritten) {
    const auto before = CardRecords();
    SmsEntry& message = entries[2];
    SetFieldText(message.serviceCentre, std::string(20, '1'));
    SetFieldText(message.address, std::string(20, '2'));
    SetFieldText(message.dateOrValidity, "1.1.30 0:00");
    ASSERT_TRUE(SetMessageText(message, std::u32string(159, U'q')));
    message.modified = 1;
    const std::array<SmsEntry, 99> planned = entries;
    SmsWriteReport report;
    EXPECT_FALSE(WriteSms(*rig.session, entries, report));
    EXPECT_EQ(rig.session->LastResult(), result::kTextTooLong);
    EXPECT_EQ(report.firstTooLong, 3u);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(CardRecords(), before);
    EXPECT_EQ(std::memcmp(entries.data(), planned.data(), sizeof(entries)), 0);
}

TEST(SmsParameters, ReadsTheDemoCardsAndWritesRecordOne) {
    SessionRig rig(sim::BuildDemoSimProfile(), {"1234"});
    SmsParameterTexts parameters;
    ASSERT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone)
        << (rig.ui.messages.empty() ? "" : rig.ui.messages[0].first);
    EXPECT_EQ(parameters.centre, "+420603052000");
    EXPECT_EQ(parameters.validity, "24 hours");
    EXPECT_EQ(rig.pin1.View(), "1234");
    EXPECT_FALSE(rig.Reader().IsCardPowered());

    ASSERT_EQ(WriteSmsParameters(rig, "+12345", "7 days"), kWorkerDone);  // the PIN is remembered now
    EXPECT_EQ(rig.ui.prompts.size(), 1u);
    const std::vector<std::uint8_t>& record = rig.Card().Profile().FindFile(0x7F10, 0x6F42)->records.at(0);
    const std::size_t y = record.size() - 28;
    EXPECT_EQ(record[y] & 0x12, 0);  // centre and validity present
    EXPECT_EQ(std::vector(record.begin() + y + 13, record.begin() + y + 18),
              (std::vector<std::uint8_t>{4, 0x91, 0x21, 0x43, 0xF5}));  // +12345
    EXPECT_EQ(record[y + 27], 173);                                     // 7 days
    ASSERT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone);
    EXPECT_EQ(parameters.centre, "+12345");
    EXPECT_EQ(parameters.validity, "7 days");
}

TEST(SmsParameters, RecordsWithoutParametersAreSkipped) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& records = profile.FindFile(0x7F10, 0x6F42)->records;
    records.push_back(records[0]);
    const std::size_t y = records[0].size() - 28;
    records[0][y] |= 0x12;                                                      // neither centre nor validity
    records[1][y] = static_cast<std::uint8_t>((records[1][y] | 0x02) & ~0x10);  // validity only
    records[1][y + 27] = 167;
    SessionRig rig(profile, {"1234"});
    SmsParameterTexts parameters;
    ASSERT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone);
    EXPECT_EQ(parameters.centre, "");
    EXPECT_EQ(ValidityChoiceOf(parameters.validity, false), 1);
}

TEST(SmsParameters, FailuresAreReportedAndARefusedRememberedPinIsAskedAgain) {
    SessionRig rig(sim::BuildDemoSimProfile());
    rig.readerPresent = false;
    SmsParameterTexts parameters;
    EXPECT_EQ(ReadSmsParameters(rig, parameters), kWorkerFailed);
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_EQ(rig.ui.messages[0].first, "No smartcard reader connected!");

    rig.readerPresent = true;
    rig.ui.messages.clear();
    // Remember the PIN for this card first, then let it go stale.
    rig.ui.pins = {"1234"};
    ASSERT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone);
    rig.pin1 = card::SecretString("9999");
    rig.ui.pins = {"1234"};
    EXPECT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone);
    EXPECT_EQ(rig.ui.prompts.size(), 2u);
    EXPECT_TRUE(rig.ui.messages.empty());

    rig.pin1.Clear();
    rig.ui.pins = {"0000"};
    EXPECT_EQ(WriteSmsParameters(rig, "+1", "1 day"), kWorkerFailed);
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_EQ(rig.ui.messages[0].first, "Error during card reader operation:\r\nNo valid PIN entered");
    rig.ui.pins = {std::nullopt};
    EXPECT_EQ(WriteSmsParameters(rig, "+1", "1 day"), kWorkerFailed);  // cancelled: no message
    EXPECT_EQ(rig.ui.messages.size(), 1u);
}

}  // namespace
}  // namespace quillet::sms
