// Names as typed, encoded for the card and cut to a record's room.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "card/GsmText.h"
#include "phonebook/DiallingRecord.h"
#include "phonebook/EntryName.h"

namespace quillet::phonebook {
namespace {

using Bytes = std::vector<std::uint8_t>;

PhoneBookEntry WithName(const Bytes& bytes) {
    PhoneBookEntry entry = EmptyPosition(0);
    entry.used = 1;
    SetNameBytes(entry, std::string(bytes.begin(), bytes.end()));
    return entry;
}

Bytes NameOf(const PhoneBookEntry& entry) {
    const std::string_view name = NameBytes(entry);
    return Bytes(name.begin(), name.end());
}

std::u32string Text(std::string_view utf8) { return card::TextFromUtf8(utf8).value(); }

TEST(EntryName, TypedNamesAreStoredInTheShortestFormThatFits) {
    struct Case {
        const char* typed;
        std::size_t maxBytes;
        std::optional<Bytes> stored;  // nothing: refused, the old name stays
    };
    const Case cases[] = {
        {"Řehoř", 20, Bytes{0x81, 0x05, 0x02, 0xD8, 0x65, 0x68, 0x6F, 0xD9}},
        {"me@home $5_ok", 14, Bytes{0x6D, 0x65, 0x00, 0x68, 0x6F, 0x6D, 0x65, 0x20, 0x02, 0x35, 0x11, 0x6F, 0x6B}},
        {"me@home $5_ok", 12, std::nullopt},
        {"Müller", 6, Bytes{0x4D, 0x7E, 0x6C, 0x6C, 0x65, 0x72}},
        {"[x]", 5, Bytes{0x1B, 0x3C, 0x78, 0x1B, 0x3E}},
        {"[x]", 4, std::nullopt},
        {"", 0, Bytes{}},
        // the entry holds 32 bytes, whatever the record holds
        {"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", 50, Bytes(32, 'W')},
        {"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", 50, std::nullopt},
        // no 0xFF inside a name: a record would end it there (0x81 and 0x80 forms would hold one)
        {"ÿ", 10, Bytes{0x82, 0x01, 0x00, 0xF0, 0x8F}},
        {"ÿ", 4, std::nullopt},
        {"A😀", 32, std::nullopt},  // beyond every form
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.typed) + " in " + std::to_string(test.maxBytes));
        PhoneBookEntry entry = WithName({'O', 'l', 'd'});
        EXPECT_EQ(SetNameText(entry, Text(test.typed), test.maxBytes), test.stored.has_value());
        EXPECT_EQ(NameOf(entry), test.stored.value_or(Bytes{'O', 'l', 'd'}));
        if (test.stored) {
            EXPECT_EQ(NameText(entry), Text(test.typed));
        }

        // The edit dialog's count agrees with what storing does.
        const std::optional<std::size_t> left = NameBytesLeft(Text(test.typed), test.maxBytes);
        EXPECT_EQ(left.has_value(), test.stored.has_value());
        if (left) {
            EXPECT_EQ(*left, std::min<std::size_t>(test.maxBytes, 32) - test.stored->size());
        }
    }
}

// A name longer than the record's name bytes loses whole characters; the cut name reads as the
// start of the whole one.
TEST(EntryName, RecordsCutNamesAtCharacters) {
    struct Case {
        Bytes name;
        std::size_t alphaLength;
        Bytes field;
    };
    const Case cases[] = {
        {{'A', 'B', 'C', 'D', 'E'}, 4, {'A', 'B', 'C', 'D'}},
        {{'A', 'B', 0x1B, 0x3C}, 3, {'A', 'B', 0xFF}},  // not half of the escape pair of '['
        {{0x81, 0x04, 0x02, 0x8C, 0x65, 0x63, 0x68}, 5, {0x81, 0x02, 0x02, 0x8C, 0x65}},  // count byte follows
        // Š á r k a: a 0x82 window from 0xE1 would put Š on 0xFF, so two characters in 0x80
        {{0x80, 0x01, 0x60, 0x00, 0xE1, 0x00, 0x72, 0x00, 0x6B, 0x00, 0x61}, 6, {0x80, 0x01, 0x60, 0x00, 0xE1, 0xFF}},
        // the whole name fits in a shorter form
        {{0x80, 0x00, 0x4A, 0x00, 0xFC, 0x00, 0x72}, 4, {0x4A, 0x7E, 0x72, 0xFF}},
        // what fits stays byte for byte, even where a shorter form exists
        {{0x80, 0x00, 0x4A, 0x00, 0xFC}, 5, {0x80, 0x00, 0x4A, 0x00, 0xFC}},
        // an older editor's Windows-1250 name is cut where the field ends
        {{0xC8, 0x65, 0x63, 0x68}, 2, {0xC8, 0x65}},
    };
    for (const Case& test : cases) {
        const PhoneBookEntry entry = WithName(test.name);
        const Bytes record = EncodeDiallingRecord(entry, test.alphaLength + kDiallingFixedPart, 0xFF);
        EXPECT_EQ(Bytes(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(test.alphaLength)), test.field);
        PhoneBookEntry decoded{};
        Bytes noExtensions = {0, 0};
        DecodeDiallingRecord(record, card::FileImage(noExtensions), 0, decoded);
        const std::u32string whole = NameText(entry), cut = NameText(decoded);
        EXPECT_EQ(whole.substr(0, cut.size()), cut);
        EXPECT_FALSE(cut.empty());
    }
}

}  // namespace
}  // namespace quillet::phonebook
