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

// A parsed text as the vectors write it: "-" when refused, the byte of a relative validity, or the
// date's fields as dd.mm.yy hh:mm (seconds must be 0).
std::string Parsed(const std::string& text) {
    SmsTimeValue v{};
    if (!ParseDateOrValidity(text, v)) return "-";
    if (v.isDate == 0) return std::to_string(v.validity);
    char date[40];
    std::snprintf(date, sizeof(date), "%02d.%02d.%02d %02d:%02d%s", v.day, v.month, v.year, v.hour, v.minute,
                  v.second == 0 ? "" : " with seconds");
    return date;
}

TEST(SmsDateTexts, VectorsParseShowAndChoose) {
    std::ifstream in(QUILLET_VECTORS_DIR "/sms/date-texts.txt");
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' '), bar = line.rfind(" | ");
        ASSERT_TRUE(space != std::string::npos && bar != std::string::npos && bar >= space) << line;
        const std::string kind = line.substr(0, space), text = line.substr(space + 1, bar - space - 1);
        const std::string want = line.substr(bar + 3);
        SCOPED_TRACE(line);
        ++cases;
        if (kind == "parse") {
            EXPECT_EQ(Parsed(text), want);
        } else if (kind == "show") {
            SmsTimeValue value{};
            value.validity = static_cast<std::uint8_t>(std::stoi(text));
            EXPECT_EQ(Format(value), want);
        } else if (kind == "offered") {
            EXPECT_EQ(ValidityChoiceText(std::stoi(text)), want == "-" ? "" : want);
        } else {
            ASSERT_EQ(kind, "choice");
            EXPECT_EQ(
                std::to_string(ValidityChoiceOf(text, true)) + " " + std::to_string(ValidityChoiceOf(text, false)),
                want);
        }
    }
    EXPECT_GE(cases, 77);
}

TEST(SmsDateTexts, ParsingReadsTransliteratedTextUpTo63Characters) {
    SmsTimeValue value{};
    ASSERT_TRUE(ParseDateOrValidity("10 d\xC1ys", value));  // Windows-1250 A-acute reads as A
    EXPECT_EQ(value.validity, 176);
    // 0x91 turns into 0x92 and then into '.', as does any unknown byte such as 0x80.
    EXPECT_TRUE(
        ParseDateOrValidity("1\x91"
                            "1\x80"
                            "99 10:00",
                            value));
    EXPECT_TRUE(ParseDateOrValidity("1.1.99 10:00" + std::string(51, ' ') + "x", value));
    EXPECT_FALSE(ParseDateOrValidity("1.1.99 10:00" + std::string(50, ' ') + "x", value));
}

TEST(SmsDateTexts, NormalizeKeepsValidTextsAndOtherwiseWritesTheTime) {
    std::tm now{};
    now.tm_min = 7, now.tm_hour = 8, now.tm_mday = 9, now.tm_mon = 0, now.tm_year = 124;
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
