// EF_SMS records from tests/vectors/sms, each run four ways: decoded, written back, decoded with
// extra 0xFF padding, and decoded from every truncation of the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
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

bool SetField(Vector& vector, const std::string& key, const std::string& value) {
    SmsEntry& e = vector.expected;
    const auto number = [&] { return static_cast<std::uint32_t>(std::stoul(value)); };
    if (key == "used") e.used = number();
    else if (key == "status") e.status = number();
    else if (key == "messageRef") e.messageRef = number();
    else if (key == "centreTon") e.centreTon = static_cast<std::uint8_t>(number());
    else if (key == "centreNpi") e.centreNpi = static_cast<std::uint8_t>(number());
    else if (key == "addressTon") e.addressTon = static_cast<std::uint8_t>(number());
    else if (key == "addressNpi") e.addressNpi = static_cast<std::uint8_t>(number());
    else if (key == "centre") SetFieldText(e.serviceCentre, value);
    else if (key == "address") SetFieldText(e.address, value);
    else if (key == "date") SetFieldText(e.dateOrValidity, value);
    else if (key == "text") SetFieldText(e.text, value);
    else if (key == "exact") vector.exact = value == "yes";
    else if (key == "roundtrip") vector.roundTrip = value != "no";
    else if (key == "record") {
        std::istringstream bytes(value);
        std::string hex;
        while (bytes >> hex) vector.record.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    } else {
        return false;
    }
    return true;
}

std::vector<Vector> LoadVectors() {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(QUILLET_VECTORS_DIR "/sms")) {
        if (item.path().extension() == ".txt" && item.path().filename() != "README.txt") files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Vector> vectors;
    for (const auto& path : files) {
        std::ifstream in(path);
        std::string line;
        std::optional<Vector> current;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            const std::size_t space = line.find(' ');
            const std::string key = line.substr(0, space);
            const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
            if (key == "case") {
                current = Vector{};
                current->name = path.filename().string() + ":" + value;
            } else if (key == "end" && current) {
                current->record.resize(std::max(current->record.size(), kSmsRecordLength), 0xFF);
                vectors.push_back(*current);
                current.reset();
            } else if (!current || !SetField(*current, key, value)) {
                ADD_FAILURE() << path << ": cannot read line: " << line;
            }
        }
    }
    return vectors;
}

const std::vector<Vector>& Vectors() {
    static const std::vector<Vector> vectors = LoadVectors();
    return vectors;
}

void ExpectFields(const SmsEntry& actual, const SmsEntry& expected) {
    EXPECT_EQ(actual.used, expected.used);
    EXPECT_EQ(actual.index, expected.index);
    EXPECT_EQ(actual.status, expected.status);
    EXPECT_EQ(FieldText(actual.serviceCentre), FieldText(expected.serviceCentre));
    EXPECT_EQ(actual.centreTon, expected.centreTon);
    EXPECT_EQ(actual.centreNpi, expected.centreNpi);
    EXPECT_EQ(FieldText(actual.address), FieldText(expected.address));
    EXPECT_EQ(actual.addressTon, expected.addressTon);
    EXPECT_EQ(actual.addressNpi, expected.addressNpi);
    EXPECT_EQ(actual.messageRef, expected.messageRef);
    EXPECT_EQ(FieldText(actual.dateOrValidity), FieldText(expected.dateOrValidity));
    EXPECT_EQ(FieldText(actual.text), FieldText(expected.text));
}

TEST(SmsVectors, FilesHoldEveryKindOfCase) {
    std::size_t exact = 0, fixedOnly = 0;
    for (const Vector& v : Vectors()) {
        exact += v.exact;
        fixedOnly += !v.roundTrip;
    }
    EXPECT_GE(Vectors().size(), 20u);
    EXPECT_GE(exact, 8u);
    EXPECT_GE(fixedOnly, 3u);
}

TEST(SmsVectors, DecodeGivesTheExpectedFields) {
    for (const Vector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        ExpectFields(DecodeSmsRecord(v.record, 0), v.expected);
        EXPECT_EQ(IsSmsRecordInUse(v.record), v.expected.used != 0);
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

TEST(SmsVectors, TrailingPaddingChangesNothing) {
    for (const Vector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        for (std::size_t length : {std::size_t{200}, kMaxDecodedRecordBytes, std::size_t{300}}) {
            std::vector<std::uint8_t> padded = v.record;
            padded.resize(length, 0xFF);
            ExpectFields(DecodeSmsRecord(padded, 0), v.expected);
        }
    }
}

// Every cut of a record decodes without reading past it (each cut is its own heap block, so a
// sanitizer build sees any overrun), and each field is either complete or shortened: texts to a
// prefix, numbers and the date to nothing.
TEST(SmsVectors, TruncatedRecordsGiveShortenedFields) {
    for (const Vector& v : Vectors()) {
        SCOPED_TRACE(v.name);
        for (std::size_t length = 0; length <= v.record.size(); ++length) {
            const std::vector<std::uint8_t> cut(v.record.begin(), v.record.begin() + length);
            const SmsEntry actual = DecodeSmsRecord(cut, 7);
            const SmsEntry& e = v.expected;
            SCOPED_TRACE(length);
            EXPECT_EQ(actual.index, 7);
            EXPECT_EQ(actual.used, length == 0 ? 0 : e.used);
            EXPECT_EQ(actual.status, length == 0 ? 0 : e.status);
            for (auto [got, want] : {std::pair{FieldText(actual.serviceCentre), FieldText(e.serviceCentre)},
                                     std::pair{FieldText(actual.address), FieldText(e.address)},
                                     std::pair{FieldText(actual.text), FieldText(e.text)}}) {
                EXPECT_TRUE(want.starts_with(got)) << got << " / " << want;
            }
            const auto partOf = [](auto got, auto want) { return got == want || got == decltype(got){}; };
            EXPECT_TRUE(partOf(FieldText(actual.dateOrValidity), FieldText(e.dateOrValidity)));
            EXPECT_TRUE(partOf(actual.centreTon, e.centreTon) && partOf(actual.centreNpi, e.centreNpi));
            EXPECT_TRUE(partOf(actual.addressTon, e.addressTon) && partOf(actual.addressNpi, e.addressNpi));
            EXPECT_TRUE(partOf(actual.messageRef, e.messageRef));
        }
    }
}

}  // namespace
}  // namespace quillet::sms
