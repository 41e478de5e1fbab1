#include <gtest/gtest.h>

#include "reader/DriverErrorMap.h"
#include "reader/ReaderResult.h"

namespace quillet::reader {
namespace {

TEST(DriverErrorMap, MapsSystemAndDriverErrorNumbers) {
    EXPECT_EQ(MapDriverError(0), 102);
    EXPECT_EQ(MapDriverError(3), 138);
    EXPECT_EQ(MapDriverError(4), 141);
    EXPECT_EQ(MapDriverError(6), 141);
    EXPECT_EQ(MapDriverError(7), 103);
    EXPECT_EQ(MapDriverError(11), 105);
    EXPECT_EQ(MapDriverError(12), 104);
    EXPECT_EQ(MapDriverError(129), 131);
    EXPECT_EQ(MapDriverError(130), 133);
    EXPECT_EQ(MapDriverError(1000), 103);
}

TEST(DriverErrorMap, DriverRangeSkipsTheUnusedCodes) {
    EXPECT_EQ(MapDriverError(1001), 104);
    EXPECT_EQ(MapDriverError(1010), 113);
    EXPECT_EQ(MapDriverError(1011), 127);
    EXPECT_EQ(MapDriverError(1024), 140);
    EXPECT_EQ(MapDriverError(1026), 142);
    for (std::uint32_t error = 1001; error <= 1026; ++error) {
        EXPECT_TRUE(IsKnownReaderResult(MapDriverError(error))) << error;
    }
}

TEST(DriverErrorMap, EverythingElseIsNonSpecific) {
    for (std::uint32_t error : {1u, 2u, 8u, 13u, 128u, 131u, 999u, 1027u, 0xFFFFFFFFu}) {
        EXPECT_EQ(MapDriverError(error), 140) << error;
    }
}

TEST(ReaderResultText, UnknownCodesReadAsNonSpecific) {
    EXPECT_EQ(ReaderResultText(102), "O.K.");
    EXPECT_EQ(ReaderResultText(120), "Non-specific error");
    EXPECT_EQ(ReaderResultText(0), "Non-specific error");
}

}  // namespace
}  // namespace quillet::reader
