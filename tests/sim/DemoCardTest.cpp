// The demonstration cards of the virtual SIM, checked against records assembled by hand from
// GSM 11.11, 3GPP TS 23.038, 23.040 and 24.008.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <set>
#include <vector>

#include "sim/DemoCard.h"

namespace quillet::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kMf = 0x3F00, kGsm = 0x7F20, kTelecom = 0x7F10;
constexpr std::uint8_t F = 0xFF;

Bytes Filled(Bytes head, std::size_t size) {
    head.resize(size, 0xFF);
    return head;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// A dialling-number record of alpha length 16: the name bytes, then length, TON/NPI, digits,
// capability and extension identifiers; both parts filled up with 0xFF.
Bytes Dialling(const Bytes& alpha, const Bytes& number) { return Join({Filled(alpha, 16), Filled(number, 14)}); }

class DemoSimCard : public testing::Test {
protected:
    const SimElementaryFile& File(std::uint16_t directory, std::uint16_t id) const {
        const SimElementaryFile* file = m_card.FindFile(directory, id);
        EXPECT_NE(file, nullptr) << std::hex << directory << "/" << id;
        static const SimElementaryFile kMissing;
        return file ? *file : kMissing;
    }
    const std::vector<Bytes>& Records(std::uint16_t id) const { return File(kTelecom, id).records; }

    const SimProfile m_card = BuildDemoSimProfile();
};

// GSM 11.11 EF SST: service n in byte (n-1)/4, allocated in bit 2((n-1) mod 4), activated in the next.
bool ServiceOn(const Bytes& sst, unsigned n) {
    const unsigned shift = 2 * ((n - 1) % 4);
    return (n - 1) / 4 < sst.size() && (sst[(n - 1) / 4] >> shift & 0x3) == 0x3;
}

// Offsets of TP-DCS and TP-UDL in an EF SMS record (23.040 9.2.2.1 and 9.2.2.2).
std::pair<std::size_t, std::size_t> DcsAndUdl(const Bytes& record) {
    const std::size_t fo = 2 + record[1];
    const bool submit = (record[fo] & 0x3) == 1;
    std::size_t at = fo + (submit ? 2 : 1);
    at += 2 + (record[at] + 1) / 2 + 1;  // address, TP-PID
    const std::size_t dcs = at++;
    at += !submit ? 7 : (record[fo] >> 3 & 0x3) == 2 ? 1 : 0;  // time stamp or relative validity
    return {dcs, at};
}

TEST_F(DemoSimCard, AnswersResetAsADirectConventionT0Card) {
    EXPECT_EQ(m_card.kind, SimProfile::Kind::Sim);
    const Bytes& atr = m_card.atr;
    ASSERT_GE(atr.size(), 4u);
    EXPECT_EQ(atr[0], 0x3B);
    EXPECT_EQ(atr[1] & 0x90, 0x90) << "TA1 and TD1 present";
    std::size_t at = 2;
    std::set<unsigned> protocols;
    for (unsigned indicator = atr[1] >> 4, level = 1; at < atr.size(); ++level) {
        at += std::popcount(indicator & 0x7u);
        if (!(indicator & 0x8)) break;
        protocols.insert(atr.at(at) & 0xF);
        if (level == 1) {
            EXPECT_EQ(atr[at] & 0xF, 0) << "TD1 offers T=0 first";
        }
        indicator = atr[at++] >> 4;
    }
    const bool checked = protocols != std::set<unsigned>{0};
    EXPECT_EQ(atr.size(), at + (atr[1] & 0xF) + (checked ? 1 : 0));
    if (checked) {
        std::uint8_t sum = 0;
        for (std::size_t i = 1; i < atr.size(); ++i) sum ^= atr[i];
        EXPECT_EQ(sum, 0) << "TCK";
    }
}

TEST_F(DemoSimCard, EveryFileHasTheStructureAndSizeOfItsKind) {
    struct Expected {
        std::uint16_t directory, id;
        FileStructure structure;
        std::size_t length, minRecords;  // transparent: size and 0
    };
    const auto T = FileStructure::Transparent, L = FileStructure::LinearFixed, C = FileStructure::Cyclic;
    const Expected expected[] = {
        {kMf, 0x2FE2, T, 10, 0},        {kGsm, 0x6F38, T, 10, 0},       {kGsm, 0x6F30, T, 36, 0},
        {kGsm, 0x6F7B, T, 12, 0},       {kGsm, 0x6F07, T, 9, 0},        {kGsm, 0x6FAE, T, 1, 0},
        {kGsm, 0x6F7E, T, 11, 0},       {kGsm, 0x6F41, T, 5, 0},        {kGsm, 0x6F39, C, 3, 2},
        {kGsm, 0x6F37, T, 3, 0},        {kTelecom, 0x6F3A, L, 30, 120}, {kTelecom, 0x6F3B, L, 30, 10},
        {kTelecom, 0x6F3C, L, 176, 15}, {kTelecom, 0x6F40, L, 30, 2},   {kTelecom, 0x6F42, L, 40, 1},
        {kTelecom, 0x6F44, C, 30, 5},   {kTelecom, 0x6F4A, L, 13, 10},  {kTelecom, 0x6F4B, L, 13, 5},
        {kGsm, 0x6F20, T, 9, 0},        {kGsm, 0x6F31, T, 1, 0},        {kGsm, 0x6F78, T, 2, 0},
        {kGsm, 0x6FAD, T, 3, 0},        {kGsm, 0x6F74, T, 16, 0},
    };
    EXPECT_EQ(m_card.files.size(), std::size(expected));
    for (const Expected& e : expected) {
        const SimElementaryFile& file = File(e.directory, e.id);
        SCOPED_TRACE(file.name);
        EXPECT_EQ(file.structure, e.structure);
        if (e.structure == FileStructure::Transparent) {
            EXPECT_EQ(file.content.size(), e.length);
            EXPECT_TRUE(file.records.empty());
            continue;
        }
        EXPECT_EQ(file.recordLength, e.length);
        EXPECT_GE(file.records.size(), e.minRecords);
        for (const Bytes& record : file.records) EXPECT_EQ(record.size(), e.length);
    }
    const auto access = [&](std::uint16_t dir, std::uint16_t id) { return File(dir, id).access; };
    EXPECT_EQ(access(kMf, 0x2FE2).update, AccessLevel::Never);
    EXPECT_EQ(access(kGsm, 0x6F39).increase, AccessLevel::Chv1);
    EXPECT_EQ(access(kTelecom, 0x6F3A).invalidate, AccessLevel::Chv2);
    EXPECT_EQ(access(kTelecom, 0x6F3B).update, AccessLevel::Chv2);
    EXPECT_EQ(access(kTelecom, 0x6F4B).update, AccessLevel::Chv2);
}

TEST_F(DemoSimCard, SubscriptionFilesHoldTheirStandardCodings) {
    // 8942001200112233440 with its Luhn digit, swapped nibbles, filler F.
    EXPECT_EQ(File(kMf, 0x2FE2).content, (Bytes{0x98, 0x24, 0x00, 0x21, 0x00, 0x11, 0x22, 0x33, 0x44, 0xF0}));
    // IMSI 230011234567890: 8 bytes follow, first nibble 9 = IMSI with an odd digit count.
    EXPECT_EQ(File(kGsm, 0x6F07).content, (Bytes{0x08, 0x29, 0x03, 0x10, 0x21, 0x43, 0x65, 0x87, 0x09}));
    EXPECT_EQ(File(kGsm, 0x6FAE).content, Bytes{0x02});
    // "EUR", EPPU 15 and exponent -2: 0.15 per unit.
    EXPECT_EQ(File(kGsm, 0x6F41).content, (Bytes{'E', 'U', 'R', 0x00, 0x5F}));
    EXPECT_EQ(File(kGsm, 0x6F39).records.at(0), (Bytes{0x00, 0x00, 0x96}));
    EXPECT_EQ(File(kGsm, 0x6F37).content, (Bytes{0x00, 0x03, 0xE8}));
    // 232-01, 262-01, 231-01, 260-02, 228-01, then empty slots.
    EXPECT_EQ(File(kGsm, 0x6F30).content,
              Filled({0x32, 0xF2, 0x10, 0x62, 0xF2, 0x10, 0x32, 0xF1, 0x10, 0x62, 0xF0, 0x20, 0x22, 0xF8, 0x10}, 36));
    EXPECT_EQ(File(kGsm, 0x6F7B).content, Filled({0x32, 0xF0, 0x20, 0x32, 0xF1, 0x20}, 12));
    EXPECT_EQ(File(kGsm, 0x6F7E).content, (Bytes{0x1A, 0x2B, 0x3C, 0x4D, 0x32, 0xF0, 0x10, 0x01, 0x2C, F, 0x00}));

    const Bytes& sst = File(kGsm, 0x6F38).content;
    for (unsigned service : {1, 2, 3, 4, 5, 7, 9, 10, 11, 12, 13}) EXPECT_TRUE(ServiceOn(sst, service)) << service;
    for (unsigned service : {6, 8, 14, 40}) EXPECT_FALSE(ServiceOn(sst, service)) << service;
}

TEST_F(DemoSimCard, DiallingRecordsAndTheirExtensionChainsAreCodedByteForByte) {
    const auto& adn = Records(0x6F3A);
    const auto& fdn = Records(0x6F3B);
    const SimElementaryFile& ext1 = File(kTelecom, 0x6F4A);
    const SimElementaryFile& ext2 = File(kTelecom, 0x6F4B);
    ASSERT_TRUE(adn.size() >= 6 && fdn.size() >= 3 && ext1.records.size() >= 3 && !ext2.records.empty());
    // "Jürgen Müller" in the default alphabet (ü = 0x7E), +49301234567.
    EXPECT_EQ(adn[0], Dialling({0x4A, 0x7E, 0x72, 0x67, 0x65, 0x6E, 0x20, 0x4D, 0x7E, 0x6C, 0x6C, 0x65, 0x72},
                               {0x07, 0x91, 0x94, 0x03, 0x21, 0x43, 0x65, 0xF7}));
    // "Bank Hotline", 24 digits: 20 in the record (length 11), the rest in EXT1 record 1.
    EXPECT_EQ(adn[1], Dialling({'B', 'a', 'n', 'k', ' ', 'H', 'o', 't', 'l', 'i', 'n', 'e'},
                               {0x0B, 0x91, 0x24, 0x20, 0x12, 0x32, 0x54, 0x76, 0x1C, 0x32, 0xC4, 0x89, F, 0x01}));
    EXPECT_EQ(ext1.records[0], Filled({0x02, 0x02, 0x67, 0x45}, 13));
    // "Šárka" in the UCS2 form, national number 602345678.
    EXPECT_EQ(adn[2], Dialling({0x80, 0x01, 0x60, 0x00, 0xE1, 0x00, 0x72, 0x00, 0x6B, 0x00, 0x61},
                               {0x06, 0x81, 0x06, 0x32, 0x54, 0x76, 0xF8}));
    // "Petr @ work": '@' is septet 0x00.
    EXPECT_EQ(adn[4], Dialling({'P', 'e', 't', 'r', ' ', 0x00, ' ', 'w', 'o', 'r', 'k'},
                               {0x07, 0x91, 0x24, 0x20, 0x42, 0x78, 0x56, 0x34}));
    EXPECT_EQ(adn[5], Bytes(30, F));

    // "Conference", 42 digits: 442079460000p1234567 in the record, 89#p987654321#p13579 in EXT1
    // record 2, 24 in EXT1 record 3.
    EXPECT_EQ(adn[3][29], 0x02);
    EXPECT_EQ(ext1.records[1], (Bytes{0x02, 0x0A, 0x98, 0xCB, 0x89, 0x67, 0x45, 0x23, 0xB1, 0x1C, 0x53, 0x97, 0x03}));
    EXPECT_EQ(ext1.records[2], Filled({0x02, 0x01, 0x42}, 13));
    // FDN "Office PBX", +420234567890p4455p6123456: 23456 continues in EXT2 record 1.
    EXPECT_EQ(fdn[2], Dialling({'O', 'f', 'f', 'i', 'c', 'e', ' ', 'P', 'B', 'X'},
                               {0x0B, 0x91, 0x24, 0x20, 0x43, 0x65, 0x87, 0x09, 0x4C, 0x54, 0xC5, 0x16, F, 0x01}));
    EXPECT_EQ(ext2.records[0], Filled({0x02, 0x03, 0x32, 0x54, 0xF6}, 13));
    // Records nobody links to are free: all 0xFF.
    for (std::size_t i = 3; i < ext1.records.size(); ++i) EXPECT_EQ(ext1.records[i], Bytes(13, 0xFF)) << i;
    for (std::size_t i = 1; i < ext2.records.size(); ++i) EXPECT_EQ(ext2.records[i], Bytes(13, 0xFF)) << i;
}

TEST_F(DemoSimCard, DiallingFilesAreFilledWithGaps) {
    const auto used = [](const std::vector<Bytes>& records) {
        std::vector<bool> flags;
        for (const Bytes& record : records) flags.push_back(record[16] != 0xFF);
        return flags;
    };
    const auto& adn = Records(0x6F3A);
    const std::vector<bool> adnUsed = used(adn);
    EXPECT_GE(std::count(adnUsed.begin(), adnUsed.end(), true), 100);
    std::set<std::uint8_t> numberTypes;
    bool gap = false;
    for (std::size_t i = 1; i < adn.size(); ++i) {
        gap |= adnUsed[i] && !adnUsed[i - 1];
        if (adnUsed[i]) numberTypes.insert(adn[i][17]);
    }
    EXPECT_TRUE(gap);
    EXPECT_EQ(numberTypes, (std::set<std::uint8_t>{0x81, 0x91}));

    EXPECT_EQ(used(Records(0x6F3B)), (std::vector<bool>{1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(used(Records(0x6F40)), (std::vector<bool>{1, 0}));
    EXPECT_EQ(used(Records(0x6F44)), (std::vector<bool>{1, 1, 1, 0, 0}));
}

TEST_F(DemoSimCard, ShortMessagesCoverEveryStatusAndCoding) {
    const auto& sms = Records(0x6F3C);
    ASSERT_GE(sms.size(), 15u);
    // Received, read; centre +420603052000; SMS-DELIVER (no more messages) from +420603123456 at
    // 03.12.2001 14:25:30 UTC+1; "Dinner at 8?" as 12 septets packed into 11 bytes.
    EXPECT_EQ(sms[0], Filled({0x01, 0x07, 0x91, 0x24, 0x60, 0x30, 0x50, 0x02, 0x00, 0x04, 0x0C, 0x91, 0x24,
                              0x60, 0x30, 0x21, 0x43, 0x65, 0x00, 0x00, 0x10, 0x21, 0x30, 0x41, 0x52, 0x03,
                              0x40, 0x0C, 0xC4, 0xB4, 0xDB, 0x5D, 0x96, 0x83, 0xC2, 0x74, 0x10, 0xEE, 0x07},
                             176));

    std::multiset<std::uint8_t> statuses;
    bool concatenated = false, ucs2 = false;
    for (const Bytes& record : sms) {
        if (record[0] == 0x00) {
            EXPECT_EQ(record, Filled({0x00}, 176));
            continue;
        }
        statuses.insert(record[0]);
        const std::size_t fo = 2 + record[1];
        const bool submit = (record[fo] & 0x3) == 1;
        EXPECT_EQ(submit, record[0] == 0x05 || record[0] == 0x07);
        if (submit) {
            EXPECT_EQ(record[fo] & 0x18, 0x10) << "relative validity period";
        }
        const auto [dcs, udl] = DcsAndUdl(record);
        if (record[dcs] == 0x08) ucs2 |= record[udl] % 2 == 0 && record[udl + 1] == 0x00 && record[udl + 2] == 'A';
        if (record[fo] & 0x40) {
            // UDHL 5, concatenation IE (reference 0x5A, 2 parts); the text starts after one fill bit.
            EXPECT_EQ(Bytes(&record[udl + 1], &record[udl + 5]), (Bytes{0x05, 0x00, 0x03, 0x5A}));
            if (record[udl + 6] == 1) {
                EXPECT_EQ(record[udl], 160);
                EXPECT_EQ(record[udl + 7], 0x90) << "'H' after the fill bit";
                EXPECT_EQ(record[udl + 8], 0x69) << "'i'";
                concatenated = true;
            }
        }
    }
    EXPECT_GE(statuses.size(), 10u);
    for (std::uint8_t status : {1, 3, 5, 7}) EXPECT_TRUE(statuses.contains(status)) << int(status);
    EXPECT_TRUE(concatenated);
    EXPECT_TRUE(ucs2);

    // "Home SMSC", indicators: only the destination absent; centre; PID 00, DCS 00, 24 hours.
    const auto& smsp = Records(0x6F42);
    ASSERT_EQ(smsp.size(), 1u);
    EXPECT_EQ(smsp[0], Join({Filled({'H', 'o', 'm', 'e', ' ', 'S', 'M', 'S', 'C'}, 12),
                             {0xE1},
                             Bytes(12, F),
                             Filled({0x07, 0x91, 0x24, 0x60, 0x30, 0x50, 0x02, 0x00}, 12),
                             {0x00, 0x00, 0xA7}}));
}

TEST(DemoTelephoneCard, IsAValidCzechCardOfThirtyUnits) {
    const SimProfile card = BuildDemoTelephoneCard();
    EXPECT_EQ(card.kind, SimProfile::Kind::MemoryCard);
    const auto& b = card.memory;
    EXPECT_EQ(b[1], 0x83);
    EXPECT_EQ(b[2] & 0x01, 0);
    EXPECT_EQ(b[3], 50) << "unit class of 30 units";
    EXPECT_EQ(b[11], 85) << "Czech Republic";
    int usedBits = 0;
    for (int i = 12; i <= 30; ++i) usedBits += std::popcount(b[i]);
    EXPECT_EQ(usedBits, 14) << "2 bits set when issued, 12 units used";
}

}  // namespace
}  // namespace quillet::sim
