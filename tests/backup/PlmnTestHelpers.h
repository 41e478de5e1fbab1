#pragma once

#include <ostream>

#include "backup/PlmnEntry.h"

namespace quillet::backup {

// Shows an entry as "232/1", "310/3:150" with three MNC digits, "-" when empty.
inline void PrintTo(const PlmnEntry& entry, std::ostream* out) {
    if (entry.valid == 0) *out << "-";
    if (entry.valid != 0) *out << entry.mcc << "/" << (entry.threeDigitMnc ? "3:" : "") << entry.mnc;
}

inline PlmnEntry Valid(std::uint32_t mcc, std::uint32_t mnc, std::uint8_t threeDigits = 0) {
    PlmnEntry entry;
    entry.valid = 1;
    entry.mcc = mcc;
    entry.mnc = mnc;
    entry.threeDigitMnc = threeDigits;
    return entry;
}

}  // namespace quillet::backup
