// The PLMN slot coding, against codes assembled by hand from 3GPP TS 24.008 10.5.1.3.
#include <gtest/gtest.h>

#include "backup/PlmnEntry.h"
#include "backup/PlmnTestHelpers.h"

namespace quillet::backup {
namespace {

struct CodeVector {
    PlmnSlot bytes;
    std::uint32_t mcc;
    std::uint32_t mnc;
};

TEST(PlmnSlot, TwoDigitNetworkCodesCarryAFillerNibble) {
    const CodeVector vectors[] = {
        {{0x32, 0xF0, 0x10}, 230, 1}, {{0x32, 0xF2, 0x10}, 232, 1},  {{0x62, 0xF2, 0x20}, 262, 2},
        {{0x00, 0xF1, 0x10}, 1, 1},   {{0x99, 0xF9, 0x99}, 999, 99}, {{0x42, 0xF2, 0x01}, 242, 10},
        {{0x64, 0xF0, 0x00}, 460, 0},
    };
    for (const CodeVector& vector : vectors) {
        SCOPED_TRACE(::testing::Message() << vector.mcc << "/" << vector.mnc);
        EXPECT_EQ(DecodePlmnSlot(vector.bytes), Valid(vector.mcc, vector.mnc));
        EXPECT_EQ(EncodePlmnSlot(Valid(vector.mcc, vector.mnc)), vector.bytes);
    }
}

TEST(PlmnSlot, ThreeDigitNetworkCodesKeepTheirThirdDigit) {
    // 310/010 (three digits) is not the same network as 310/10 (two digits).
    const CodeVector vectors[] = {
        {{0x13, 0x00, 0x51}, 310, 150}, {{0x13, 0x00, 0x10}, 310, 10},  {{0x13, 0x03, 0x01}, 313, 100},
        {{0x03, 0x02, 0x27}, 302, 720}, {{0x13, 0x00, 0x77}, 310, 770},
    };
    for (const CodeVector& vector : vectors) {
        SCOPED_TRACE(::testing::Message() << vector.mcc << "/" << vector.mnc);
        EXPECT_EQ(DecodePlmnSlot(vector.bytes), Valid(vector.mcc, vector.mnc, 1));
        EXPECT_EQ(EncodePlmnSlot(Valid(vector.mcc, vector.mnc, 1)), vector.bytes);
    }
    EXPECT_EQ(EncodePlmnSlot(Valid(310, 10)), (PlmnSlot{0x13, 0xF0, 0x01}));
    // A code above 99 cannot be two digits, flag or not (as when a backup file gave it).
    EXPECT_EQ(EncodePlmnSlot(Valid(310, 220)), (PlmnSlot{0x13, 0x00, 0x22}));
}

TEST(PlmnSlot, EmptyAndMalformedSlots) {
    EXPECT_EQ(DecodePlmnSlot(PlmnSlot{0xFF, 0xFF, 0xFF}), PlmnEntry{});
    EXPECT_EQ(DecodePlmnSlot(PlmnSlot{0xFF, 0x00, 0x00}), PlmnEntry{});
    EXPECT_EQ(EncodePlmnSlot(PlmnEntry{0, 1, 0, 232, 1}), (PlmnSlot{0xFF, 0xFF, 0xFF}));

    // A filler nibble in the network code is left out, and the code is written back whole.
    EXPECT_EQ(DecodePlmnSlot(PlmnSlot{0x62, 0xF0, 0x0F}), Valid(260, 0));
    EXPECT_EQ(EncodePlmnSlot(Valid(260, 0)), (PlmnSlot{0x62, 0xF0, 0x00}));
    // Non-decimal nibbles are left out of the country code too.
    EXPECT_EQ(DecodePlmnSlot(PlmnSlot{0xA2, 0xF3, 0x10}), Valid(23, 1));
    EXPECT_EQ(DecodePlmnSlot(PlmnSlot{0xF0, 0xF0, 0xFF}), Valid(0, 0));
    // Only a decimal digit counts as a third MNC digit.
    EXPECT_EQ(DecodePlmnSlot(PlmnSlot{0x32, 0xE2, 0x10}), Valid(232, 1));
}

}  // namespace
}  // namespace quillet::backup
