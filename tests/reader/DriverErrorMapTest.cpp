// Driver and system error numbers against the documented mapping, row by row: every number up to
// well past the driver's own range and the highest ones, so a single wrong row shows.
#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "reader/DriverErrorMap.h"
#include "reader/ReaderResult.h"

namespace quillet::reader {
namespace {

// The documented table; every number it does not name is "Non-specific error".
std::map<std::uint32_t, ReaderResult> DocumentedMapping() {
    std::map<std::uint32_t, ReaderResult> rows = {
        {0, 102},  {3, 138},  {4, 141},   {5, 141},   {6, 141},    {7, 103},
        {11, 105}, {12, 104}, {129, 131}, {130, 133}, {1000, 103},
    };
    // 1001 to 1026 in order, skipping the codes 114 to 126 that do not exist.
    const ReaderResult driverRows[] = {104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 127, 128, 129,
                                       130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142};
    std::uint32_t error = 1001;
    for (ReaderResult code : driverRows) rows[error++] = code;
    return rows;
}

TEST(DriverErrorMap, EveryNumberMapsAsDocumented) {
    const std::map<std::uint32_t, ReaderResult> rows = DocumentedMapping();
    ASSERT_EQ(rows.size(), 37u);
    const auto expected = [&](std::uint32_t error) {
        const auto row = rows.find(error);
        return row == rows.end() ? ReaderResult{140} : row->second;
    };
    for (std::uint32_t error = 0; error <= 0x20000; ++error) {
        ASSERT_EQ(MapDriverError(error), expected(error)) << "driver error " << error;
    }
    const std::uint32_t highest = std::numeric_limits<std::uint32_t>::max();
    for (std::uint32_t error : {0x10000u + 6u, 0x10000u + 1001u, highest - 1, highest}) {
        EXPECT_EQ(MapDriverError(error), 140) << "driver error " << error;
    }
    for (const auto& [error, code] : rows) EXPECT_TRUE(IsKnownReaderResult(code)) << error;
    // A code without a text of its own reads as non-specific.
    EXPECT_EQ(ReaderResultText(102), "O.K.");
    EXPECT_EQ(ReaderResultText(120), "Non-specific error");
}

}  // namespace
}  // namespace quillet::reader
