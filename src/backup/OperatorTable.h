#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillet::backup {

// One network operator known by name: "<operator> - <country mark>", its MCC and MNC. The names
// are Windows-1250 bytes.
struct OperatorRow {
    std::string_view name;
    std::uint32_t mcc = 0;
    std::uint32_t mnc = 0;
};

inline constexpr std::size_t kOperatorRowCount = 233;

// The built-in operators, grouped by country mark in alphabetical order of the marks. Some codes
// appear twice; the first row of a code is the one lookups find.
std::span<const OperatorRow> OperatorTable();

// The row that stands for an unknown network: MCC 0, MNC 0, "Neznámá síť". It is not one of the
// rows of OperatorTable() and is never offered for selection.
const OperatorRow& UnknownOperator();

// The name of the first row with this code and true; the unknown network's name and false when
// no row has it.
bool LookupOperatorName(std::uint32_t mcc, std::uint32_t mnc, std::string_view& name);

// The codes of the first row with exactly this name (case counts) and true; 0, 0 and false when
// no row has it.
bool LookupOperatorCode(std::string_view name, std::uint32_t& mcc, std::uint32_t& mnc);

}  // namespace quillet::backup
