// The string table: lookups by id and the ids the program relies on. The texts themselves, trailing
// blanks, line breaks and format specifiers included, are checked by the tests of the messages that show them.
#include <gtest/gtest.h>

#include <string>

#include "resources/StringTable.h"
#include "resources/StringTableData.h"

namespace quillet::resources {
namespace {

TEST(StringTable, IdsAreSortedAndUniqueSoLookupFindsEveryEntryAndNoOther) {
    ASSERT_GT(kStringEntryCount, 0u);
    for (std::size_t index = 1; index < kStringEntryCount; ++index) {
        EXPECT_LT(kStringEntries[index - 1].id, kStringEntries[index].id) << "at index " << index;
    }
    for (std::size_t index = 0; index < kStringEntryCount; ++index) {
        EXPECT_EQ(LoadString(kStringEntries[index].id), std::string_view(kStringEntries[index].text));
    }
    EXPECT_FALSE(FindString(0).has_value());
    EXPECT_FALSE(FindString(114).has_value());
    EXPECT_EQ(LoadString(0xFFFFFFFF), "");
}

TEST(StringTable, TheTextsTheProgramLooksUpAreThere) {
    // The result messages exist exactly for the result codes.
    for (std::uint32_t id = 102; id <= 152; ++id) EXPECT_EQ(FindString(id).has_value(), id <= 113 || id >= 127) << id;
    EXPECT_EQ(LoadString(131), LoadString(145));
    // Unit words and the report vocabulary.
    for (std::uint32_t id = 4000; id <= 4011; ++id) EXPECT_TRUE(FindString(id).has_value()) << id;
    for (std::uint32_t id = 2310; id <= 2329; ++id) EXPECT_TRUE(FindString(id).has_value()) << id;
    for (std::uint32_t id = 500; id <= 502; ++id) EXPECT_EQ(LoadString(id), ".");
}

}  // namespace
}  // namespace quillet::resources
