#include "app/TelephoneCard.h"

#include <array>
#include <bit>
#include <cstdio>

#include "resources/StringTable.h"

namespace quillet::app {

namespace {

constexpr std::uint8_t kValidMarker = 0x83;
constexpr std::size_t kCounterFirst = 12;
constexpr std::size_t kCounterLast = 30;

struct UnitClass {
    bool highBit;       // b[2] bit 0
    std::uint8_t code;  // b[3]
    unsigned total;
};

constexpr std::array<UnitClass, 10> kUnitClasses = {{
    {true, 2, 100},
    {true, 34, 120},
    {true, 82, 150},
    {false, 18, 10},
    {false, 36, 22},
    {false, 39, 25},
    {false, 50, 30},
    {false, 82, 50},
    {false, 98, 60},
    {false, 130, 80},
}};

struct CountryEntry {
    std::uint8_t code;
    std::uint32_t stringId;
};

constexpr std::array<CountryEntry, 9> kCountries = {{
    {30, 59040},
    {34, 59041},
    {48, 59042},
    {51, 59043},
    {60, 59044},
    {71, 59045},
    {85, 59046},
    {95, 59047},
    {101, 59048},
}};

unsigned TotalUnits(std::uint8_t classByte, std::uint8_t code) {
    const bool highBit = (classByte & 0x01) != 0;
    for (const UnitClass& unitClass : kUnitClasses) {
        if (unitClass.highBit == highBit && unitClass.code == code) return unitClass.total;
    }
    return 0;
}

std::string CountryName(std::uint8_t code) {
    for (const CountryEntry& country : kCountries) {
        if (country.code == code) return std::string(resources::LoadString(country.stringId));
    }
    return "???";
}

// Counting goes byte by byte, so the byte that reaches the limit is counted in full.
unsigned UsedUnits(std::span<const std::uint8_t, kTelephoneCardBytes> image, unsigned limit) {
    unsigned used = 0;
    for (std::size_t index = kCounterFirst; index <= kCounterLast; ++index) {
        used += static_cast<unsigned>(std::popcount(image[index]));
        if (used >= limit) break;
    }
    return used;
}

std::string BinaryText(std::span<const std::uint8_t, kTelephoneCardBytes> image) {
    std::string text;
    char piece[8];
    for (std::size_t index = 0; index < image.size(); ++index) {
        const std::size_t column = index % 8;
        if (column == 0) {
            std::snprintf(piece, sizeof piece, "%04x\t", static_cast<unsigned>(index));
            text += piece;
        }
        std::snprintf(piece, sizeof piece, "%02x", static_cast<unsigned>(image[index]));
        text += piece;
        if (index + 1 == image.size()) break;
        text += column < 7 ? "\t" : "\r\n";
    }
    return text;
}

}  // namespace

TelephoneCardInfo DecodeTelephoneCard(std::span<const std::uint8_t, kTelephoneCardBytes> image) {
    TelephoneCardInfo info;
    unsigned total = TotalUnits(image[2], image[3]);
    info.country = CountryName(image[11]);
    // The counter limit comes from the unit class even when the marker later voids the card.
    const unsigned used = UsedUnits(image, total + 2);
    if (image[1] != kValidMarker) total = 0;
    info.valid = total != 0;
    info.totalUnits = total;
    info.remainingUnits = used > total + 2 ? 0 : total + 2 - used;
    info.binaryText = BinaryText(image);
    return info;
}

}  // namespace quillet::app
