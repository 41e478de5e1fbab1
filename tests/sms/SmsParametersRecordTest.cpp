// The EF_SMSP record codec against hand-assembled records.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/HexText.h"
#include "sms/SmsParametersRecord.h"
#include "support/VectorFile.h"

namespace quillet::sms {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SmspVector {
    std::string name;
    Bytes record;
    bool malformed = false;
    bool parameters = false;
    std::optional<std::string> centre;  // nothing: the centre is absent
    unsigned validity = 0;
    std::optional<std::string> writeCentre;
    std::uint8_t writeValidity = 0;
    Bytes written;
};

void PrintTo(const SmspVector& v, std::ostream* os) { *os << v.name; }

bool AppendHex(Bytes& bytes, const std::string& text) {
    std::string error;
    const auto decoded = sim::FromHex(text, error);
    if (decoded) bytes.insert(bytes.end(), decoded->begin(), decoded->end());
    return decoded.has_value();
}

std::vector<SmspVector> LoadVectors() {
    return testing::ReadVectorCases<SmspVector>(
        QUILLET_VECTORS_DIR "/smsp/records.txt", "",
        [](SmspVector& v, const std::string& key, const std::string& value) {
            if (key == "record") return AppendHex(v.record, value);
            if (key == "written") return AppendHex(v.written, value);
            if (key == "malformed")
                v.malformed = value == "yes";
            else if (key == "parameters")
                v.parameters = value == "yes";
            else if (key == "centre")
                v.centre = value == "-" ? std::nullopt : std::optional<std::string>(value);
            else if (key == "validity")
                v.validity = static_cast<unsigned>(std::stoul(value));
            else if (key == "write") {
                const std::size_t bar = value.find(" | ");
                if (bar == std::string::npos) return false;
                v.writeCentre = value.substr(0, bar);
                v.writeValidity = static_cast<std::uint8_t>(std::stoul(value.substr(bar + 3)));
            } else {
                return false;
            }
            return true;
        });
}

class SmspVectors : public ::testing::TestWithParam<SmspVector> {};

void ExpectFields(const SmsParametersRecord& record, const SmspVector& v) {
    EXPECT_EQ(record.HasParameters(), v.parameters);
    EXPECT_EQ(record.HasCentre(), v.centre.has_value());
    if (v.centre) {
        EXPECT_EQ(record.CentreText(), *v.centre);
    }
    EXPECT_EQ(record.ValidityOrZero(), v.validity);
}

TEST_P(SmspVectors, DecodeEncodeAndWrite) {
    const SmspVector& v = GetParam();
    const std::optional<SmsParametersRecord> record = DecodeSmsParametersRecord(v.record);
    if (v.malformed) {
        EXPECT_FALSE(record.has_value());
        return;
    }
    ASSERT_TRUE(record.has_value());
    ExpectFields(*record, v);
    EXPECT_EQ(EncodeSmsParametersRecord(*record), v.record);

    // A longer alpha identifier moves the fixed part but not its meaning.
    Bytes longer(5, 0xFF);
    longer.insert(longer.end(), v.record.begin(), v.record.end());
    const std::optional<SmsParametersRecord> shifted = DecodeSmsParametersRecord(longer);
    ASSERT_TRUE(shifted.has_value());
    ExpectFields(*shifted, v);
    EXPECT_EQ(EncodeSmsParametersRecord(*shifted), longer);

    if (v.writeCentre) {
        SmsParametersRecord changed = *record;
        const bool international = v.writeCentre->starts_with('+');
        changed.SetCentreAndValidity(std::string_view(*v.writeCentre).substr(international ? 1 : 0), international,
                                     v.writeValidity);
        EXPECT_EQ(sim::ToHex(EncodeSmsParametersRecord(changed)), sim::ToHex(v.written));
        // What was written reads back.
        EXPECT_EQ(changed.CentreText(), *v.writeCentre);
        EXPECT_EQ(changed.ValidityOrZero(), v.writeValidity);
    }
}

INSTANTIATE_TEST_SUITE_P(Records, SmspVectors, ::testing::ValuesIn(LoadVectors()), [](const auto& test) {
    std::string name = test.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
});

TEST(SmspRecord, ACentreOfTwentyDigitsFillsTheAddressAndMoreIsCut) {
    SmsParametersRecord record = *DecodeSmsParametersRecord(Bytes(28, 0xFF));
    record.SetCentreAndValidity("12345678901234567890", false, 0);
    EXPECT_EQ(record.centre[0], 11);
    EXPECT_EQ(record.CentreText(), "12345678901234567890");
    record.SetCentreAndValidity("123456789012345678901", false, 0);
    EXPECT_EQ(record.centre[0], 11);
    EXPECT_EQ(record.CentreText(), "12345678901234567890");
}

}  // namespace
}  // namespace quillet::sms
