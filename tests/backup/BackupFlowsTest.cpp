// Backing a card up to a *.SIM file and restoring it onto another card: what arrives on the
// second card, what is refused before anything is written, and which PINs are asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "backup/BackupFlows.h"
#include "resources/StringTable.h"
#include "sim/CardEncoding.h"
#include "sim/DemoCard.h"
#include "sms/MessageBody.h"
#include "sms/SmsRecordCodec.h"
#include "support/SessionRig.h"

namespace quillet::backup {
namespace {

using testing::SessionRig;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kGsm = 0x7F20;
constexpr std::uint16_t kAdn = 0x6F3A;
constexpr std::uint16_t kFdn = 0x6F3B;
constexpr std::uint16_t kSms = 0x6F3C;
constexpr std::uint16_t kSmsp = 0x6F42;
constexpr std::uint16_t kPlmnSel = 0x6F30;
constexpr std::uint16_t kFplmn = 0x6F7B;
constexpr std::uint32_t kRestoreDone = 57430;
constexpr std::uint32_t kRestoreIncomplete = 57429;

// The demo card with its phone books, extension records, messages and network lists erased.
sim::SimProfile BlankCardProfile() {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    for (std::uint16_t ef : {kAdn, kFdn, std::uint16_t{0x6F4A}, std::uint16_t{0x6F4B}}) {
        for (auto& record : profile.FindFile(kTelecom, ef)->records) std::fill(record.begin(), record.end(), 0xFF);
    }
    for (auto& record : profile.FindFile(kTelecom, kSms)->records) {
        std::fill(record.begin(), record.end(), 0xFF);
        record[0] = 0x00;
    }
    for (std::uint16_t ef : {kPlmnSel, kFplmn}) {
        auto& content = profile.FindFile(kGsm, ef)->content;
        std::fill(content.begin(), content.end(), 0xFF);
    }
    return profile;
}

// The demo card with fewer (or more) records in a record file or slots in a network list.
sim::SimProfile Resized(sim::SimProfile profile, std::uint16_t ef, std::size_t size) {
    if (ef == kPlmnSel || ef == kFplmn) {
        profile.FindFile(kGsm, ef)->content.resize(3 * size, 0xFF);
    } else {
        sim::SimElementaryFile& file = *profile.FindFile(kTelecom, ef);
        Bytes empty(file.recordLength, 0xFF);
        if (ef == kSms) empty[0] = 0x00;
        file.records.resize(size, empty);
    }
    return profile;
}

const std::string& LastMessage(const SessionRig& rig) {
    static const std::string none = "(no message)";
    return rig.ui.messages.empty() ? none : rig.ui.messages.back().first;
}

bool LastMessageIs(const SessionRig& rig, std::uint32_t id) { return LastMessage(rig) == resources::LoadString(id); }

std::size_t Writes(const SessionRig& rig) {
    const auto& instructions = rig.Instructions();
    return static_cast<std::size_t>(std::count(instructions.begin(), instructions.end(), 0xDC) +
                                    std::count(instructions.begin(), instructions.end(), 0xD6));
}

const sim::SimElementaryFile& File(SessionRig& rig, std::uint16_t ef) {
    const bool network = ef == kPlmnSel || ef == kFplmn;
    return *rig.Card().Profile().FindFile(network ? kGsm : kTelecom, ef);
}

PlmnEntry Network(std::uint32_t mcc, std::uint32_t mnc) { return PlmnEntry{1, 0, 0, mcc, mnc}; }

// Backs a card up to a file and reads the file back, as a restore gets it.
std::unique_ptr<SimBackup> BackupOf(const sim::SimProfile& profile, const std::string& path) {
    SessionRig source(profile, {"1234"});
    EXPECT_EQ(BackupCard(*source.session, path), BackupOutcome::Done) << LastMessage(source);
    auto backup = std::make_unique<SimBackup>();
    EXPECT_TRUE(OpenBackup(path, *backup, source.ui)) << LastMessage(source);
    return backup;
}

class BackupAndRestore : public ::testing::Test {
protected:
    void SetUp() override {
        source.ui.pins = {"1234"};
        ASSERT_EQ(BackupCard(*source.session, path), BackupOutcome::Done) << LastMessage(source);
        ASSERT_TRUE(LastMessageIs(source, 57424));
        ASSERT_TRUE(OpenBackup(path, *backup, target.ui));
    }

    testing::TemporaryFolder folder;
    std::string path = folder.File("card.sim");
    SessionRig source{sim::BuildDemoSimProfile()};
    SessionRig target{BlankCardProfile()};
    std::unique_ptr<SimBackup> backup = std::make_unique<SimBackup>();
};

TEST_F(BackupAndRestore, TheSecondCardReceivesEveryPartOfTheFirst) {
    EXPECT_EQ(backup->phoneBookCount, File(source, kAdn).records.size());
    EXPECT_GT(backup->messageCount, 0u);
    target.ui.pins = {"1234", "5678"};
    ASSERT_TRUE(RestoreToCard(*target.session, *backup, RestoreChoice{})) << LastMessage(target);
    // The demo card's message to send cannot keep its reference on a card that did not have it.
    EXPECT_EQ(LastMessage(target),
              std::string(resources::LoadString(kRestoreDone)) + "\n1 messages to send got message reference 0.");

    // What the second card holds backs up to the same file as the first.
    const std::string second = folder.File("second.sim");
    target.ui.pins = {"1234"};
    ASSERT_EQ(BackupCard(*target.session, second), BackupOutcome::Done);
    auto again = std::make_unique<SimBackup>();
    ASSERT_TRUE(OpenBackup(second, *again, target.ui));
    EXPECT_EQ(EncodeSimBackup(*again), EncodeSimBackup(*backup));

    // Phone books (names with '@' and UCS2 text among them), their extension records, the SMS
    // parameters and the network lists arrive byte for byte.
    for (std::uint16_t ef : {kAdn, kFdn, std::uint16_t{0x6F4A}, std::uint16_t{0x6F4B}, kSmsp}) {
        EXPECT_EQ(File(target, ef).records, File(source, ef).records) << std::hex << ef;
    }
    for (std::uint16_t ef : {kPlmnSel, kFplmn}) EXPECT_EQ(File(target, ef).content, File(source, ef).content);
    // Messages arrive as the fields the file keeps: a received one loses the seconds and zone of its
    // time stamp (bytes 25 and 26), a sent one its reference, and the parts of a long message the
    // header that joins them, so they are coded anew. Shown as "record: offsets that differ".
    const auto& sent = File(source, kSms).records;
    const auto& arrived = File(target, kSms).records;
    std::vector<std::string> lost;
    for (std::size_t record = 0; record < sent.size(); ++record) {
        std::string offsets;
        std::size_t count = 0;
        for (std::size_t at = 0; at < sent[record].size(); ++at) {
            if (sent[record][at] != arrived[record][at]) offsets += ' ' + std::to_string(at), ++count;
        }
        if (count > 0) lost.push_back(std::to_string(record + 1) + ':' + (count > 4 ? " re-coded" : offsets));
    }
    EXPECT_EQ(lost, (std::vector<std::string>{"1: 25 26", "2: 25 26", "3: 10", "5: re-coded", "6: re-coded", "7: 25 26",
                                              "9: 22", "10: 10", "11: 25 26", "13: 25 26"}));
    // Long numbers continue in extension records of the second card as well.
    const auto& extensions = File(target, 0x6F4A).records;
    EXPECT_TRUE(
        std::any_of(extensions.begin(), extensions.end(), [](const auto& record) { return record[0] == 0x02; }));
}

TEST_F(BackupAndRestore, AnUnchosenPartIsLeftAloneAndNoFixedDialingMeansNoPin2) {
    target.ui.pins = {"1234"};
    RestoreChoice choice;
    choice.fixedDialing = false;
    choice.networks = false;
    ASSERT_TRUE(RestoreToCard(*target.session, *backup, choice)) << LastMessage(target);
    EXPECT_EQ(target.ui.prompts.size(), 1u);  // PIN1 only
    EXPECT_NE(File(target, kAdn).records, BlankCardProfile().FindFile(kTelecom, kAdn)->records);
    EXPECT_EQ(File(target, kFdn).records, BlankCardProfile().FindFile(kTelecom, kFdn)->records);
    EXPECT_EQ(File(target, kPlmnSel).content, BlankCardProfile().FindFile(kGsm, kPlmnSel)->content);
}

// The demo backup holds 103 phone book entries in 120 positions, 4 fixed dialling numbers in 10,
// 11 messages in 20, 5 preferred networks in 12 slots and 2 forbidden ones in 4.
TEST_F(BackupAndRestore, APartThatDoesNotFitTheCardIsRefusedWithItsCountsBeforeAnyUpdate) {
    const struct {
        std::vector<std::pair<std::uint16_t, std::size_t>> sizes;
        std::string message;
    } cases[] = {
        {{{kAdn, 102}}, "The backup holds 103 phone book entries, the card has room for 102."},
        {{{kFdn, 3}}, "The backup holds 4 fixed dialing numbers, the card has room for 3."},
        {{{kSms, 10}}, "The backup holds 11 SMS messages, the card has room for 10."},
        {{{kPlmnSel, 4}}, "The backup holds 5 preferred networks, the card has room for 4."},
        {{{kSms, 8}, {kFplmn, 1}},
         "The backup holds 11 SMS messages, the card has room for 8.\n"
         "The backup holds 2 forbidden networks, the card has room for 1."},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.message);
        sim::SimProfile small = sim::BuildDemoSimProfile();
        for (const auto& [ef, size] : test.sizes) small = Resized(small, ef, size);
        SessionRig card(small, {"1234", "5678"});
        EXPECT_FALSE(RestoreToCard(*card.session, *backup, RestoreChoice{}));
        EXPECT_EQ(LastMessage(card), test.message + "\nRestore not completed!");
        EXPECT_EQ(card.ui.messages.size(), 1u);
        EXPECT_EQ(card.Card().Profile(), small);
        EXPECT_EQ(Writes(card), 0u);
        EXPECT_EQ(card.ui.prompts.size(), 1u);  // PIN2 is not asked for a restore that is refused
    }
}

TEST_F(BackupAndRestore, ASmallerCardTakesTheUsedEntriesAndNothingOfItsOwnStays) {
    // Five entries, three of them beyond the 50 records of the card; the card is full of others.
    const std::size_t kept[] = {0, 10, 60, 90, 119};
    for (std::size_t position = 0; position < kBackupPhoneBookPositions; ++position) {
        if (std::find(std::begin(kept), std::end(kept), position) == std::end(kept)) {
            backup->phoneBook[position].used = 0;
        }
    }
    const sim::SimProfile small = Resized(Resized(sim::BuildDemoSimProfile(), kAdn, 50), kSms, 12);
    SessionRig card(small, {"1234"});
    RestoreChoice choice{true, false, true, false, false};
    ASSERT_TRUE(RestoreToCard(*card.session, *backup, choice)) << LastMessage(card);
    // The user learns that entries went to other records than their positions.
    EXPECT_EQ(LastMessage(card), std::string(resources::LoadString(kRestoreDone)) +
                                     "\n3 phone book entries were written to free records of the card." +
                                     "\n1 SMS messages were written to free records of the card.");

    // Positions in the card's range keep their records; the others fill the first free ones.
    const auto& records = File(card, kAdn).records;
    const auto& demo = File(source, kAdn).records;
    const std::pair<std::size_t, std::size_t> placed[] = {{1, 1}, {2, 61}, {3, 91}, {4, 120}, {11, 11}};
    for (std::size_t number = 1; number <= records.size(); ++number) {
        const auto found =
            std::find_if(std::begin(placed), std::end(placed), [&](const auto& pair) { return pair.first == number; });
        if (found != std::end(placed)) {
            EXPECT_EQ(records[number - 1], demo[found->second - 1]) << number;
        } else {
            EXPECT_EQ(records[number - 1], Bytes(records[number - 1].size(), 0xFF)) << number;
        }
    }
    // Eleven messages in twelve records: the thirteenth goes to the eighth record, which was free.
    const auto& messages = File(card, kSms).records;
    for (std::size_t position = 0; position < messages.size(); ++position) {
        const sms::SmsEntry entry = sms::DecodeSmsRecord(messages[position], static_cast<std::uint16_t>(position));
        const sms::SmsEntry& expected = backup->messages[position == 7 ? 12 : position];
        EXPECT_EQ(entry.used, expected.used) << position;
        EXPECT_EQ(sms::MessageText(entry), sms::MessageText(expected)) << position;
    }
}

// The demo card, and one with the largest phone book a card can link extension records from, its
// last records holding entries beyond the 250 positions a backup can describe: those stay.
sim::SimProfile LargestPhoneBook() {
    sim::SimProfile profile = Resized(sim::BuildDemoSimProfile(), kAdn, 254);
    auto& records = profile.FindFile(kTelecom, kAdn)->records;
    std::copy(records.begin() + 6, records.begin() + 10, records.begin() + 250);  // no extension records
    return profile;
}

TEST(Restore, ABiggerCardKeepsNoneOfItsOwnEntriesBeyondTheBackup) {
    testing::TemporaryFolder folder;
    const auto backup =
        BackupOf(Resized(Resized(sim::BuildDemoSimProfile(), kAdn, 50), kSms, 12), folder.File("small.sim"));
    ASSERT_EQ(backup->phoneBookCount, 50u);
    for (const sim::SimProfile& bigger : {sim::BuildDemoSimProfile(), LargestPhoneBook()}) {
        SessionRig card(bigger, {"1234", "5678"});
        ASSERT_TRUE(RestoreToCard(*card.session, *backup, RestoreChoice{})) << LastMessage(card);

        const auto& records = File(card, kAdn).records;
        const auto& old = bigger.FindFile(kTelecom, kAdn)->records;
        SCOPED_TRACE(old.size());
        for (std::size_t number = 1; number <= records.size(); ++number) {
            const bool kept = number <= 50 || number > kBackupPhoneBookPositions;
            EXPECT_EQ(records[number - 1], kept ? old[number - 1] : Bytes(old[number - 1].size(), 0xFF)) << number;
        }
        // The card's thirteenth message is not in the backup.
        const auto& messages = File(card, kSms).records;
        for (std::size_t number = 1; number <= messages.size(); ++number) {
            EXPECT_EQ(sms::IsSmsRecordInUse(messages[number - 1]),
                      number <= 12 && sms::IsSmsRecordInUse(bigger.FindFile(kTelecom, kSms)->records[number - 1]))
                << number;
        }
    }
}

TEST(Restore, ASectionTheFileDidNotHoldLeavesThatPartOfTheCardAlone) {
    // The blank card's backup written over the demo card would empty every part of it.
    testing::TemporaryFolder folder;
    const auto blank = BackupOf(BlankCardProfile(), folder.File("blank.sim"));
    sms::SetFieldText(blank->smsParameters.centre, "+420111222333");
    const struct {
        bool BackupSections::*section;
        std::vector<std::uint16_t> files;
    } cases[] = {
        {&BackupSections::phoneBook, {kAdn}},
        {&BackupSections::fixedDialing, {kFdn}},
        {&BackupSections::messages, {kSms}},
        {&BackupSections::smsParameters, {kSmsp}},
        {&BackupSections::preferredNetworks, {kPlmnSel}},
        {&BackupSections::forbiddenNetworks, {kFplmn}},
    };
    const std::uint16_t all[] = {kAdn, kFdn, kSms, kSmsp, kPlmnSel, kFplmn};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.files.front());
        auto backup = std::make_unique<SimBackup>(*blank);
        backup->present.*test.section = false;
        SessionRig card(sim::BuildDemoSimProfile(), {"1234", "5678"});
        const sim::SimProfile before = card.Card().Profile();
        ASSERT_TRUE(RestoreToCard(*card.session, *backup, RestoreChoice{})) << LastMessage(card);
        for (const std::uint16_t ef : all) {
            const bool missing = std::find(test.files.begin(), test.files.end(), ef) != test.files.end();
            const bool network = ef == kPlmnSel || ef == kFplmn;
            const sim::SimElementaryFile& old = *before.FindFile(network ? kGsm : kTelecom, ef);
            EXPECT_EQ(File(card, ef) == old, missing) << std::hex << ef;
        }
        // Without the fixed dialling numbers PIN2 is not needed.
        EXPECT_EQ(card.ui.prompts.size(), test.section == &BackupSections::fixedDialing ? 1u : 2u);
        if (test.section == &BackupSections::fixedDialing) {
            for (std::uint16_t ef : card.UpdatedFiles()) EXPECT_NE(ef, kFdn);
        }
    }
}

TEST_F(BackupAndRestore, NetworkListsLongerThanTheCardAreCompactedWhenTheirNetworksFit) {
    backup->preferredNetworks = {Network(232, 1), PlmnEntry{},     Network(262, 1), PlmnEntry{},
                                 PlmnEntry{},     Network(231, 1), PlmnEntry{},     Network(260, 2)};
    backup->forbiddenNetworks = {PlmnEntry{}, Network(230, 2)};
    const sim::SimProfile small = Resized(Resized(BlankCardProfile(), kPlmnSel, 4), kFplmn, 3);
    SessionRig card(small, {"1234"});
    ASSERT_TRUE(RestoreToCard(*card.session, *backup, RestoreChoice{false, false, false, false, true}))
        << LastMessage(card);
    EXPECT_EQ(File(card, kPlmnSel).content,
              (Bytes{0x32, 0xF2, 0x10, 0x62, 0xF2, 0x10, 0x32, 0xF1, 0x10, 0x62, 0xF0, 0x20}));
    // A list that fits keeps its slots where they are.
    EXPECT_EQ(File(card, kFplmn).content, (Bytes{0xFF, 0xFF, 0xFF, 0x32, 0xF0, 0x20, 0xFF, 0xFF, 0xFF}));

    backup->preferredNetworks.push_back(Network(228, 1));
    SessionRig full(small, {"1234"});
    EXPECT_FALSE(RestoreToCard(*full.session, *backup, RestoreChoice{false, false, false, false, true}));
    EXPECT_EQ(LastMessage(full),
              "The backup holds 5 preferred networks, the card has room for 4.\nRestore not completed!");
    EXPECT_EQ(full.Card().Profile(), small);
}

// The card's message to send (its fourth record) carries a reference the backup cannot keep.
sim::SimProfile WithReference(sim::SimProfile profile, std::uint8_t reference) {
    Bytes& record = profile.FindFile(kTelecom, kSms)->records[3];
    record[3 + record[1]] = reference;  // after the status, the centre and the first octet
    return profile;
}

TEST_F(BackupAndRestore, MessagesToSendKeepTheirReferenceWhenUnchanged) {
    const sim::SimProfile demo = WithReference(sim::BuildDemoSimProfile(), 0x77);
    ASSERT_EQ(sms::DecodeSmsRecord(demo.FindFile(kTelecom, kSms)->records[3], 3).messageRef, 0x77u);
    ASSERT_EQ(backup->messages[3].status, sms::kStatusToSend);
    SessionRig card(demo, {"1234"});
    const RestoreChoice messagesOnly{false, false, true, false, false};
    ASSERT_TRUE(RestoreToCard(*card.session, *backup, messagesOnly)) << LastMessage(card);
    EXPECT_TRUE(LastMessageIs(card, kRestoreDone));
    // Every message was the card's own: no record changed, none was written.
    EXPECT_EQ(card.Card().Profile(), demo);
    EXPECT_EQ(card.UpdatedFiles(), std::vector<std::uint16_t>{});

    // A changed message to send is new to the card, and the message says what it lost.
    ASSERT_TRUE(sms::SetMessageText(backup->messages[3], U"Don't forget the tickets!"));
    card.ClearLog();
    ASSERT_TRUE(RestoreToCard(*card.session, *backup, messagesOnly)) << LastMessage(card);
    EXPECT_EQ(LastMessage(card),
              std::string(resources::LoadString(kRestoreDone)) + "\n1 messages to send got message reference 0.");
    const sms::SmsEntry written = sms::DecodeSmsRecord(File(card, kSms).records[3], 3);
    EXPECT_EQ(sms::MessageListText(written), "Don't forget the tickets!");
    EXPECT_EQ(written.messageRef, 0u);
    EXPECT_EQ(card.UpdatedFiles(), std::vector<std::uint16_t>{kSms});
}

TEST(Restore, AThreeDigitNetworkCodeBelow100SurvivesBackupAndRestore) {
    sim::SimProfile demo = sim::BuildDemoSimProfile();
    Bytes& preferred = demo.FindFile(kGsm, kPlmnSel)->content;
    const auto slot010 = sim::EncodePlmn(310, 10, 3);
    const auto slot150 = sim::EncodePlmn(310, 150, 3);
    ASSERT_EQ(Bytes(slot010.begin(), slot010.end()), (Bytes{0x13, 0x00, 0x10}));
    std::copy(slot010.begin(), slot010.end(), preferred.begin() + 15);
    std::copy(slot150.begin(), slot150.end(), preferred.begin() + 18);
    testing::TemporaryFolder folder;
    const auto backup = BackupOf(demo, folder.File("usa.sim"));
    SessionRig card(BlankCardProfile(), {"1234"});
    ASSERT_TRUE(RestoreToCard(*card.session, *backup, RestoreChoice{false, false, false, false, true}));
    EXPECT_EQ(File(card, kPlmnSel).content, preferred);
}

TEST_F(BackupAndRestore, ACardWithoutAChosenFileIsNotWrittenAtAll) {
    sim::SimProfile noFdn = BlankCardProfile();
    std::erase_if(noFdn.files, [](const sim::SimElementaryFile& file) { return file.id == kFdn; });
    SessionRig card(noFdn, {"1234", "5678"});
    const sim::SimProfile before = card.Card().Profile();
    EXPECT_FALSE(RestoreToCard(*card.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(card, kRestoreIncomplete));
    EXPECT_EQ(card.Card().Profile(), before);
    EXPECT_EQ(card.ui.prompts.size(), 1u);
}

TEST_F(BackupAndRestore, CancellingBeforeTheNetworksStopsTheRestoreThere) {
    target.ui.pins = {"1234", "5678"};
    target.ui.cancelAtText = resources::LoadString(5010);  // "Writing preferred networks"
    EXPECT_FALSE(RestoreToCard(*target.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(target, kRestoreIncomplete));
    EXPECT_NE(File(target, kSms).records, BlankCardProfile().FindFile(kTelecom, kSms)->records);
    for (std::uint16_t ef : {kPlmnSel, kFplmn}) {
        EXPECT_EQ(File(target, ef).content, BlankCardProfile().FindFile(kGsm, ef)->content);
    }
}

TEST_F(BackupAndRestore, ARefusedPinStopsTheRestoreAndSaysItIsIncomplete) {
    target.ui.pins = {std::nullopt};
    const sim::SimProfile before = target.Card().Profile();
    EXPECT_FALSE(RestoreToCard(*target.session, *backup, RestoreChoice{}));
    EXPECT_TRUE(LastMessageIs(target, kRestoreIncomplete));
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
    for (std::uint16_t ef : rig.UpdatedFiles()) EXPECT_NE(ef, kFdn);
}

TEST_F(BackupAndRestore, OnlyEmptySmsParametersChosenWritesNothingAndSucceeds) {
    const sim::SimProfile before = source.Card().Profile();
    SimBackup empty;
    empty.phoneBookCount = 3;
    EXPECT_TRUE(RestoreToCard(*source.session, empty, RestoreChoice{false, false, false, true, false}));
    EXPECT_TRUE(LastMessageIs(source, kRestoreDone));
    EXPECT_EQ(source.Card().Profile(), before);
}

// The question comes once the backup is known to fit, with the number of used entries the restore
// clears, and a refusal writes nothing.
TEST_F(BackupAndRestore, ClearingUsedEntriesIsAgreedToFirst) {
    sim::SimProfile grown = sim::BuildDemoSimProfile();
    auto& adn = grown.FindFile(kTelecom, kAdn)->records;
    adn[5] = adn[6];  // an entry added since the backup, where the backup has none
    std::vector<std::size_t> asked;
    const auto answer = [&](bool agree) {
        return [&asked, agree](std::size_t cleared) {
            asked.push_back(cleared);
            return agree;
        };
    };
    SessionRig card(grown, {"1234"});
    const std::size_t messages = card.ui.messages.size();
    EXPECT_FALSE(RestoreToCard(*card.session, *backup, RestoreChoice{}, answer(false)));
    EXPECT_EQ(asked, std::vector<std::size_t>{1});
    EXPECT_EQ(Writes(card), 0u);
    EXPECT_EQ(card.ui.messages.size(), messages);
    EXPECT_EQ(card.Card().Profile(), grown);

    card.ui.pins = {"5678"};  // PIN1 is remembered from the first attempt
    ASSERT_TRUE(RestoreToCard(*card.session, *backup, RestoreChoice{}, answer(true))) << LastMessage(card);
    EXPECT_EQ(File(card, kAdn).records[5], Bytes(adn[5].size(), 0xFF));

    // A backup that does not fit is refused without the question.
    asked.clear();
    SessionRig small(Resized(sim::BuildDemoSimProfile(), kAdn, 50), {"1234"});
    EXPECT_FALSE(RestoreToCard(*small.session, *backup, RestoreChoice{}, answer(true)));
    EXPECT_TRUE(asked.empty());
}

// SMS parameters the card cannot take as they stand (a letter in the centre, a validity that is no
// period) are refused with the other refusals, before anything is written.
TEST_F(BackupAndRestore, SmsParametersThatCannotBeWrittenAreRefusedFirst) {
    for (const auto& [centre, validity] : {std::pair("+42O603", "1 day"), std::pair("+420603", "foo"),
                                           std::pair("+42F603", "1 day"), std::pair("+420603", "01.01.26 10:00")}) {
        SimBackup changed = *backup;
        sms::SetFieldText(changed.smsParameters.centre, centre);
        sms::SetFieldText(changed.smsParameters.validity, validity);
        SessionRig card(sim::BuildDemoSimProfile(), {"1234", "5678"});
        EXPECT_FALSE(RestoreToCard(*card.session, changed, RestoreChoice{})) << centre << ' ' << validity;
        EXPECT_EQ(LastMessage(card),
                  std::string(resources::LoadString(58030)) + "\n" + std::string(resources::LoadString(58025)));
        EXPECT_EQ(Writes(card), 0u);
    }
}

TEST_F(BackupAndRestore, AFileThatCannotBeWrittenLeavesNothingBehindAndSaysWhy) {
    const std::string missing = folder.File("missing-folder/card.sim");
    EXPECT_EQ(BackupCard(*source.session, missing), BackupOutcome::FileFailed);
    EXPECT_EQ(LastMessage(source),
              std::string(resources::LoadString(message::kCannotOpenTarget)) + "\nNo such file or directory");
    EXPECT_FALSE(std::ifstream(missing).good());
}

// Records beyond the positions a backup has (a phone book of 254 records, 105 messages) cannot go into
// the file: the backup says how many entries it leaves out, and a restore leaves those records alone.
TEST(Backup, EntriesBeyondTheFilesPositionsAreNamedAndKeptOnTheCard) {
    testing::TemporaryFolder folder;
    sim::SimProfile profile = Resized(LargestPhoneBook(), kSms, 105);
    auto& messages = profile.FindFile(kTelecom, kSms)->records;
    std::fill(messages.begin() + 99, messages.end(), messages[0]);
    SessionRig source(profile, {"1234"});
    ASSERT_EQ(BackupCard(*source.session, folder.File("card.sim")), BackupOutcome::Done) << LastMessage(source);
    EXPECT_EQ(LastMessage(source), std::string(resources::LoadString(57424)) +
                                       "\n4 phone book entries beyond record 250 are not in the backup." +
                                       "\n6 SMS messages beyond record 99 are not in the backup.");

    SimBackup backup;
    ASSERT_TRUE(OpenBackup(folder.File("card.sim"), backup, source.ui));
    const sim::SimProfile before = source.Card().Profile();
    source.ui.pins = {"5678"};
    ASSERT_TRUE(RestoreToCard(*source.session, backup, RestoreChoice{})) << LastMessage(source);
    EXPECT_EQ(LastMessage(source), std::string(resources::LoadString(kRestoreDone)) +
                                       "\nRecords 251 to 254 of the card's phone book were left as they are." +
                                       "\nRecords 100 to 105 of the card's SMS messages were left as they are.");
    EXPECT_EQ(File(source, kAdn).records, before.FindFile(kTelecom, kAdn)->records);
    EXPECT_EQ(File(source, kSms).records, before.FindFile(kTelecom, kSms)->records);
}

}  // namespace
}  // namespace quillet::backup
