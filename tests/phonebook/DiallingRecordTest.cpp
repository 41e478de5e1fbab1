// Dialling-number records: what the vectors of tests/vectors/dialling cannot show, names with zero
// bytes and entries typed in rather than read from a card.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "phonebook/DiallingRecord.h"

namespace quillet::phonebook {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kNoExtensions = {0, 0};

PhoneBookEntry Decode(const Bytes& record, Bytes extensions = kNoExtensions) {
    PhoneBookEntry entry{};
    DecodeDiallingRecord(record, card::FileImage(extensions), 7, entry);
    return entry;
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
