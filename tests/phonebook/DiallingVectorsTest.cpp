// Dialling-number records and their extension records: the vectors of tests/vectors/dialling, each
// run four ways: decoded, decoded from a wider name field, written back byte for byte, and decoded
// with the extension file cut at every length.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "phonebook/DiallingRecord.h"
#include "support/VectorFile.h"
#include "support/VectorsFolder.h"

namespace quillet::phonebook {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const std::string& text) { return quillet::testing::HexBytes(text); }

// What a case expects when it names no capability or extension record.
PhoneBookEntry Unlinked() {
    PhoneBookEntry entry{};
    entry.capabilityId = 0xFF;
    entry.extensionId = 0xFF;
    return entry;
}

struct Vector {
    std::string name;
    Bytes record;
    std::vector<Bytes> extensions;  // extension record n at n - 1; records not given are free
    PhoneBookEntry expected = Unlinked();
    std::string nameBytes;
    Bytes chain;
};

bool SetField(Vector& v, const std::string& key, const std::string& value) {
    PhoneBookEntry& e = v.expected;
    if (key == "record") {
        const Bytes more = Hex(value);
        v.record.insert(v.record.end(), more.begin(), more.end());
    } else if (key == "ext") {
        const std::size_t space = value.find(' ');
        const std::size_t number = std::stoul(value.substr(0, space));
        if (v.extensions.size() < number) v.extensions.resize(number, Bytes(kExtensionRecordLength, 0xFF));
        v.extensions[number - 1] = Hex(value.substr(space + 1));
    } else if (key == "used") {
        e.used = static_cast<std::uint32_t>(std::stoul(value));
    } else if (key == "name") {
        v.nameBytes = value;
    } else if (key == "namehex") {
        const Bytes bytes = Hex(value);
        v.nameBytes.assign(bytes.begin(), bytes.end());
    } else if (key == "number") {
        std::copy_n(value.begin(), std::min(value.size(), sizeof e.number - 1), e.number);
    } else if (key == "ton") {
        e.ton = static_cast<std::uint8_t>(std::stoul(value));
    } else if (key == "npi") {
        e.npi = static_cast<std::uint8_t>(std::stoul(value));
    } else if (key == "capability") {
        e.capabilityId = static_cast<std::uint8_t>(std::stoul(value, nullptr, 16));
    } else if (key == "extension") {
        e.extensionId = static_cast<std::uint8_t>(std::stoul(value, nullptr, 16));
    } else if (key == "chain") {
        std::istringstream numbers(value);
        for (unsigned number; numbers >> number;) v.chain.push_back(static_cast<std::uint8_t>(number));
    } else {
        return false;
    }
    return true;
}

std::vector<Vector> Load(const std::string& file) {
    return quillet::testing::ReadVectorCases<Vector>(quillet::testing::VectorsFolder() + "/dialling/" + file,
                                                     file + ":", SetField);
}

const std::vector<Vector>& Records() {
    static const std::vector<Vector> vectors = Load("records.txt");
    return vectors;
}

std::vector<Vector> AllVectors() {
    std::vector<Vector> all = Records();
    const std::vector<Vector> malformed = Load("malformed.txt");
    all.insert(all.end(), malformed.begin(), malformed.end());
    return all;
}

// An extension file image: record count, record length 13, the records.
Bytes ExtensionImage(const std::vector<Bytes>& records) {
    Bytes image = {static_cast<std::uint8_t>(records.size()), static_cast<std::uint8_t>(kExtensionRecordLength)};
    for (const Bytes& record : records) image.insert(image.end(), record.begin(), record.end());
    return image;
}

PhoneBookEntry Decode(const Bytes& record, const Bytes& extensionImage) {
    PhoneBookEntry entry{};
    DecodeDiallingRecord(record, card::FileImage(extensionImage), 7, entry);
    return entry;
}

auto Fields(const PhoneBookEntry& e) {
    return std::tuple(e.used, e.index, std::string(NameBytes(e)), std::string(e.number), e.ton, e.npi, e.capabilityId,
                      e.extensionId);
}

void ExpectEntry(const PhoneBookEntry& got, const Vector& v) {
    PhoneBookEntry want = v.expected;
    want.index = 7;
    SetNameBytes(want, v.nameBytes);
    EXPECT_EQ(Fields(got), Fields(want));
}

TEST(DiallingVectors, DecodeGivesTheExpectedFieldsWithAnyNameFieldWidth) {
    const std::vector<Vector> vectors = AllVectors();
    ASSERT_GE(vectors.size(), 26u);
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.name);
        const Bytes extensions = ExtensionImage(v.extensions);
        EXPECT_EQ(IsDiallingRecordInUse(v.record), v.expected.used != 0);
        ExpectEntry(Decode(v.record, extensions), v);
        if (v.record.size() < kDiallingFixedPart) continue;
        // A card with a wider name field has more 0xFF before the fixed part.
        for (std::size_t extra : {1, 6, 18}) {
            Bytes wider = v.record;
            wider.insert(wider.end() - kDiallingFixedPart, extra, 0xFF);
            ExpectEntry(Decode(wider, extensions), v);
        }
    }
}

TEST(DiallingVectors, WritingTheFieldsBackGivesTheSameRecordAndExtensionRecords) {
    ASSERT_GE(Records().size(), 14u);
    for (const Vector& v : Records()) {
        SCOPED_TRACE(v.name);
        const PhoneBookEntry entry = Decode(v.record, ExtensionImage(v.extensions));
        EXPECT_EQ(ExtensionRecordsNeeded(entry), v.chain.size());
        const std::uint8_t first = v.chain.empty() ? 0xFF : v.chain.front();
        EXPECT_EQ(EncodeDiallingRecord(entry, v.record.size(), first), v.record);

        const Bytes nibbles = NumberNibbles(entry);
        const std::span<const std::uint8_t> beyond = nibbles.size() > kDigitsPerRecord
                                                         ? std::span(nibbles).subspan(kDigitsPerRecord)
                                                         : std::span<const std::uint8_t>();
        const std::vector<Bytes> written = EncodeExtensionChain(beyond, v.chain);
        ASSERT_EQ(written.size(), v.chain.size());
        for (std::size_t link = 0; link < v.chain.size(); ++link) {
            EXPECT_EQ(written[link], v.extensions.at(v.chain[link] - 1u)) << "extension record " << int(v.chain[link]);
        }
    }
}

// Each cut is its own heap block, so a sanitizer build sees any read past it. The number comes out
// shortened to a prefix; everything the record itself holds stays.
TEST(DiallingVectors, ACutExtensionFileOnlyShortensTheNumber) {
    for (const Vector& v : AllVectors()) {
        const Bytes whole = ExtensionImage(v.extensions);
        for (std::size_t length = 0; length <= whole.size(); ++length) {
            SCOPED_TRACE(v.name + " extension file cut to " + std::to_string(length));
            const PhoneBookEntry got = Decode(v.record, Bytes(whole.begin(), whole.begin() + length));
            EXPECT_TRUE(std::string(v.expected.number).starts_with(got.number));
            PhoneBookEntry same = got;
            std::copy_n(v.expected.number, sizeof same.number, same.number);
            ExpectEntry(same, v);
        }
    }
}

}  // namespace
}  // namespace quillet::phonebook
