// Files within a card session: selection caching, whole-file and record transfers, file status,
// the session-level CHV changes and the progress window; loading the phone-book files into the
// caches and mapping how their records use EXT1 and EXT2.
#include <gtest/gtest.h>

#include "sim/DemoCard.h"
#include "support/DiallingRecords.h"
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

TEST_F(SessionFiles, ABufferTooSmallForTheFileIsRefusedBeforeAnyCommandALargerOneKeepsItsRest) {
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

    std::vector<std::uint8_t> record(30, 0x55);
    length = record.size();
    ASSERT_TRUE(rig.session->WriteFileRecord(0x7F10, 0x6F3A, record, length, 3, 4));
    std::vector<std::uint8_t> read(40, 0xEE);
    length = read.size();
    ASSERT_TRUE(rig.session->ReadFileRecord(0x7F10, 0x6F3A, read, length, 3, 4));
    record.resize(40, 0xEE);
    EXPECT_TRUE(length == 30u && read == record);
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
    EXPECT_EQ(rig.sent.at(3), (std::array<std::uint8_t, 5>{0xA0, 0xD6, 0x00, 0xFF, 45}));  // the second piece
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

    // CHV changes need an identified card.
    rig.session->EndSession();
    rig.ClearLog();
    EXPECT_FALSE(rig.session->ChangeOrToggleChv("1234", "4321", 1, true));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_FALSE(rig.session->UnblockCardChv("12345678", "1111", 1));
    EXPECT_EQ(rig.session->LastResult(), result::kNonSpecific);
    EXPECT_TRUE(rig.sent.empty());
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

// "A" with the one digit 1, and an extension record of the one digit 5, each linking on to `next`.
std::vector<std::uint8_t> Record(std::uint8_t next) { return testing::DiallingRecord("A", "1", next); }
std::vector<std::uint8_t> Extension(std::uint8_t next) { return testing::ExtensionRecord("5", next); }

class FileLoad : public ::testing::Test {
protected:
    void Start(sim::SimProfile profile) {
        rig = std::make_unique<SessionRig>(profile);
        rig->ui.pins = {"1234"};
        ASSERT_TRUE(rig->session->BeginSession(true, false, true)) << rig->session->FormatLastError();
    }
    sim::SimProfile Demo() {
        sim::SimProfile profile = sim::BuildDemoSimProfile();
        auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
        for (auto& record : adn) record.assign(30, 0xFF);
        for (auto& record : profile.FindFile(0x7F10, 0x6F44)->records) record.assign(30, 0xFF);
        for (auto& record : profile.FindFile(0x7F10, 0x6F4A)->records) record.assign(13, 0xFF);
        return profile;
    }
    std::vector<std::uint8_t> Map(UseMap map) {
        const auto bytes = rig->session->Cache().UseMapOf(map);
        EXPECT_TRUE(bytes.has_value());
        return bytes ? std::vector<std::uint8_t>(bytes->begin(), bytes->end()) : std::vector<std::uint8_t>();
    }

    std::unique_ptr<SessionRig> rig;
};

TEST_F(FileLoad, SharedAndChainedExtensionRecordsAreMarked) {
    sim::SimProfile profile = Demo();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    auto& ext1 = profile.FindFile(0x7F10, 0x6F4A)->records;
    adn[0] = Record(1);
    adn[1] = Record(1);  // two ADN records share EXT1 record 1
    adn[2] = Record(2);  // record 2 continues in record 3
    ext1[0] = Extension(0xFF);
    ext1[1] = Extension(3);
    ext1[2] = Extension(0xFF);
    profile.FindFile(0x7F10, 0x6F44)->records[0] = Record(3);  // LND reaches record 3 too
    adn[3] = Record(9);                                        // record 9 is free
    adn[4] = Record(0);                                        // 0 is no record
    adn[5] = Record(200);                                      // beyond the file
    Start(profile);
    ASSERT_TRUE(rig->session->LoadCardFiles(load_mask::kAdn | load_mask::kLnd, 0));

    const auto ext = Map(UseMap::Ext1);
    EXPECT_EQ(ext[0], 10);
    EXPECT_EQ(ext[1], 0x01 | 0x20 | 0x02 | 0x04);
    EXPECT_EQ(ext[2], 0x01 | 0x20 | 0x02);
    EXPECT_EQ(ext[3], 0x01 | 0x20 | 0x10 | 0x80 | 0x02 | 0x04 | 0x08);
    EXPECT_EQ(ext[9], 0x00);
    const auto adnUse = Map(UseMap::Adn);
    EXPECT_EQ(adnUse[1], 0x01 | 0x02);
    EXPECT_EQ(adnUse[3], 0x01 | 0x02);
    EXPECT_EQ(adnUse[4], 0x01 | 0x40);
    EXPECT_EQ(adnUse[5], 0x01 | 0x10);
    EXPECT_EQ(adnUse[6], 0x01 | 0x10);
    EXPECT_EQ(adnUse[7], 0x00);
}

TEST_F(FileLoad, WithoutExt1EveryExtensionIdentifierIsOutOfRange) {
    sim::SimProfile profile = Demo();
    profile.FindFile(0x7F10, 0x6F3A)->records[0] = Record(1);
    // Take service 10 (EXT1) out of the service table: byte 2, bits 2 and 3.
    profile.FindFile(0x7F20, 0x6F38)->content[2] &= 0xF3;
    Start(profile);
    ASSERT_TRUE(rig->session->LoadCardFiles(load_mask::kAdn, 0));
    EXPECT_EQ(Map(UseMap::Ext1), std::vector<std::uint8_t>{0});
    EXPECT_EQ(Map(UseMap::Adn)[1], 0x01 | 0x10);
}

TEST_F(FileLoad, CancellingTheLoadEmptiesEveryCache) {
    Start(sim::BuildDemoSimProfile());
    rig->session->BeginProgress(nullptr, 5000, 5106);
    rig->ui.cancelAtText = "item 3 ";
    EXPECT_FALSE(rig->session->LoadCardFiles(load_mask::kAdn, 0));
    EXPECT_EQ(rig->session->LastResult(), result::kCancelledByUser);
    EXPECT_TRUE(rig->session->Cache().Empty());
    rig->session->EndProgress(true);
}

TEST_F(FileLoad, WritingACachedRecordKeepsTheCacheEqualToTheCard) {
    Start(Demo());
    ASSERT_TRUE(rig->session->LoadCardFiles(load_mask::kAdn | load_mask::kFdn, 0)) << rig->session->FormatLastError();
    const SessionCache& cache = rig->session->Cache();
    const std::span<const std::uint8_t> cached = cache.Image(CachedFile::Adn)->Record(1);
    std::vector<std::uint8_t> record(cached.begin(), cached.end());
    rig->ClearLog();
    EXPECT_EQ(rig->session->WriteCachedRecord(CachedFile::Adn, 1, record), CardSession::RecordWrite::Unchanged);
    EXPECT_TRUE(rig->sent.empty());

    record[0] = 'A';
    ASSERT_EQ(rig->session->WriteCachedRecord(CachedFile::Adn, 1, record), CardSession::RecordWrite::Written);
    EXPECT_EQ(rig->Card().Profile().FindFile(0x7F10, 0x6F3A)->records[0], record);
    const std::span<const std::uint8_t> after = cache.Image(CachedFile::Adn)->Record(1);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), record.begin(), record.end()));
    // The maps of the files linking into EXT1 are stale now; those of EXT2 are not.
    EXPECT_FALSE(cache.UseMapOf(UseMap::Adn).has_value());
    EXPECT_FALSE(cache.UseMapOf(UseMap::Ext1).has_value());
    EXPECT_TRUE(cache.UseMapOf(UseMap::Fdn).has_value());
    EXPECT_TRUE(cache.UseMapOf(UseMap::Ext2).has_value());

    // FDN needs CHV2: the refused write leaves nothing cached that might not be the card's.
    const std::span<const std::uint8_t> fdn = cache.Image(CachedFile::Fdn)->Record(1);
    std::vector<std::uint8_t> changed(fdn.begin(), fdn.end());
    changed[0] ^= 0x01;
    EXPECT_EQ(rig->session->WriteCachedRecord(CachedFile::Fdn, 1, changed), CardSession::RecordWrite::Failed);
    EXPECT_EQ(rig->session->LastResult(), result::kNoValidPin);
    EXPECT_TRUE(cache.Empty());
}

}  // namespace
}  // namespace quillet::card
