// Phone books and messages through their text files and back, with quillet-cli on virtual cards:
// card -> file -> card leaves the card byte-identical, also with the file's lines renumbered; file ->
// card -> file gives the file as reading it gives it back (names transliterated), and a second trip
// changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/CliApp.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/EveryShapeCard.h"
#include "support/TemporaryFolder.h"

namespace quillet::cli {
namespace {

constexpr std::uint16_t kTelecom = 0x7F10;
constexpr std::uint16_t kAdn = 0x6F3A;
constexpr std::uint16_t kExt1 = 0x6F4A;
constexpr std::uint16_t kSms = 0x6F3C;

// The card of every shape with, in its first two records, what phones also write: a class 0 message
// stamped with seconds and a zone west of Greenwich, and one with an all-zero time stamp.
sim::SimProfile EveryMessageCard() {
    sim::SimProfile profile = testing::BuildEveryShapeCard();
    const auto deliver = [](sim::SmsTimeStamp stamp, std::uint8_t dataCoding) {
        sim::SmsDeliver message;
        message.originator = "+420777123456";
        message.timeStamp = stamp;
        const std::vector<std::uint8_t> septets = *sim::ToGsmSeptets("Flash");
        message.userData = *sim::EncodeGsm7UserData(septets);
        message.userData.dataCoding = dataCoding;
        return *sim::EncodeSmsDeliver(message);
    };
    std::vector<std::uint8_t> unstamped = deliver({}, 0x00);
    const std::size_t stamp = 1 + sim::EncodeSmsAddress("+420777123456")->size() + 2;  // after TP-PID, TP-DCS
    std::fill_n(unstamped.begin() + static_cast<std::ptrdiff_t>(stamp), 7, 0x00);
    auto& sms = profile.FindFile(kTelecom, kSms)->records;
    sms[0] = *sim::EncodeSmsRecord(sim::SmsStatus::Read, "+420603052000", deliver({2026, 12, 7, 9, 30, 45, -28}, 0x10));
    sms[1] = *sim::EncodeSmsRecord(sim::SmsStatus::Unread, "+420603052000", unstamped);
    return profile;
}

struct CardCase {
    const char* name;
    sim::SimProfile (*build)();
};

// The same card with nothing in its phone book and no messages.
sim::SimProfile Blank(sim::SimProfile profile) {
    for (const std::uint16_t id : {kAdn, kExt1, kSms}) {
        for (auto& record : profile.FindFile(kTelecom, id)->records) {
            std::fill(record.begin(), record.end(), 0xFF);
            if (id == kSms) record[0] = 0x00;
        }
    }
    return profile;
}

class FileRoundTrip : public ::testing::TestWithParam<CardCase> {
protected:
    void SetUp() override {
        Save(m_card, GetParam().build());
        Save(m_blank, Blank(GetParam().build()));
    }
    static void Save(const std::string& path, const sim::SimProfile& profile) {
        std::string error;
        ASSERT_TRUE(sim::SaveSimProfile(path, profile, error)) << error;
    }
    int Run(const std::string& card, std::vector<std::string> arguments) {
        err.str("");
        arguments.insert(arguments.begin(), {"--device", "VIRTUAL:" + card, "--pin", "1234", "--yes"});
        std::ostringstream out;
        return RunCli(arguments, out, err);
    }
    static const sim::SimElementaryFile& File(const std::string& card, std::uint16_t id) {
        static sim::SimProfile profile;
        std::string error;
        EXPECT_TRUE(sim::LoadSimProfile(card, profile, error)) << error;
        return *profile.FindFile(kTelecom, id);
    }
    // The numbers of the records that differ, so a failure names them instead of dumping the file.
    static std::vector<std::size_t> Differing(const std::vector<std::vector<std::uint8_t>>& now,
                                              const std::vector<std::vector<std::uint8_t>>& before) {
        std::vector<std::size_t> numbers;
        for (std::size_t record = 0; record < std::max(now.size(), before.size()); ++record) {
            if (record >= now.size() || record >= before.size() || now[record] != before[record]) {
                numbers.push_back(record + 1);
            }
        }
        return numbers;
    }
    static std::vector<std::string> SortedLines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // Reads `part` into a file, writes that file back to the same card and to a blank one, reads the
    // blank card into a second file, and that file through the blank card again into a third.
    void Travel(const std::string& part, const std::string& extension) {
        ASSERT_EQ(Run(m_card, {part, "read", "-o", m_first + extension}), kExitOk) << err.str();
        ASSERT_EQ(Run(m_card, {part, "write", m_first + extension}), kExitOk) << err.str();
        ASSERT_EQ(Run(m_blank, {part, "write", m_first + extension}), kExitOk) << err.str();
        ASSERT_EQ(Run(m_blank, {part, "read", "-o", m_second + extension}), kExitOk) << err.str();
        ASSERT_EQ(Run(m_blank, {part, "write", m_second + extension}), kExitOk) << err.str();
        ASSERT_EQ(Run(m_blank, {part, "read", "-o", m_third + extension}), kExitOk) << err.str();
    }

    testing::TemporaryFolder m_folder;
    std::string m_card = m_folder.File("card.json");
    std::string m_blank = m_folder.File("blank.json");
    std::string m_first = m_folder.File("first");
    std::string m_second = m_folder.File("second");
    std::string m_third = m_folder.File("third");
    std::ostringstream err;
};

TEST_P(FileRoundTrip, APhoneBookComesBackByteForByte) {
    const std::vector<std::vector<std::uint8_t>> adn = File(m_card, kAdn).records;
    const std::vector<std::vector<std::uint8_t>> ext1 = File(m_card, kExt1).records;
    Travel("phonebook", ".dia");
    EXPECT_EQ(Differing(File(m_card, kAdn).records, adn), std::vector<std::size_t>{});
    EXPECT_EQ(Differing(File(m_card, kExt1).records, ext1), std::vector<std::size_t>{});
    // A file's names are read transliterated: what a blank card gets is the file as it reads back,
    // and from then on it stays.
    EXPECT_EQ(testing::ReadFileBytes(m_third + ".dia"), testing::ReadFileBytes(m_second + ".dia"));
}

TEST_P(FileRoundTrip, MessagesComeBackByteForByte) {
    const std::vector<std::vector<std::uint8_t>> sms = File(m_card, kSms).records;
    Travel("sms", ".sms");
    EXPECT_EQ(Differing(File(m_card, kSms).records, sms), std::vector<std::size_t>{});
    EXPECT_EQ(testing::ReadFileBytes(m_second + ".sms"), testing::ReadFileBytes(m_first + ".sms"));
    EXPECT_EQ(testing::ReadFileBytes(m_third + ".sms"), testing::ReadFileBytes(m_second + ".sms"));
}

// Renumbering the lines of a file moves the entries: each record then holds the bytes of the entry
// that moved there, down to what the file cannot show, and reads back as the renumbered file.
TEST_P(FileRoundTrip, MovedEntriesKeepTheirBytes) {
    for (const auto& [part, id] : {std::pair{"sms", kSms}, std::pair{"phonebook", kAdn}}) {
        SCOPED_TRACE(part);
        const std::vector<std::vector<std::uint8_t>> before = File(m_card, id).records;
        ASSERT_EQ(Run(m_card, {part, "read", "-o", m_first}), kExitOk) << err.str();
        std::vector<std::size_t> positions;
        std::vector<std::string> rests;  // each line after its position
        std::istringstream in(testing::ReadFileBytes(m_first));
        for (std::string line; std::getline(in, line);) {
            positions.push_back(std::stoul(line));
            rests.push_back(line.substr(line.find('\t')));
        }
        ASSERT_GE(positions.size(), 10u);
        // The entries in reverse order over the same positions.
        const auto movedTo = [&](std::size_t k) { return positions[positions.size() - 1 - k]; };
        std::string moved;
        for (std::size_t k = 0; k < rests.size(); ++k) moved += std::to_string(movedTo(k)) + rests[k] + '\n';
        std::ofstream(m_second, std::ios::binary) << moved;
        ASSERT_EQ(Run(m_card, {part, "write", m_second}), kExitOk) << err.str();
        EXPECT_EQ(err.str(), "");  // no message says it went elsewhere than its line said
        // A moved phone-book entry gets its own copy of its extension records: only its link differs.
        const std::size_t kept = id == kAdn ? 1 : 0;
        const std::vector<std::vector<std::uint8_t>> after = File(m_card, id).records;
        for (std::size_t k = 0; k < positions.size(); ++k) {
            const std::vector<std::uint8_t>& now = after[movedTo(k) - 1];
            const std::vector<std::uint8_t>& was = before[positions[k] - 1];
            EXPECT_TRUE(std::equal(now.begin(), now.end() - kept, was.begin(), was.end() - kept)) << positions[k];
        }
        ASSERT_EQ(Run(m_card, {part, "read", "-o", m_third}), kExitOk) << err.str();
        EXPECT_EQ(SortedLines(testing::ReadFileBytes(m_third)), SortedLines(moved));
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, FileRoundTrip,
                         ::testing::Values(CardCase{"Demo", &sim::BuildDemoSimProfile},
                                           CardCase{"EveryShape", &EveryMessageCard}),
                         [](const ::testing::TestParamInfo<CardCase>& param) { return param.param.name; });

}  // namespace
}  // namespace quillet::cli
