#pragma once

#include <ostream>

#include "backup/PlmnEntry.h"

namespace quillet::backup {

// Shows an entry as "232/01" (or "310/010" with three digits), "-" when empty, '*' when modified.
inline void PrintTo(const PlmnEntry& entry, std::ostream* out) {
    if (entry.valid == 0) {
        *out << "-";
    } else {
        *out << entry.mcc << "/" << (entry.threeDigitMnc ? "3:" : "") << entry.mnc;
    }
    if (entry.modified) *out << "*";
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
