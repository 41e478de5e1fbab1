#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace quillet::testing {

// Bytes written as hex pairs separated by blanks ("80 00 4A").
inline std::vector<std::uint8_t> HexBytes(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    for (std::string hex; in >> hex;) bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    return bytes;
}

// The lines of a vector file as "key value" pairs; blank lines and '#' comments are skipped.
inline std::vector<std::pair<std::string, std::string>> ReadVectorLines(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in.is_open()) << path;
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = std::min(line.find(' '), line.size());
        lines.emplace_back(line.substr(0, space), line.substr(std::min(space + 1, line.size())));
    }
    return lines;
}

// The "case NAME" ... "end" blocks of a vector file; `setField(current, key, value)` takes every other
// line and answers false for one it cannot read.
template <typename Case, typename SetField>
std::vector<Case> ReadVectorCases(const std::string& path, const std::string& namePrefix, SetField setField) {
    std::vector<Case> cases;
    Case current{};
    for (const auto& [key, value] : ReadVectorLines(path)) {
        if (key == "case") {
            current = Case{};
            current.name = namePrefix + value;
        } else if (key == "end") {
            cases.push_back(current);
        } else if (!setField(current, key, value)) {
            ADD_FAILURE() << path << ": cannot read line: " << key << ' ' << value;
        }
    }
    return cases;
}

}  // namespace quillet::testing
