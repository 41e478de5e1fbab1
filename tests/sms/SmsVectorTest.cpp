// EF_SMS records from tests/vectors/sms, each run four ways: decoded, decoded with extra 0xFF
// padding, written back, and decoded from every cut of the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sms/SmsRecordCodec.h"

namespace quillet::sms {
namespace {

struct Vector {
    std::string name;
    std::vector<std::uint8_t> record;  // padded with 0xFF to the card's record length
    SmsEntry expected{};
    bool exact = false;
    bool roundTrip = true;
};

bool SetField(Vector& v, const std::string& key, const std::string& value) {
    static const std::set<std::string> kKeys = {"used",       "status",     "messageRef", "centreTon", "centreNpi",
                                                "addressTon", "addressNpi", "centre",     "address",   "date",
                                                "text",       "exact",      "roundtrip",  "record"};
    if (!kKeys.contains(key)) return false;
    SmsEntry& e = v.expected;
    const auto number = [&] { return static_cast<std::uint8_t>(std::stoul(value)); };
    if (key == "used") e.used = number();
    if (key == "status") e.status = number();
    if (key == "messageRef") e.messageRef = number();
    if (key == "centreTon") e.centreTon = number();
    if (key == "centreNpi") e.centreNpi = number();
    if (key == "addressTon") e.addressTon = number();
    if (key == "addressNpi") e.addressNpi = number();
    if (key == "centre") SetFieldText(e.serviceCentre, value);
    if (key == "address") SetFieldText(e.address, value);
    if (key == "date") SetFieldText(e.dateOrValidity, value);
    if (key == "text") SetFieldText(e.text, value);
    if (key == "exact") v.exact = value == "yes";
    if (key == "roundtrip") v.roundTrip = value != "no";
    std::istringstream bytes(key == "record" ? value : "");
    for (std::string hex; bytes >> hex;) v.record.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    return true;
}

std::vector<Vector> LoadVectors() {
    std::vector<Vector> vectors;
    for (const char* file : {"deliver.txt", "submit.txt", "malformed.txt"}) {
        std::ifstream in(std::string(QUILLET_VECTORS_DIR "/sms/") + file);
        EXPECT_TRUE(in.is_open()) << file;
        Vector current;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            const std::size_t space = std::min(line.find(' '), line.size());
            const std::string key = line.substr(0, space), value = line.substr(std::min(space + 1, line.size()));
            if (key == "case") {
                current = Vector{};
                current.name = std::string(file) + ":" + value;
            } else if (key == "end") {
                current.record.resize(std::max(current.record.size(), kSmsRecordLength), 0xFF);
                vectors.push_back(current);
            } else if (!SetField(current, key, value)) {
                ADD_FAILURE() << file << ": cannot read line: " << line;
            }
        }
    }
    return vectors;
}

const std::vector<Vector>& Vectors() {
    static const std::vector<Vector> vectors = LoadVectors();
    return vectors;
}

void ExpectFields(const SmsEntry& a, const SmsEntry& e) {
    EXPECT_EQ((std::array{a.used, a.status, a.messageRef, std::uint32_t{a.index}}),
              (std::array{e.used, e.status, e.messageRef, std::uint32_t{e.index}}));
    EXPECT_EQ((std::array{a.centreTon, a.centreNpi, a.addressTon, a.addressNpi}),
              (std::array{e.centreTon, e.centreNpi, e.addressTon, e.addressNpi}));
    EXPECT_EQ(FieldText(a.serviceCentre), FieldText(e.serviceCentre));
    EXPECT_EQ(FieldText(a.address), FieldText(e.address));
    EXPECT_EQ(FieldText(a.dateOrValidity), FieldText(e.dateOrValidity));
    EXPECT_EQ(FieldText(a.text), FieldText(e.text));
}

// Decoded as given and with extra 0xFF padding, up to and past the 256 bytes looked at.
TEST(SmsVectors, DecodeGivesTheExpectedFieldsWithAnyPadding) {
    ASSERT_GE(Vectors().size(), 24u);
    for (const Vector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        EXPECT_EQ(IsSmsRecordInUse(v.record), v.expected.used != 0);
        for (std::size_t length : {176, 200, 256, 300}) {
            std::vector<std::uint8_t> padded = v.record;
            padded.resize(length, 0xFF);
            ExpectFields(DecodeSmsRecord(padded, 0), v.expected);
        }
    }
}

TEST(SmsVectors, WritingTheFieldsBackReadsTheSame) {
    for (const Vector& v : Vectors()) {
        if (!v.roundTrip) continue;
        SCOPED_TRACE(v.name);
        std::vector<std::uint8_t> written(kSmsRecordLength, 0x5A);
        ASSERT_EQ(EncodeSmsRecord(v.expected, written), SmsEncodeResult::kOk);
        ExpectFields(DecodeSmsRecord(written, 0), v.expected);
        if (v.exact) {
            EXPECT_EQ(written, v.record);
        }
    }
}

// Each cut is its own heap block, so a sanitizer build sees any read past it. Every field comes
// out complete or shortened: texts to a prefix, numbers and the date to nothing.
TEST(SmsVectors, CutRecordsGiveShortenedFields) {
    const auto partOf = [](auto got, auto want) { return got == want || got == decltype(got){}; };
    for (const Vector& v : Vectors()) {
        for (std::size_t length = 0; length <= v.record.size(); ++length) {
            SCOPED_TRACE(v.name + " cut to " + std::to_string(length));
            const SmsEntry a = DecodeSmsRecord(std::vector(v.record.begin(), v.record.begin() + length), 7);
            const SmsEntry& e = v.expected;
            EXPECT_EQ(a.index, 7);
            EXPECT_TRUE(a.used == (length == 0 ? 0 : e.used) && a.status == (length == 0 ? 0 : e.status));
            EXPECT_TRUE(FieldText(e.serviceCentre).starts_with(FieldText(a.serviceCentre)));
            EXPECT_TRUE(FieldText(e.address).starts_with(FieldText(a.address)));
            EXPECT_TRUE(FieldText(e.text).starts_with(FieldText(a.text)));
            EXPECT_TRUE(partOf(FieldText(a.dateOrValidity), FieldText(e.dateOrValidity)));
            EXPECT_TRUE(partOf(a.centreTon, e.centreTon) && partOf(a.centreNpi, e.centreNpi) &&
                        partOf(a.addressTon, e.addressTon) && partOf(a.addressNpi, e.addressNpi) &&
                        partOf(a.messageRef, e.messageRef));
        }
    }
}

}  // namespace
}  // namespace quillet::sms
