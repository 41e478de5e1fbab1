// The private clipboard payload of the phone book windows against bytes assembled by hand.
#include <gtest/gtest.h>

#include <cstring>

#include "phonebook/DialClipboard.h"

namespace quillet::phonebook {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Append(Bytes& bytes, std::string_view text) {
    bytes.push_back(static_cast<std::uint8_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// One entry as the payload carries it.
Bytes EntryBytes(std::uint32_t index, std::uint32_t used, std::string_view name, std::string_view number, Bytes ids,
                 std::uint32_t modified) {
    Bytes bytes;
    Append(bytes, index);
    Append(bytes, used);
    Append(bytes, name);
    Append(bytes, number);
    bytes.insert(bytes.end(), ids.begin(), ids.end());
    Append(bytes, modified);
    return bytes;
}

Bytes Payload(const std::vector<Bytes>& entries, bool endMark = true) {
    Bytes bytes;
    Append(bytes, 0x01020304u);
    for (const Bytes& entry : entries) bytes.insert(bytes.end(), entry.begin(), entry.end());
    if (endMark) Append(bytes, kPayloadEnd);
    return bytes;
}

const std::string_view kAtName("Petr \0 work", 11);  // GSM '@' is 0x00

TEST(DialClipboard, EntriesTravelByteForByte) {
    PhoneBookEntry used = EmptyPosition(4);
    used.used = 1;
    SetNameBytes(used, kAtName);
    std::strcpy(used.number, "420224876543");
    used.ton = 1;
    used.npi = 9;
    used.extensionId = 3;
    PhoneBookEntry empty = EmptyPosition(5);
    empty.modified = 1;
    const Bytes expected = Payload({EntryBytes(4, 1, kAtName, "420224876543", {1, 9, 0xFF, 3}, 0),
                                    EntryBytes(5, 0, "", "", {0, 0, 0xFF, 0xFF}, 1)});
    const PhoneBookEntry entries[] = {used, empty};

    EXPECT_EQ(PackDialPayload(0x01020304u, entries), expected);
    const std::optional<DialPayload> parsed = ParseDialPayload(expected);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->source, 0x01020304u);
    ASSERT_EQ(parsed->entries.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(std::memcmp(&parsed->entries[i], &entries[i], sizeof used), 0) << i;
    EXPECT_EQ(DialEntriesAsText(entries), "Petr @ work\t'+420224876543\r\n");
}

TEST(DialClipboard, MalformedPayloadsAreRefused) {
    const Bytes good = Payload({EntryBytes(0, 1, std::string(32, 'n'), std::string(60, '9'), {0, 1, 0xFF, 0xFF}, 1)});
    ASSERT_TRUE(ParseDialPayload(good));
    for (std::size_t length = 0; length < good.size(); ++length) {
        EXPECT_FALSE(ParseDialPayload(std::span(good).first(length))) << length;
    }
    const struct {
        const char* what;
        Bytes bytes;
    } refused[] = {
        {"no end mark", Payload({EntryBytes(0, 1, "A", "1", {0, 1, 0xFF, 0xFF}, 1), Bytes(4, 0)}, false)},
        {"name of 33 bytes", Payload({EntryBytes(0, 1, std::string(33, 'n'), "1", {0, 1, 0xFF, 0xFF}, 1)})},
        {"number of 61", Payload({EntryBytes(0, 1, "A", std::string(61, '9'), {0, 1, 0xFF, 0xFF}, 1)})},
        {"letter in number", Payload({EntryBytes(0, 1, "A", "12A", {0, 1, 0xFF, 0xFF}, 1)})},
        {"'+' in number", Payload({EntryBytes(0, 1, "A", "+12", {0, 1, 0xFF, 0xFF}, 1)})},
        {"0xFF in name", Payload({EntryBytes(0, 1,
                                             "A\xFF"
                                             "B",
                                             "1", {0, 1, 0xFF, 0xFF}, 1)})},
    };
    for (const auto& r : refused) EXPECT_FALSE(ParseDialPayload(r.bytes)) << r.what;

    // Another program's payload of any size is read only as far as a window could use it.
    const std::vector<PhoneBookEntry> many(400, EmptyPosition(0));
    const std::optional<DialPayload> big = ParseDialPayload(PackDialPayload(1, many));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->entries.size(), kMaxPayloadEntries);
}

}  // namespace
}  // namespace quillet::phonebook
