// The date-or-validity texts: parsing, display, normalisation and the standard validity choices.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "sms/SmsTimeValue.h"
#include "sms/ValidityWords.h"

namespace quillet::sms {
namespace {

std::string Format(const SmsTimeValue& value, std::size_t capacity = 64) {
    std::string buffer(capacity, 'x');
    const std::size_t length = FormatDateOrValidity(value, buffer);
    EXPECT_EQ(buffer.at(length), '\0');
    return buffer.substr(0, length);
}

std::string ShowValidity(std::uint8_t validity) {
    SmsTimeValue value{};
    value.validity = validity;
    return Format(value);
}

// The validity byte of a text, or -1 when it is not a relative validity.
int ValidityOf(std::string_view text) {
    SmsTimeValue value{};
    if (!ParseDateOrValidity(text, value) || value.isDate != 0) return -1;
    return value.validity;
}

TEST(SmsValidity, RelativeByteIsShownWithTheUnitOfItsRange) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {0, "5 min"},      {11, "60 min"},     {46, "235 min"},    {47, "4 hours"},   {143, "12 hours"},
        {144, "12 hours"}, {167, "24 hours"},  {168, "2 days"},    {170, "4 days"},   {171, "5 days"},
        {196, "30 days"},  {197, "35 days"},   {255, "441 days"},
    };
    for (auto [validity, text] : cases) EXPECT_EQ(ShowValidity(validity), text) << int(validity);
}

TEST(SmsValidity, TextsParseToTheRelativeByte) {
    const std::pair<const char*, int> cases[] = {
        {"1 hour", 11},     {"1 HOURS", 11},    {"3 days", 169},     {"364 days", 244}, {"720 min", 143},
        {"60 mins", 11},    {"1 day", 167},     {"24 hours", 167},   {"7 days", 173},   {"31 days", 196},
        {"10 days", 176},   {"441 days", 255},  {"4 min", 0},        {"12 hours", 143}, {"23 hours", 165},
        {"47 hours", 167},  {"  5 minutes", 0}, {"2 hours, 3 days", 23},
        {"10 d\xC1ys", 176},  // Windows-1250 letters are read as their plain ASCII cousins
        {"0 days", -1},     {"48 hours", -1},   {"442 days", -1},    {"721 min", -1},   {"5 weeks", -1},
        {"5min", -1},       {"12345 min", -1},  {"", -1},            {"days", -1},
    };
    for (auto [text, validity] : cases) EXPECT_EQ(ValidityOf(text), validity) << text;
    // Shown again in the unit of the byte's range.
    EXPECT_EQ(ShowValidity(static_cast<std::uint8_t>(ValidityOf("31 days"))), "30 days");
    EXPECT_EQ(ShowValidity(static_cast<std::uint8_t>(ValidityOf("10 days"))), "10 days");
}

TEST(SmsDateText, DatesParseWithinTheirRanges) {
    SmsTimeValue value{};
    ASSERT_TRUE(ParseDateOrValidity("12.5.99 7:05", value));
    EXPECT_EQ(value.isDate, 1u);
    EXPECT_EQ((std::array<int, 6>{value.day, value.month, value.year, value.hour, value.minute, value.second}),
              (std::array<int, 6>{12, 5, 99, 7, 5, 0}));
    EXPECT_EQ(Format(value), "12.05.99 07:05");
    for (const char* text : {"12.05.1991 10:00", "1.1.2099 0:00", " 31.12.00   23:59  ", "1.1.1 0:0"}) {
        EXPECT_TRUE(ParseDateOrValidity(text, value)) << text;
    }
    EXPECT_EQ(value.year, 1);
    // Bytes above 0x7F are transliterated first: 0x91 ends as '.', and so does an unknown 0x80.
    EXPECT_TRUE(ParseDateOrValidity("1\x91" "1\x80" "99 10:00", value));
    for (const char* text : {"12.05.1990 10:00", "12.05.2100 10:00", "0.1.99 10:00", "32.1.99 10:00",
                             "1.13.99 10:00", "1.1.99 24:00", "1.1.99 10:60", "1.1.99", "1.1.99 10:00 x",
                             "1.1.99\t10:00", "1..99 10:00", "1.1.9910:00"}) {
        EXPECT_FALSE(ParseDateOrValidity(text, value)) << text;
    }
    // Only the first 63 characters are read.
    EXPECT_TRUE(ParseDateOrValidity("1.1.99 10:00" + std::string(51, ' ') + "x", value));
    EXPECT_FALSE(ParseDateOrValidity("1.1.99 10:00" + std::string(50, ' ') + "x", value));
}

TEST(SmsDateText, DatesShowTwoDigitsEachAndAreCutToTheBuffer) {
    SmsTimeValue value{};
    value.isDate = 1;
    value.day = 3;
    value.month = 12;
    value.year = 109;  // a time-stamp byte with a nibble above 9
    value.hour = 14;
    value.minute = 25;
    EXPECT_EQ(Format(value), "03.12.09 14:25");
    EXPECT_EQ(Format(value, 16), "03.12.09 14:25");
    EXPECT_EQ(Format(value, 6), "03.12");
    EXPECT_EQ(FormatDateOrValidity(value, std::span<char>()), 0u);
}

TEST(SmsDateText, NormalizeKeepsValidTextsAndOtherwiseWritesTheTime) {
    std::tm now{};
    now.tm_mday = 9;
    now.tm_mon = 0;
    now.tm_year = 2024 - 1900;
    now.tm_hour = 8;
    now.tm_min = 7;
    const auto normalize = [&](std::string text, std::size_t size = 16) {
        text.resize(size, '\0');
        NormalizeDateText(text, now);
        return std::string(text.c_str());
    };
    EXPECT_EQ(normalize("12.5.99 7:05"), "12.5.99 7:05");
    EXPECT_EQ(normalize("7 days"), "7 days");
    EXPECT_EQ(normalize(""), "09.01.24 08:07");
    EXPECT_EQ(normalize("tomorrow"), "09.01.24 08:07");
    EXPECT_EQ(normalize("0 days"), "09.01.24 08:07");
    EXPECT_EQ(normalize("abcdefghijklmnop"), "09.01.24 08:07");  // no terminator in the buffer
    EXPECT_EQ(normalize("x", 6), "09.01");

    char field[16] = "bad";
    NormalizeDateText(field);
    SmsTimeValue value{};
    EXPECT_TRUE(ParseDateOrValidity(field, value));
    EXPECT_EQ(value.isDate, 1u);
}

TEST(SmsValidity, ChoicesFollowTheStandardTexts) {
    const std::tuple<const char*, int, int> cases[] = {
        // text, exact choice, nearest choice
        {"60 mins", 0, 0}, {"1 hour", 0, 0},   {"5 min", -1, 0},    {"2 hours", -1, 1},  {"1 day", 1, 1},
        {"24 hours", 1, 1}, {"2 days", -1, 2}, {"7 days", 2, 2},    {"8 days", -1, 3},   {"364 days", 3, 3},
        {"441 days", -1, 3}, {"1.1.99 10:00", -1, -1}, {"never", -1, -1},
    };
    for (auto [text, exact, nearest] : cases) {
        EXPECT_EQ(ValidityChoiceOf(text, true), exact) << text;
        EXPECT_EQ(ValidityChoiceOf(text, false), nearest) << text;
    }
    EXPECT_EQ(ValidityChoiceText(0), "60 mins");
    EXPECT_EQ(ValidityChoiceText(1), "1 day");
    EXPECT_EQ(ValidityChoiceText(2), "7 days");
    EXPECT_EQ(ValidityChoiceText(3), "364 days");
    EXPECT_EQ(ValidityChoiceText(4), "");
    EXPECT_EQ(ValidityChoiceText(-1), "");
}

TEST(SmsValidity, WordsAreLoadedFromTheStringTable) {
    const ValidityWords& words = ValidityWords::Get();
    EXPECT_EQ(&words, &ValidityWords::Get());
    EXPECT_EQ(words.UnitWord(ValidityWords::kHours), "HOURS");
    EXPECT_EQ(words.DisplayWord(ValidityWords::kHours), "hours");
    EXPECT_EQ(words.DisplayWord(ValidityWords::kHour), "hour");
    EXPECT_EQ(words.DisplayWord(ValidityWords::kDay), "day");
    EXPECT_EQ(words.StandardText(ValidityWords::kOneDayWritten), "24 hours");
}

}  // namespace
}  // namespace quillet::sms
