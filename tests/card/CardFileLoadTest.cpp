// Loading the phone-book files into the caches and mapping how their records use EXT1 and EXT2.
#include <gtest/gtest.h>

#include "sim/DemoCard.h"
#include "support/SessionRig.h"

namespace quillet::card {
namespace {

using testing::SessionRig;
namespace result = reader::result;

std::vector<std::uint8_t> DiallingRecord(std::uint8_t extension) {
    // "A", 1 digit, national, then the extension identifier; 30 bytes in all.
    std::vector<std::uint8_t> record(30, 0xFF);
    record[0] = 'A';
    record[16] = 0x02;
    record[17] = 0x81;
    record[18] = 0xF1;
    record[29] = extension;
    return record;
}

std::vector<std::uint8_t> ExtensionRecord(std::uint8_t next) {
    std::vector<std::uint8_t> record(13, 0xFF);
    record[0] = 0x02;
    record[1] = 0x01;
    record[2] = 0xF5;
    record[12] = next;
    return record;
}

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
    std::vector<std::uint8_t> Map(UseMap map) { return *rig->session->Caches().Map(map); }

    std::unique_ptr<SessionRig> rig;
};

TEST_F(FileLoad, SharedAndChainedExtensionRecordsAreMarked) {
    sim::SimProfile profile = Demo();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    auto& ext1 = profile.FindFile(0x7F10, 0x6F4A)->records;
    adn[0] = DiallingRecord(1);
    adn[1] = DiallingRecord(1);  // two ADN records share EXT1 record 1
    adn[2] = DiallingRecord(2);  // record 2 continues in record 3
    ext1[0] = ExtensionRecord(0xFF);
    ext1[1] = ExtensionRecord(3);
    ext1[2] = ExtensionRecord(0xFF);
    profile.FindFile(0x7F10, 0x6F44)->records[0] = DiallingRecord(3);  // LND reaches record 3 too
    adn[3] = DiallingRecord(9);    // record 9 is free
    adn[4] = DiallingRecord(0);    // 0 is no record
    adn[5] = DiallingRecord(200);  // beyond the file
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
    profile.FindFile(0x7F10, 0x6F3A)->records[0] = DiallingRecord(1);
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
    for (const auto& image : rig->session->Caches().images) EXPECT_FALSE(image.has_value());
    rig->session->EndProgress(true);
}

}  // namespace
}  // namespace quillet::card
