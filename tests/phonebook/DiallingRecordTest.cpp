// Dialling-number records and their extension records, against hand-assembled bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "phonebook/DiallingRecord.h"

namespace quillet::phonebook {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// An extension file image: count, record length 13, the records.
Bytes ExtensionImage(std::initializer_list<Bytes> records) {
    Bytes image = {static_cast<std::uint8_t>(records.size()), 13};
    for (const Bytes& record : records) image.insert(image.end(), record.begin(), record.end());
    return image;
}

const Bytes kNoExtensions = {0, 0};

PhoneBookEntry Decode(const Bytes& record, Bytes extensions = kNoExtensions) {
    PhoneBookEntry entry{};
    DecodeDiallingRecord(record, card::FileImage(extensions), 7, entry);
    return entry;
}

// "Jan", +12345 in a record with a 4-byte name field.
const Bytes kJan = {0x4A, 0x61, 0x6E, 0xFF, 0x04, 0x91, 0x21, 0x43, 0xF5,
                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

TEST(DiallingRecord, DecodesNameNumberAndTypeOfNumber) {
    const PhoneBookEntry entry = Decode(kJan);
    EXPECT_EQ(entry.used, 1u);
    EXPECT_EQ(entry.index, 7);
    EXPECT_STREQ(entry.name, "Jan");
    EXPECT_STREQ(entry.number, "12345");
    EXPECT_EQ(entry.ton, 1);
    EXPECT_EQ(entry.npi, 1);
    EXPECT_EQ(entry.capabilityId, 0xFF);
    EXPECT_EQ(entry.extensionId, 0xFF);
    EXPECT_EQ(EncodeDiallingRecord(entry, kJan.size(), 0xFF), kJan);
}

// GSM '@' is 0x00 and UCS2 text is full of zero bytes; none of them may cut the name on the way
// back to a card, not even a zero at the very end.
TEST(DiallingRecord, NamesWithZeroBytesComeBackWhole) {
    for (const Bytes& name : {Bytes{0x80, 0x00, 0x41, 0x01, 0x00}, Bytes{'A', 0x00, 'B'}, Bytes{0x00}}) {
        Bytes record(8 + 14, 0xFF);
        std::copy(name.begin(), name.end(), record.begin());
        record[8] = 0x01;
        const PhoneBookEntry entry = Decode(record);
        EXPECT_EQ(NameBytes(entry), std::string(name.begin(), name.end()));
        EXPECT_EQ(EncodeDiallingRecord(entry, record.size(), 0xFF), record);
    }
    // A plain name is the plain zero-terminated text, and no card name holds 0xFF.
    PhoneBookEntry entry{};
    SetNameBytes(entry, std::string("Eva\xFFZ", 5));
    EXPECT_EQ(std::string(entry.name, sizeof entry.name), "Eva" + std::string(30, '\0'));
    SetNameBytes(entry, std::string(40, '\0'));
    EXPECT_EQ(NameBytes(entry).size(), 32u);
}

TEST(DiallingRecord, EmptyAndShortRecords) {
    const PhoneBookEntry empty = Decode(Bytes(18, 0xFF));
    EXPECT_EQ(empty.used, 0u);
    EXPECT_EQ(empty.index, 7);
    EXPECT_EQ(empty.capabilityId, 0);
    EXPECT_EQ(empty.extensionId, 0);

    Bytes lengthOne = kJan;
    lengthOne[4] = 0x01;
    const PhoneBookEntry noDigits = Decode(lengthOne);
    EXPECT_EQ(noDigits.used, 1u);
    EXPECT_STREQ(noDigits.number, "");
    EXPECT_EQ(noDigits.ton, 1);

    Bytes lengthZero = kJan;
    lengthZero[4] = 0x00;
    const PhoneBookEntry zero = Decode(lengthZero);
    EXPECT_EQ(zero.used, 1u);
    EXPECT_EQ(zero.ton, 0);
    EXPECT_EQ(zero.npi, 0);

    // A name that fills its field has no 0xFF to end it.
    Bytes fullName = kJan;
    fullName[3] = 'a';
    EXPECT_STREQ(Decode(fullName).name, "Jana");

    // A length byte beyond the record's 10 number bytes reads only those.
    Bytes tooLong = kJan;
    tooLong[4] = 0x30;
    EXPECT_STREQ(Decode(tooLong).number, "12345");
    EXPECT_EQ(Decode(Bytes(10, 0x00)).used, 0u);  // shorter than any dialling record
}

TEST(DiallingRecord, ExtensionRecordsCarryFurtherDigits) {
    // 20 digits in the record, 4 more in EXT record 1.
    const Bytes record = Concat(
        {{'B', 'a', 'n', 'k', 0x0B, 0x81}, {0x21, 0x43, 0x65, 0x87, 0x09, 0x21, 0x43, 0x65, 0x87, 0x09}, {0xFF, 0x01}});
    const Bytes extensions =
        ExtensionImage({{0x02, 0x02, 0x21, 0x43, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}});
    const PhoneBookEntry entry = Decode(record, extensions);
    EXPECT_STREQ(entry.number, "123456789012345678901234");
    EXPECT_EQ(entry.extensionId, 1);
    EXPECT_EQ(ExtensionRecordsNeeded(entry), 1u);
    EXPECT_EQ(EncodeDiallingRecord(entry, record.size(), 1), record);
    const std::vector<std::uint8_t> nibbles = NumberNibbles(entry);
    const std::uint8_t chain[] = {1};
    EXPECT_EQ(EncodeExtensionChain(std::span(nibbles).subspan(20), chain)[0],
              Bytes(extensions.begin() + 2, extensions.end()));

    // Without the extension file the number ends after the record's 20 digits.
    EXPECT_STREQ(Decode(record).number, "12345678901234567890");
}

TEST(DiallingRecord, ChainsStopAtSixtyDigitsAndAtLoops) {
    const Bytes full = {0x02, 0x0A, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11};
    const Bytes record = Concat({{'X', 0xFF, 0xFF, 0xFF, 0x0B, 0x81},
                                 {0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22},
                                 {0xFF, 0x01}});
    const Bytes threeLinks = ExtensionImage({Concat({full, {0x02}}), Concat({full, {0x03}}), Concat({full, {0xFF}})});
    EXPECT_EQ(std::string(Decode(record, threeLinks).number), std::string(20, '2') + std::string(40, '1'));

    const Bytes loop = ExtensionImage({Concat({full, {0x02}}), Concat({full, {0x01}})});
    EXPECT_EQ(std::string(Decode(record, loop).number).size(), 60u);
    const Bytes selfLoop = ExtensionImage({Concat({full, {0x01}})});
    EXPECT_EQ(std::string(Decode(record, selfLoop).number), std::string(20, '2') + std::string(20, '1'));
    const Bytes outside = ExtensionImage({Concat({full, {0x09}})});
    EXPECT_EQ(std::string(Decode(record, outside).number).size(), 40u);
    // A subaddress record (type 1) carries no digits but the chain goes on.
    const Bytes subaddress = ExtensionImage({Concat({{0x01}, Bytes(11, 0x33), {0x02}}), Concat({full, {0xFF}})});
    EXPECT_EQ(std::string(Decode(record, subaddress).number).size(), 40u);
}

TEST(DiallingRecord, EncodingPadsAndCountsBcdBytes) {
    PhoneBookEntry entry{};
    entry.used = 1;
    std::strcpy(entry.name, "ABCDEFG");  // longer than the 4-byte field
    std::strcpy(entry.number, "*31#P1");
    entry.ton = 0;
    entry.npi = 1;
    entry.capabilityId = 0xFF;
    EXPECT_EQ(EncodeDiallingRecord(entry, 18, 0xFF), (Bytes{'A', 'B', 'C', 'D', 0x04, 0x81, 0x3A, 0xB1, 0x1C, 0xFF,
                                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    PhoneBookEntry empty{};
    EXPECT_EQ(EncodeDiallingRecord(empty, 18, 0xFF), Bytes(18, 0xFF));
    // An entry from text carries 0 for "no capability record": the card gets 0xFF.
    entry.capabilityId = 0;
    const Bytes fromText = EncodeDiallingRecord(entry, 18, 0);
    EXPECT_EQ(fromText[16], 0xFF);
    EXPECT_EQ(fromText[17], 0xFF);
    // Names longer than the field are cut; fields longer than 32 bytes still hold at most 32.
    std::strcpy(entry.name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
    const Bytes wide = EncodeDiallingRecord(entry, 50, 0xFF);
    EXPECT_EQ(wide[31], '5');
    EXPECT_EQ(wide[32], 0xFF);
    PhoneBookEntry decoded{};
    DecodeDiallingRecord(wide, card::FileImage(const_cast<Bytes&>(kNoExtensions)), 0, decoded);
    EXPECT_STREQ(decoded.name, entry.name);
}

}  // namespace
}  // namespace quillet::phonebook
