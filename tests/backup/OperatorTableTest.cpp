// The built-in operator table and the lookups by code and by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "backup/OperatorTable.h"

namespace quillet::backup {
namespace {

constexpr std::string_view kUnknownName = "Nezn\xE1m\xE1 s\xED\x9D";

std::string_view CountryMark(std::string_view name) { return name.substr(name.rfind(" - ") + 3); }

TEST(OperatorTable, RowsAreGroupedByCountryMarkInAlphabeticalOrder) {
    const auto rows = OperatorTable();
    ASSERT_EQ(rows.size(), 233u);
    EXPECT_EQ(rows.front().name, "Mobilkom Austria AG - A");
    EXPECT_EQ(rows[1].name, "Max Mobil Telecommunications Service - A");
    EXPECT_EQ(rows[2].name, "Albanian Mobile Communications - AL");
    EXPECT_EQ(rows[2].mcc, 276u);
    EXPECT_EQ(rows[31].name, "RadioMobil - CZ");
    EXPECT_EQ(rows[31].mcc, 230u);
    EXPECT_EQ(rows.back().name, "Telecel Zimbabwe (PVT) Ltd - ZW");
    EXPECT_EQ(rows.back().mcc, 648u);
    EXPECT_EQ(rows.back().mnc, 3u);

    for (std::size_t index = 0; index < rows.size(); ++index) {
        SCOPED_TRACE(rows[index].name);
        ASSERT_NE(rows[index].name.rfind(" - "), std::string_view::npos);
        EXPECT_LE(rows[index].mcc, 999u);
        EXPECT_NE(rows[index].name, kUnknownName);
        if (index > 0) {
            EXPECT_LE(CountryMark(rows[index - 1].name), CountryMark(rows[index].name));
        }
    }
}

TEST(OperatorTable, DuplicateCodesAreFoundByTheirFirstRow) {
    const auto rows = OperatorTable();
    const auto count = [&](std::uint32_t mcc, std::uint32_t mnc) {
        return std::count_if(rows.begin(), rows.end(), [&](const OperatorRow& row) {
            return row.mcc == mcc && row.mnc == mnc;
        });
    };
    EXPECT_EQ(count(228, 1), 2);
    EXPECT_EQ(count(270, 77), 2);
    EXPECT_EQ(count(515, 3), 2);
    EXPECT_EQ(count(250, 7), 2);

    std::string_view name;
    EXPECT_TRUE(LookupOperatorName(250, 7, name));
    EXPECT_EQ(name, "BM Telecom Ltd. - RUS");
    std::uint32_t mcc = 0;
    std::uint32_t mnc = 0;
    ASSERT_TRUE(LookupOperatorCode("ZAO SMARTS - RUS", mcc, mnc));
    EXPECT_EQ(mcc, 250u);
    EXPECT_EQ(mnc, 7u);
    // A name shared by several codes gives the first.
    ASSERT_TRUE(LookupOperatorCode("Western Wireless Corporation - USA", mcc, mnc));
    EXPECT_EQ(mcc, 310u);
    EXPECT_EQ(mnc, 220u);
}

TEST(OperatorTable, LookupsByCodeAndByName) {
    std::string_view name;
    EXPECT_TRUE(LookupOperatorName(232, 1, name));
    EXPECT_EQ(name, "Mobilkom Austria AG - A");
    EXPECT_TRUE(LookupOperatorName(310, 150, name));
    EXPECT_EQ(name, "BellSouth Mobility DCS - USA");
    EXPECT_TRUE(LookupOperatorName(310, 770, name));
    EXPECT_EQ(name, "Iowa Wireless Services, LP - USA");
    EXPECT_TRUE(LookupOperatorName(460, 0, name));
    EXPECT_EQ(name, "China Telecom - CHN");

    std::uint32_t mcc = 0;
    std::uint32_t mnc = 0;
    ASSERT_TRUE(LookupOperatorCode("Telstra Corporation Limited - AUS", mcc, mnc));
    EXPECT_EQ(mcc, 505u);
    EXPECT_EQ(mnc, 1u);
    ASSERT_TRUE(LookupOperatorCode("Telecel Zimbabwe (PVT) Ltd - ZW", mcc, mnc));
    EXPECT_EQ(mcc, 648u);
    EXPECT_EQ(mnc, 3u);
}

TEST(OperatorTable, UnknownCodesAndNamesGiveTheUnknownNetwork) {
    EXPECT_EQ(UnknownOperator().name, kUnknownName);
    EXPECT_EQ(UnknownOperator().mcc, 0u);
    EXPECT_EQ(UnknownOperator().mnc, 0u);

    std::string_view name = "stale";
    EXPECT_FALSE(LookupOperatorName(0, 0, name));
    EXPECT_EQ(name, kUnknownName);
    name = "stale";
    EXPECT_FALSE(LookupOperatorName(232, 2, name));
    EXPECT_EQ(name, kUnknownName);
    EXPECT_FALSE(LookupOperatorName(2, 32, name));

    for (const std::string& unknown : {std::string("mobilkom austria ag - a"), std::string("Mobilkom Austria AG"),
                                       std::string("Mobilkom Austria AG - A "), std::string(kUnknownName),
                                       std::string()}) {
        SCOPED_TRACE(unknown);
        std::uint32_t mcc = 7;
        std::uint32_t mnc = 7;
        EXPECT_FALSE(LookupOperatorCode(unknown, mcc, mnc));
        EXPECT_EQ(mcc, 0u);
        EXPECT_EQ(mnc, 0u);
    }
}

}  // namespace
}  // namespace quillet::backup
