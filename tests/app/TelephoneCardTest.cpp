// Decoding a prepaid telephone card's memory image.
#include <gtest/gtest.h>

#include <array>

#include "app/TelephoneCard.h"

namespace quillet::app {
namespace {

using Image = std::array<std::uint8_t, kTelephoneCardBytes>;

// A valid 30-unit card with the given number of used bits, filled from b[12] on.
Image ThirtyUnitCard(unsigned usedBits) {
    Image image{};
    image[1] = 0x83;
    image[3] = 50;
    for (std::size_t index = 12; usedBits > 0 && index <= 30; ++index) {
        const unsigned bits = usedBits < 8 ? usedBits : 8;
        image[index] = static_cast<std::uint8_t>(0xFF00 >> bits);
        usedBits -= bits;
    }
    return image;
}

TEST(TelephoneCard, RemainingUnitsCountDownFromTotalPlusTwo) {
    struct Case {
        unsigned usedBits;
        unsigned remaining;
    };
    for (const Case c : {Case{0, 32}, Case{2, 30}, Case{12, 20}, Case{32, 0}, Case{33, 0}, Case{40, 0}}) {
        const TelephoneCardInfo info = DecodeTelephoneCard(ThirtyUnitCard(c.usedBits));
        EXPECT_TRUE(info.valid);
        EXPECT_EQ(info.totalUnits, 30u);
        EXPECT_EQ(info.remainingUnits, c.remaining) << c.usedBits << " bits used";
    }
}

TEST(TelephoneCard, OnlyBytesTwelveToThirtyCountAsUsed) {
    Image image = ThirtyUnitCard(0);
    image[11] = 0xFF;
    image[31] = 0xFF;
    image[30] = 0x01;
    EXPECT_EQ(DecodeTelephoneCard(image).remainingUnits, 31u);
}

TEST(TelephoneCard, UnitClassComesFromBitZeroOfByteTwoAndByteThree) {
    struct Case {
        std::uint8_t b2;
        std::uint8_t b3;
        unsigned total;
    };
    for (const Case c :
         {Case{0x01, 2, 100}, Case{0x01, 34, 120}, Case{0x01, 82, 150}, Case{0x00, 18, 10}, Case{0x00, 36, 22},
          Case{0x00, 39, 25}, Case{0x00, 50, 30}, Case{0x00, 82, 50}, Case{0x00, 98, 60}, Case{0x00, 130, 80},
          Case{0xFE, 50, 30}, Case{0xFF, 2, 100}, Case{0x01, 50, 0}, Case{0x00, 2, 0}, Case{0x00, 51, 0}}) {
        Image image = ThirtyUnitCard(0);
        image[2] = c.b2;
        image[3] = c.b3;
        const TelephoneCardInfo info = DecodeTelephoneCard(image);
        EXPECT_EQ(info.totalUnits, c.total) << int(c.b2) << "/" << int(c.b3);
        EXPECT_EQ(info.valid, c.total != 0);
        EXPECT_EQ(info.remainingUnits, c.total + 2);
    }
}

TEST(TelephoneCard, AWrongMarkerOrUnknownClassIsNotAValidCard) {
    Image image = ThirtyUnitCard(1);
    image[1] = 0x82;
    TelephoneCardInfo info = DecodeTelephoneCard(image);
    EXPECT_FALSE(info.valid);
    EXPECT_EQ(info.totalUnits, 0u);
    EXPECT_EQ(info.remainingUnits, 1u);
    // Remaining units are clamped against the voided total, not the unit class.
    image = ThirtyUnitCard(12);
    image[1] = 0x82;
    EXPECT_EQ(DecodeTelephoneCard(image).remainingUnits, 0u);

    image = ThirtyUnitCard(1);
    image[3] = 51;
    info = DecodeTelephoneCard(image);
    EXPECT_FALSE(info.valid);
    EXPECT_EQ(info.remainingUnits, 1u);
}

TEST(TelephoneCard, CountryComesFromByteEleven) {
    Image image = ThirtyUnitCard(0);
    const std::pair<std::uint8_t, const char*> cases[] = {
        {30, "Sweden"},         {34, "Spain"}, {48, "Norway"},   {51, "Andorra"}, {60, "Ireland"}, {71, "Portugal"},
        {85, "Czech Republic"}, {95, "Gabon"}, {101, "Finland"}, {86, "???"},     {0, "???"},      {255, "???"}};
    for (const auto& [code, country] : cases) {
        image[11] = code;
        EXPECT_EQ(DecodeTelephoneCard(image).country, country) << int(code);
    }
}

TEST(TelephoneCard, BinaryTextIsFourLinesOfOffsetAndEightBytes) {
    Image image{};
    for (std::size_t index = 0; index < image.size(); ++index) image[index] = static_cast<std::uint8_t>(index * 9);
    EXPECT_EQ(DecodeTelephoneCard(image).binaryText,
              "0000\t00\t09\t12\t1b\t24\t2d\t36\t3f\r\n"
              "0008\t48\t51\t5a\t63\t6c\t75\t7e\t87\r\n"
              "0010\t90\t99\ta2\tab\tb4\tbd\tc6\tcf\r\n"
              "0018\td8\te1\tea\tf3\tfc\t05\t0e\t17");
}

}  // namespace
}  // namespace quillet::app
