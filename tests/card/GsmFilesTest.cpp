// The table of GSM files against the virtual card, which is written from the standard on its own.
#include <gtest/gtest.h>

#include <set>

#include "card/GsmFiles.h"
#include "sim/DemoCard.h"

namespace quillet::card {
namespace {

TEST(GsmFiles, EveryFileSitsWhereTheCardHasItWithItsStructureAndAccess) {
    const sim::SimProfile demo = sim::BuildDemoSimProfile();
    for (const GsmFile& file : GsmFiles()) {
        SCOPED_TRACE(::testing::Message() << std::hex << file.id);
        const sim::SimElementaryFile* onCard = demo.FindFile(file.parent, file.id);
        ASSERT_NE(onCard, nullptr);
        EXPECT_EQ(static_cast<int>(onCard->structure), static_cast<int>(file.structure));
        EXPECT_EQ(static_cast<int>(onCard->access.read), static_cast<int>(file.read));
        EXPECT_EQ(static_cast<int>(onCard->access.update), static_cast<int>(file.update));
        EXPECT_EQ(FindGsmFile(file.id), &file);
    }
    EXPECT_EQ(FindGsmFile(0x6F99), nullptr);
}

TEST(GsmFiles, CacheSlotsMapsAndLinksAreConsistent) {
    std::set<std::uint32_t> loadBits;
    for (std::size_t slot = 0; slot < kCachedFileCount; ++slot) {
        const GsmFile& file = GsmFileOf(static_cast<CachedFile>(slot));
        EXPECT_EQ(file.image, static_cast<CachedFile>(slot));
        EXPECT_EQ(file.parent, gsm_file::kTelecomDirectory);
    }
    for (const GsmFile& file : GsmFiles()) {
        if (file.loadBit != 0) {
            EXPECT_TRUE(loadBits.insert(file.loadBit).second) << file.id;
        }
        if (file.extension == 0) continue;
        // A file that links into an extension file is cached and mapped, as is that file.
        const GsmFile* extension = FindGsmFile(file.extension);
        ASSERT_NE(extension, nullptr);
        EXPECT_TRUE(file.image && file.useMap && extension->image && extension->useMap) << file.id;
        EXPECT_NE(file.linkMark, 0) << file.id;
        EXPECT_EQ(file.linkMark & OtherLinkMarks(file), 0) << file.id;  // its links stay told apart
    }
    // EXT1 serves ADN, MSISDN and LND; EXT2 serves FDN alone.
    EXPECT_EQ(OtherLinkMarks(*FindGsmFile(gsm_file::kAdn)),
              extension_use::kLinkedFromMsisdn | extension_use::kLinkedFromLnd);
    EXPECT_EQ(OtherLinkMarks(*FindGsmFile(gsm_file::kFdn)), 0);
}

}  // namespace
}  // namespace quillet::card
