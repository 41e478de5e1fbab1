// The built-in operator table and the lookups by code and by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "backup/OperatorTable.h"

namespace quillet::backup {
namespace {

constexpr std::string_view kUnknownName = "Nezn\xE1m\xE1 s\xED\x9D";

std::pair<bool, std::string_view> Name(std::uint32_t mcc, std::uint32_t mnc) {
    std::string_view name = "stale";
    const bool known = LookupOperatorName(mcc, mnc, name);
    return {known, name};
}

std::tuple<bool, std::uint32_t, std::uint32_t> Code(std::string_view name) {
    std::uint32_t mcc = 7;
    std::uint32_t mnc = 7;
    const bool known = LookupOperatorCode(name, mcc, mnc);
    return {known, mcc, mnc};
}

TEST(OperatorTable, RowsAreGroupedByCountryMarkWithTheKnownDuplicates) {
    const auto rows = OperatorTable();
    ASSERT_EQ(rows.size(), 233u);
    EXPECT_EQ(rows[2].name, "Albanian Mobile Communications - AL");
    EXPECT_EQ(rows[31].name, "RadioMobil - CZ");
    EXPECT_EQ(std::tie(rows.back().name, rows.back().mcc, rows.back().mnc),
              std::make_tuple("Telecel Zimbabwe (PVT) Ltd - ZW", 648u, 3u));
    const auto mark = [](std::string_view name) { return name.substr(name.rfind(" - ") + 3); };
    for (std::size_t index = 1; index < rows.size(); ++index) {
        EXPECT_LE(mark(rows[index - 1].name), mark(rows[index].name)) << rows[index].name;
    }

    const auto count = [&](std::uint32_t mcc, std::uint32_t mnc) {
        return std::count_if(rows.begin(), rows.end(),
                             [&](const auto& row) { return row.mcc == mcc && row.mnc == mnc; });
    };
    EXPECT_EQ(count(228, 1) + count(270, 77) + count(515, 3) + count(250, 7), 8);
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.mnc > 99; }), 10);
    EXPECT_EQ(std::tie(UnknownOperator().name, UnknownOperator().mcc, UnknownOperator().mnc),
              std::make_tuple(kUnknownName, 0u, 0u));
}

TEST(OperatorTable, LookupsTakeTheFirstMatchingRow) {
    EXPECT_EQ(Name(232, 1), std::make_pair(true, std::string_view("Mobilkom Austria AG - A")));
    EXPECT_EQ(Name(250, 7), std::make_pair(true, std::string_view("BM Telecom Ltd. - RUS")));
    EXPECT_EQ(Name(310, 150), std::make_pair(true, std::string_view("BellSouth Mobility DCS - USA")));
    EXPECT_EQ(Name(460, 0), std::make_pair(true, std::string_view("China Telecom - CHN")));

    EXPECT_EQ(Code("ZAO SMARTS - RUS"), std::make_tuple(true, 250u, 7u));
    EXPECT_EQ(Code("Western Wireless Corporation - USA"), std::make_tuple(true, 310u, 220u));
}

TEST(OperatorTable, UnknownCodesAndNamesGiveTheUnknownNetwork) {
    for (const auto& [mcc, mnc] : {std::pair(0u, 0u), std::pair(232u, 2u), std::pair(2u, 32u)}) {
        EXPECT_EQ(Name(mcc, mnc), std::make_pair(false, kUnknownName)) << mcc << "/" << mnc;
    }
    for (const std::string_view name : std::initializer_list<std::string_view>{
             "mobilkom austria ag - a", "Mobilkom Austria AG", "Mobilkom Austria AG - A ", kUnknownName, ""}) {
        EXPECT_EQ(Code(name), std::make_tuple(false, 0u, 0u)) << name;
    }
}

}  // namespace
}  // namespace quillet::backup
