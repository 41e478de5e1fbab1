// Check and Repair SIM on cards whose extension chains phones left broken: what the check reports,
// that the repair keeps every number, and that a repair stopped at any command leaves no number
// changed and is finished by the next repair.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "card/CheckRepairCommand.h"
#include "support/FaultRig.h"

namespace quillet {
namespace {

using card::CheckProblem;
using card::CheckRepair;
using card::CheckSection;
using testing::DiallingRecord;
using testing::ExtensionRecord;
using testing::SessionRig;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kAdn = 0x6F3A;
constexpr std::uint16_t kFdn = 0x6F3B;
constexpr std::uint16_t kLnd = 0x6F44;
constexpr std::uint16_t kExt1 = 0x6F4A;
constexpr std::uint16_t kExt2 = 0x6F4B;
constexpr std::uint16_t kSms = 0x6F3C;
constexpr std::uint32_t kAllFiles = 0x1F;

Bytes& RecordOf(sim::SimProfile& card, std::uint16_t ef, std::size_t number) {
    return card.FindFile(kTelecom, ef)->records.at(number - 1);
}

// The demo card (EXT1 1 is the Bank Hotline's, 2 and 3 the Conference's, EXT2 1 the Office PBX's)
// with the faults phones leave behind.
sim::SimProfile BrokenCard() {
    sim::SimProfile card = sim::BuildDemoSimProfile();
    RecordOf(card, kAdn, 7) = DiallingRecord("Dangling", "46812345678", 0x20);           // beyond EXT1's 10 records
    RecordOf(card, kAdn, 8) = DiallingRecord("Free Marked", "12345678901234567890", 5);  // EXT1 5 is free ...
    RecordOf(card, kExt1, 5) = ExtensionRecord("999", 0xFF);
    RecordOf(card, kExt1, 5)[0] = 0xFF;                                              // ... though it holds digits
    RecordOf(card, kAdn, 9) = DiallingRecord("Sharer", "22421849300000000000", 1);   // the Bank Hotline's chain
    RecordOf(card, kAdn, 10) = DiallingRecord("Looper", "49891234567000000000", 6);  // 6 -> 7 -> 6
    RecordOf(card, kExt1, 6) = ExtensionRecord("1111", 7);
    RecordOf(card, kExt1, 7) = ExtensionRecord("2222", 6);
    RecordOf(card, kExt1, 8) = ExtensionRecord("555", 0xFF);  // named by nobody
    RecordOf(card, kAdn, 11) = DiallingRecord("Odd Length", "224193111", 0xFF);
    RecordOf(card, kAdn, 11)[16] = 0x0E;                                  // more bytes than the record has
    RecordOf(card, kFdn, 1) = DiallingRecord("Home", "420224123456", 4);  // EXT2 4 is free
    RecordOf(card, kLnd, 2) = DiallingRecord("Redial", "603987654", 9);   // EXT1 9 is free
    Bytes report(176, 0xFF);                                              // a status report
    report[0] = 0x01;
    report[1] = 0x00;
    report[2] = 0x02;
    RecordOf(card, kSms, 8) = report;
    return card;
}

testing::CardNumbers Numbers(SessionRig& rig) { return testing::ReadNumbers(rig, {kAdn, kFdn, kLnd}); }
std::vector<card::CheckFinding> Findings(SessionRig& rig) { return testing::CheckFindings(rig); }

bool AnyErrors(const std::vector<card::CheckFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const card::CheckFinding& finding) { return finding.repair != CheckRepair::None; });
}

struct CheckRun {
    bool done = false;
    std::string brief;
    std::string detailed;
    bool errorsFound = false;
    bool needsPin2 = false;
};

CheckRun RunCheck(SessionRig& rig, bool repair, bool pin2) {
    CheckRun run;
    if (!rig.session->BeginSession(true, pin2, true) || !rig.session->LoadCardFiles(kAllFiles, 0)) return run;
    run.done = card::CheckCard(*rig.session, run.brief, run.detailed, run.errorsFound, run.needsPin2, repair);
    return run;
}

TEST(CardCheck, ReportsEveryBrokenLinkAndTheRepairKeepsEveryNumber) {
    SessionRig rig(BrokenCard(), {"1234"});
    const auto before = Numbers(rig);
    rig.session = std::make_unique<card::CardSession>(rig);
    rig.ui.pins = {"1234"};
    const CheckRun check = RunCheck(rig, false, false);
    ASSERT_TRUE(check.done) << rig.session->FormatLastError();
    EXPECT_TRUE(check.errorsFound);
    EXPECT_TRUE(check.needsPin2);  // the fixed dialling record's link
    EXPECT_EQ(check.brief,
              "Serial Number: 8942001200112233440\r\n"
              "Dialing Numbers:\r\n"
              "    Link to invalid extension: 1 ->Remove Link to Extension\r\n"
              "    Link to empty extension: 1 ->Remove Link to Extension\r\n"
              "    Extension used by another item: 1 ->Repaired\r\n"
              "    Extension chain loops back: 1 ->Repaired\r\n"
              "    Unsupported number format: 1\r\n"
              "Fixed Dialing Numbers:\r\n"
              "    Link to empty extension: 1 ->Remove Link to Extension\r\n"
              "Last Numbers Dialed:\r\n"
              "    Link to empty extension: 1\r\n"
              "Other Links: OK\r\n"
              "SMS:\r\n"
              "    Unsupported message type: 1\r\n"
              "Extension 1:\r\n"
              "    Lost extension: 1 ->Remove Item\r\n"
              "Extension 2: OK\r\n");
    EXPECT_EQ(check.detailed,
              "Serial Number: 8942001200112233440\r\n"
              "Dialing Numbers:\r\n"
              "    #7 \"Dangling\": Link to invalid extension ->Remove Link to Extension\r\n"
              "    #8 \"Free Marked\": Link to empty extension ->Remove Link to Extension\r\n"
              "    #9 \"Sharer\": Extension used by another item ->Repaired\r\n"
              "    #10 \"Looper\": Extension chain loops back ->Repaired\r\n"
              "    #11 \"Odd Length\": Unsupported number format\r\n"
              "Fixed Dialing Numbers:\r\n"
              "    #1 \"Home\": Link to empty extension ->Remove Link to Extension\r\n"
              "Last Numbers Dialed:\r\n"
              "    #2 \"Redial\": Link to empty extension\r\n"
              "Other Links: OK\r\n"
              "SMS:\r\n"
              "    #8: Unsupported message type\r\n"
              "Extension 1:\r\n"
              "    #8: Lost extension ->Remove Item\r\n"
              "Extension 2: OK\r\n");
    rig.session->EndSession();

    rig.ClearLog();
    rig.ui.pins = {"5678"};
    const CheckRun repair = RunCheck(rig, true, true);
    ASSERT_TRUE(repair.done) << rig.session->FormatLastError();
    rig.session->EndSession();
    // The last numbers dialled are never rewritten: the card only lets a phone rotate them.
    const std::vector<std::uint16_t> updated = rig.UpdatedFiles();
    EXPECT_EQ(std::count(updated.begin(), updated.end(), kLnd), 0);
    EXPECT_EQ(std::count(updated.begin(), updated.end(), kExt2), 0);

    // Only what the repair may not touch is left, and every number reads as it did.
    std::vector<std::pair<CheckSection, CheckProblem>> left;
    for (const card::CheckFinding& finding : Findings(rig)) {
        EXPECT_EQ(finding.repair, CheckRepair::None);
        left.emplace_back(finding.section, finding.problem);
    }
    EXPECT_EQ(left, (std::vector<std::pair<CheckSection, CheckProblem>>{
                        {CheckSection::PhoneBook, CheckProblem::UnsupportedNumber},
                        {CheckSection::LastDialled, CheckProblem::EmptyLink},
                        {CheckSection::Sms, CheckProblem::UnsupportedMessage}}));
    EXPECT_EQ(Numbers(rig), before);
    const sim::SimProfile& card = rig.Card().Profile();
    EXPECT_EQ(card.FindFile(kTelecom, kExt1)->records.at(7), Bytes(13, 0xFF));  // the lost record freed
    EXPECT_EQ(card.FindFile(kTelecom, kAdn)->records.at(8).back(), 4);          // the sharer's own copy
    EXPECT_EQ(card.FindFile(kTelecom, kExt1)->records.at(3), card.FindFile(kTelecom, kExt1)->records.at(0));
}

TEST(CardCheck, ASharedChainWithoutFreeRecordsCostsTheLaterRecordItsDigitsAndTheReportNamesThem) {
    sim::SimProfile card = sim::BuildDemoSimProfile();
    RecordOf(card, kAdn, 9) = DiallingRecord("Sharer", "22421849300000000000", 1);
    // Every other EXT1 record in use by a long own number.
    auto& msisdn = card.FindFile(kTelecom, 0x6F40)->records;
    msisdn.at(1) = DiallingRecord("Long", "11111111111111111111", 4);
    for (std::uint8_t e = 4; e <= 10; ++e) RecordOf(card, kExt1, e) = ExtensionRecord("12", e < 10 ? e + 1 : 0xFF);
    SessionRig rig(card, {"1234"});
    const auto before = Numbers(rig);
    const std::string bankDigits = before.at({kAdn, 2}).substr(20);

    rig.session = std::make_unique<card::CardSession>(rig);
    rig.ui.pins = {"1234"};
    const CheckRun repair = RunCheck(rig, true, false);
    ASSERT_TRUE(repair.done) << rig.session->FormatLastError();
    EXPECT_FALSE(repair.needsPin2);
    EXPECT_NE(repair.detailed.find("    #9 \"Sharer\": Extension used by another item ->Remove Link to Extension "
                                   "(Digits lost: " +
                                   bankDigits + ")\r\n"),
              std::string::npos)
        << repair.detailed;
    rig.session->EndSession();

    EXPECT_FALSE(AnyErrors(Findings(rig)));
    auto after = Numbers(rig);
    EXPECT_EQ(after.at({kAdn, 9}), "22421849300000000000");
    after[{kAdn, 9}] += bankDigits;  // the only number that changed, by the digits the report names
    EXPECT_EQ(after, before);
}

// The command's flow beyond what the window shows (the dialog tests cover Close and the reports): a
// repair asks PIN2 when the fixed dialling numbers need it, and a card that cannot be read ends in the
// error text without a report.
TEST(CardCheck, TheCommandRepairsWithPin2AndReportsAnUnreadableCard) {
    SessionRig rig(BrokenCard(), {"1234", "5678"});
    EXPECT_TRUE(card::CheckAndRepairCard(*rig.session, nullptr, [](const card::CheckReports& reports) {
        EXPECT_TRUE(reports.errorsFound);
        return true;
    }));
    EXPECT_TRUE(rig.ui.messages.empty());
    ASSERT_EQ(rig.ui.prompts.size(), 2u);
    EXPECT_EQ(rig.ui.prompts.back().dialogId, 172u);
    EXPECT_FALSE(AnyErrors(Findings(rig)));

    rig.readerPresent = false;
    rig.session = std::make_unique<card::CardSession>(rig);
    bool asked = false;
    EXPECT_FALSE(
        card::CheckAndRepairCard(*rig.session, nullptr, [&](const card::CheckReports&) { return asked = true; }));
    EXPECT_FALSE(asked);
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_EQ(rig.ui.messages[0].first.rfind("Communication error:", 0), 0u);
}

}  // namespace
}  // namespace quillet
