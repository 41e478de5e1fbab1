// Reading and writing the SMS parameters of the virtual card through the reader directly.
#include <gtest/gtest.h>

#include "sim/DemoCard.h"
#include "sms/SmsParameters.h"
#include "sms/SmsTimeValue.h"
#include "support/SessionRig.h"

namespace quillet::sms {
namespace {

using testing::SessionRig;

std::vector<std::uint8_t>& SmspRecord(SessionRig& rig, std::size_t index = 0) {
    return rig.Card().MutableProfile().FindFile(0x7F10, 0x6F42)->records.at(index);
}

TEST(SmsParameters, ReadsTheDemoCardsCentreAndValidity) {
    SessionRig rig(sim::BuildDemoSimProfile());
    rig.ui.pins = {"1234"};
    SmsParameterTexts parameters;
    ASSERT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone) << (rig.ui.messages.empty() ? "" : rig.ui.messages[0].first);
    EXPECT_EQ(parameters.centre.front(), '+');
    EXPECT_GT(parameters.centre.size(), 8u);
    EXPECT_FALSE(parameters.validity.empty());
    EXPECT_EQ(rig.pin1.View(), "1234");
    EXPECT_FALSE(rig.Reader().IsCardPowered());
}

TEST(SmsParameters, WritesTheCentreAndValidityIntoRecordOne) {
    SessionRig rig(sim::BuildDemoSimProfile());
    rig.ui.pins = {"1234"};
    ASSERT_EQ(WriteSmsParameters(rig, "+12345", "1 day"), kWorkerDone);
    const std::vector<std::uint8_t>& record = SmspRecord(rig);
    const std::size_t y = record.size() - 28;
    EXPECT_EQ(record[y] & 0x12, 0);
    EXPECT_EQ(record[y + 13], 4);
    EXPECT_EQ(record[y + 14], 0x91);
    EXPECT_EQ(record[y + 15], 0x21);
    EXPECT_EQ(record[y + 16], 0x43);
    EXPECT_EQ(record[y + 17], 0xF5);
    EXPECT_EQ(record[y + 27], 167);
    SmsParameterTexts parameters;
    ASSERT_EQ(ReadSmsParameters(rig, parameters), kWorkerDone);  // the PIN is remembered now
    EXPECT_EQ(parameters.centre, "+12345");
    EXPECT_EQ(parameters.validity, "24 hours");
    EXPECT_EQ(ValidityChoiceOf(parameters.validity, false), 1);  // shown as the choice "1 day"
}

TEST(SmsParameters, RecordsWithoutParametersAreSkipped) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& records = profile.FindFile(0x7F10, 0x6F42)->records;
    records.push_back(records[0]);
    const std::size_t y = records[0].size() - 28;
    records[0][y] |= 0x12;  // neither centre nor validity
    records[1][y] = static_cast<std::uint8_t>((records[1][y] | 0x02) & ~0x10);  // validity only
    records[1][y + 27] = 167;
    SessionRig rig(profile);
    rig.ui.pins = {"1234"};
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
