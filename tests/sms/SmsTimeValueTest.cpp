// The date-or-validity texts: the cases of tests/vectors/sms/date-texts.txt, then the limits of
// parsing, display and normalisation.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "sms/SmsTimeValue.h"

namespace quillet::sms {
namespace {

std::string Format(const SmsTimeValue& value, std::size_t capacity = 64) {
    std::string buffer(capacity, 'x');
    const std::size_t length = FormatDateOrValidity(value, buffer);
    EXPECT_EQ(buffer.at(length), '\0');
    return buffer.substr(0, length);
}

TEST(SmsDateTexts, VectorsParseShowAndChoose) {
    std::ifstream in(QUILLET_VECTORS_DIR "/sms/date-texts.txt");
    ASSERT_TRUE(in.is_open());
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        const std::size_t space = line.find(' '), bar = line.rfind(" | ");
        if (line.empty() || line[0] == '#' || space == std::string::npos || bar == std::string::npos) continue;
        const std::string kind = line.substr(0, space), text = line.substr(space + 1, bar - space - 1);
        const std::string want = line.substr(bar + 3);
        SCOPED_TRACE(line);
        ++cases;
        SmsTimeValue value{};
        unsigned day = 0, month = 0, year = 0, hour = 0, minute = 0;
        if (kind == "parse" && want == "-") {
            EXPECT_FALSE(ParseDateOrValidity(text, value));
        } else if (kind == "parse" && std::sscanf(want.c_str(), "%u.%u.%u %u:%u", &day, &month, &year, &hour,
                                                  &minute) == 5) {
            ASSERT_TRUE(ParseDateOrValidity(text, value));
            EXPECT_EQ((std::array<unsigned, 7>{value.isDate, value.day, value.month, value.year, value.hour,
                                               value.minute, value.second}),
                      (std::array<unsigned, 7>{1, day, month, year, hour, minute, 0}));
        } else if (kind == "parse") {
            ASSERT_TRUE(ParseDateOrValidity(text, value));
            EXPECT_EQ(value.isDate, 0u);
            EXPECT_EQ(value.validity, std::stoi(want));
        } else if (kind == "show") {
            value.validity = static_cast<std::uint8_t>(std::stoi(text));
            EXPECT_EQ(Format(value), want);
        } else if (kind == "offered") {
            EXPECT_EQ(ValidityChoiceText(std::stoi(text)), want);
        } else if (kind == "choice") {
            EXPECT_EQ(std::to_string(ValidityChoiceOf(text, true)) + " " + std::to_string(ValidityChoiceOf(text, false)),
                      want);
        } else {
            ADD_FAILURE() << "unknown kind";
        }
    }
    EXPECT_GE(cases, 85);
}

TEST(SmsDateTexts, ParsingReadsTransliteratedTextUpTo63Characters) {
    SmsTimeValue value{};
    ASSERT_TRUE(ParseDateOrValidity("10 d\xC1ys", value));  // Windows-1250 A-acute reads as A
    EXPECT_EQ(value.validity, 176);
    // 0x91 turns into 0x92 and then into '.', as does any unknown byte such as 0x80.
    EXPECT_TRUE(ParseDateOrValidity("1\x91" "1\x80" "99 10:00", value));
    EXPECT_TRUE(ParseDateOrValidity("1.1.99 10:00" + std::string(51, ' ') + "x", value));
    EXPECT_FALSE(ParseDateOrValidity("1.1.99 10:00" + std::string(50, ' ') + "x", value));
}

TEST(SmsDateTexts, DatesShowTwoDigitsEachCutToTheBuffer) {
    const SmsTimeValue value{1, 3, 12, 109, 14, 25, 0, 0, 0};  // 109: a time-stamp byte with a nibble above 9
    EXPECT_EQ(Format(value), "03.12.09 14:25");
    EXPECT_EQ(Format(value, 6), "03.12");
    EXPECT_EQ(FormatDateOrValidity(value, std::span<char>()), 0u);
}

TEST(SmsDateTexts, NormalizeKeepsValidTextsAndOtherwiseWritesTheTime) {
    const std::tm now{.tm_sec = 0, .tm_min = 7, .tm_hour = 8, .tm_mday = 9, .tm_mon = 0, .tm_year = 124};
    const auto normalize = [&](std::string text, std::size_t size = 16) {
        text.resize(size, '\0');
        NormalizeDateText(text, now);
        return std::string(text.c_str());
    };
    EXPECT_EQ(normalize("12.5.99 7:05"), "12.5.99 7:05");
    EXPECT_EQ(normalize("7 days"), "7 days");
    EXPECT_EQ(normalize(""), "09.01.24 08:07");
    EXPECT_EQ(normalize("0 days"), "09.01.24 08:07");
    EXPECT_EQ(normalize("abcdefghijklmnop"), "09.01.24 08:07");  // no terminator in the buffer
    EXPECT_EQ(normalize("x", 6), "09.01");
    char field[16] = "bad";
    NormalizeDateText(field);
    SmsTimeValue value{};
    EXPECT_TRUE(ParseDateOrValidity(field, value) && value.isDate == 1);
}

}  // namespace
}  // namespace quillet::sms
