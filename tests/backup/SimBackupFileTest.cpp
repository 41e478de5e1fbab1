// The *.SIM backup file and its archive strings: layouts assembled by hand, round trips at the
// field and length limits, refusals that leave the caller's data alone (random damage is the fuzz target's job).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "backup/SimBackupFile.h"
#include "files/ArchiveString.h"
#include "sms/MessageBody.h"
#include "sms/PhoneMessages.h"
#include "sms/SmsRecordCodec.h"
#include "support/TemporaryFolder.h"

namespace quillet::backup {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& bytes, int value) { bytes.push_back(static_cast<std::uint8_t>(value)); }
void Append(Bytes& bytes, std::string_view text) { bytes.insert(bytes.end(), text.begin(), text.end()); }
void Append(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

// Hand-written bytes: numbers are single bytes, texts their characters only, and byte strings as they are.
template <typename... Parts>
Bytes Make(const Parts&... parts) {
    Bytes bytes;
    (Append(bytes, parts), ...);
    return bytes;
}

bool SameBackup(const SimBackup& a, const SimBackup& b) {
    return std::memcmp(a.phoneBook.data(), b.phoneBook.data(), sizeof a.phoneBook) == 0 &&
           std::memcmp(a.fixedDialing.data(), b.fixedDialing.data(), sizeof a.fixedDialing) == 0 &&
           std::memcmp(a.messages.data(), b.messages.data(), sizeof a.messages) == 0 &&
           std::memcmp(&a.smsParameters, &b.smsParameters, sizeof a.smsParameters) == 0 &&
           a.phoneBookCount == b.phoneBookCount && a.fixedDialingCount == b.fixedDialingCount &&
           a.messageCount == b.messageCount && a.preferredNetworks == b.preferredNetworks &&
           a.forbiddenNetworks == b.forbiddenNetworks && a.present == b.present;
}

PlmnEntry Network(std::uint32_t mcc, std::uint32_t mnc, std::uint8_t threeDigits = 0) {
    return PlmnEntry{1, 0, threeDigits, mcc, mnc};
}

// A backup with every part at its field limits, marks that the file does not keep, and names
// and texts in Windows-1250 bytes (the longest texts of the default alphabet and of UCS2).
std::unique_ptr<SimBackup> FullBackup() {
    auto backup = std::make_unique<SimBackup>();
    for (std::uint16_t i = 0; i < kBackupPhoneBookPositions; ++i) {
        auto& entry = backup->phoneBook[i];
        entry = {i % 3u, i, {}, {}, std::uint8_t(i % 2), 1, 0xFF, std::uint8_t(i % 5 ? 0xFF : 3), 1, 1};
        sms::SetFieldText(entry.name, "\x8A" + std::string(31, static_cast<char>('a' + i % 26)));
        sms::SetFieldText(entry.number, std::string(60, static_cast<char>('0' + i % 10)));
    }
    std::copy_n(backup->phoneBook.begin() + 100, 10, backup->fixedDialing.begin());
    for (std::uint16_t i = 0; i < kBackupSmsPositions; ++i) {
        auto& entry = backup->messages[i];
        entry = {1, i, {}, "42060305200012345678", "12345678901234567890", 1, 1, 1, 9, {}, i % 4u, 77, 1, 0};
        const char letter = static_cast<char>('A' + i % 26);
        EXPECT_TRUE(
            sms::SetMessageFileText(entry, i % 2 ? std::string(160, letter) : "\xF8" + std::string(69, letter)));
        sms::SetFieldText(entry.dateOrValidity, i % 2 ? "24.12.99 23:59" : "24 hours");
    }
    backup->phoneBookCount = kBackupPhoneBookPositions;
    backup->fixedDialingCount = 10;
    backup->messageCount = kBackupSmsPositions;
    backup->smsParameters = {"+42060305200012345678", "maximum 63 week"};
    backup->preferredNetworks = {Network(232, 1), PlmnEntry{}, Network(310, 150, 1), Network(310, 10, 1)};
    backup->preferredNetworks[0].modified = 1;
    backup->forbiddenNetworks = {Network(230, 2)};
    return backup;
}

// A few entries of every kind, for tests that go through a file many times.
std::unique_ptr<SimBackup> SmallBackup() {
    auto backup = FullBackup();
    backup->phoneBookCount = 4;
    backup->fixedDialingCount = 1;
    backup->messageCount = 1;
    return backup;
}

// What a file written from a backup reads back as.
std::unique_ptr<SimBackup> AsReadBack(const SimBackup& written) {
    auto expected = std::make_unique<SimBackup>(written);
    std::fill(expected->phoneBook.begin() + written.phoneBookCount, expected->phoneBook.end(),
              phonebook::PhoneBookEntry{});
    std::fill(expected->fixedDialing.begin() + written.fixedDialingCount, expected->fixedDialing.end(),
              phonebook::PhoneBookEntry{});
    std::fill(expected->messages.begin() + written.messageCount, expected->messages.end(), sms::SmsEntry{});
    for (auto& entry : expected->phoneBook) entry.modified = entry.inTransfer = 0;
    for (auto& entry : expected->fixedDialing) entry.modified = entry.inTransfer = 0;
    for (auto& entry : expected->messages) entry.messageRef = entry.modified = 0;
    // The third digit of a network code is kept where the code's value does not show it.
    for (auto& entry : expected->preferredNetworks) {
        entry.modified = 0;
        entry.threeDigitMnc = entry.valid != 0 && entry.threeDigitMnc != 0 && entry.mnc < 100;
    }
    return expected;
}

// A junk-filled backup that must come through a failed read unchanged.
std::unique_ptr<SimBackup> Sentinel() {
    auto backup = std::make_unique<SimBackup>();
    std::memset(backup->phoneBook.data(), 0x5A, sizeof backup->phoneBook);
    std::memset(backup->messages.data(), 0xA5, sizeof backup->messages);
    backup->phoneBookCount = 7;
    backup->forbiddenNetworks = {Network(1, 2)};
    return backup;
}

TEST(SimBackupFile, LayoutAssembledByHandReadInAnyOrder) {
    const Bytes dial =
        Make(12, "SECTION_DIAL", 1, 0, 0, 0, 0x34, 0x12, 0, 0, 1, 0, 0, 0, 3, "Jan", 6, "420603", 1, 2, 0xFF, 3);
    const Bytes fdn = Make(11, "SECTION_FDN", 0, 0, 0, 0);
    const Bytes sms = Make(11, "SECTION_SMS", 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 2, "Hi", 6, "420603", 2, "12", 1, 2,
                           3, 4, 14, "01.02.03 04:05", 3, 0, 0, 0);
    const Bytes parameters = Make(14, "SECTION_SMSPAR", 7, "+420603", 8, "24 hours");
    const Bytes plmn = Make(12, "SECTION_PLMN", 1, 0, 0, 0, 1, 0x36, 0x01, 0, 0, 0x04, 0x01, 0, 0);
    const Bytes fplmn = Make(13, "SECTION_FPLMN", 0, 0, 0, 0);
    const Bytes end = Make(11, "SECTION_END");
    const auto Decode = [](const auto&... sections) {
        auto backup = Sentinel();
        std::uint32_t error = 0;
        EXPECT_TRUE(DecodeSimBackup(Make(sections...), *backup, error)) << error;
        return backup;
    };

    auto expected = std::make_unique<SimBackup>();
    expected->phoneBook[0] = {1, 0x1234, "Jan", "420603", 1, 2, 0xFF, 3, 0, 0};
    expected->messages[0] = {1, 2, {}, "420603", "12", 1, 2, 3, 4, "01.02.03 04:05", 3, 0, 0, 0};
    ASSERT_TRUE(sms::SetMessageFileText(expected->messages[0], "Hi"));
    expected->phoneBookCount = expected->messageCount = 1;
    expected->smsParameters = {"+420603", "24 hours"};
    expected->preferredNetworks = {Network(310, 260)};
    EXPECT_EQ(EncodeSimBackup(*expected), Make(dial, fdn, sms, parameters, plmn, fplmn, end));
    EXPECT_TRUE(SameBackup(*Decode(dial, fdn, sms, parameters, plmn, fplmn, end), *expected));

    // Any order, any non-zero valid byte, and what follows the end is not read. Bit 1 of the
    // valid byte marks a three-digit network code.
    Bytes looseValid = plmn;
    looseValid[17] = 5;
    EXPECT_TRUE(SameBackup(*Decode(fplmn, looseValid, parameters, sms, dial, fdn, end, 0xDE), *expected));
    looseValid[17] = 7;
    expected->preferredNetworks[0].threeDigitMnc = 1;
    EXPECT_TRUE(SameBackup(*Decode(fplmn, looseValid, parameters, sms, dial, fdn, end, 0xDE), *expected));
    // A repeated section replaces the earlier one whole; missing ones stay empty and are marked so.
    const Bytes twoEntries = Make(12, "SECTION_DIAL", 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, "A", 1, "1", 0, 0, 0, 0, 1,
                                  0, 0, 0, 1, 0, 0, 0, 1, "B", 1, "2", 0, 0, 0, 0);
    expected->smsParameters = {};
    expected->preferredNetworks.clear();
    expected->present = BackupSections::None();
    expected->present.phoneBook = expected->present.messages = true;
    EXPECT_TRUE(SameBackup(*Decode(twoEntries, sms, dial, end), *expected));
    auto nothing = std::make_unique<SimBackup>();
    nothing->present = BackupSections::None();
    EXPECT_TRUE(SameBackup(*Decode(end), *nothing));
}

// A three-digit network code below 100 sets bit 1 of the slot's valid byte; every other slot keeps
// the byte it always had, so files without such codes do not change.
TEST(SimBackupFile, ThreeDigitNetworkCodesBelow100AreMarkedInTheValidByte) {
    auto backup = std::make_unique<SimBackup>();
    backup->preferredNetworks = {Network(310, 10, 1), Network(310, 150, 1), Network(310, 150), Network(232, 1),
                                 PlmnEntry{0, 0, 1, 310, 10}};
    backup->forbiddenNetworks = {Network(310, 0, 1)};
    const Bytes front = Make(12, "SECTION_DIAL", 0, 0, 0, 0, 11, "SECTION_FDN", 0, 0, 0, 0, 11, "SECTION_SMS", 0, 0, 0,
                             0, 14, "SECTION_SMSPAR", 0, 0);
    const Bytes bytes = Make(front, 12, "SECTION_PLMN", 5, 0, 0, 0,  //
                             3, 0x36, 0x01, 0, 0, 10, 0, 0, 0,       // 310/010
                             1, 0x36, 0x01, 0, 0, 150, 0, 0, 0,      // 310/150, value shows it
                             1, 0x36, 0x01, 0, 0, 150, 0, 0, 0,      //
                             1, 232, 0, 0, 0, 1, 0, 0, 0,            // 232/01
                             0, 0x36, 0x01, 0, 0, 10, 0, 0, 0,       // empty slot
                             13, "SECTION_FPLMN", 1, 0, 0, 0, 3, 0x36, 0x01, 0, 0, 0, 0, 0, 0,  // 310/000
                             11, "SECTION_END");
    EXPECT_EQ(EncodeSimBackup(*backup), bytes);

    auto read = std::make_unique<SimBackup>();
    std::uint32_t error = 0;
    ASSERT_TRUE(DecodeSimBackup(bytes, *read, error));
    EXPECT_EQ(read->preferredNetworks,
              (std::vector<PlmnEntry>{Network(310, 10, 1), Network(310, 150), Network(310, 150), Network(232, 1),
                                      PlmnEntry{0, 0, 0, 310, 10}}));
    EXPECT_EQ(read->forbiddenNetworks, std::vector<PlmnEntry>{Network(310, 0, 1)});
    for (const PlmnEntry& entry : {read->preferredNetworks[0], read->preferredNetworks[1]}) {
        EXPECT_EQ(EncodePlmnSlot(entry), EncodePlmnSlot(Network(310, entry.mnc, 1)));
    }
}

// Texts are written in Windows-1250 without part marks and read back coded for the card; a text no
// message can hold is damage.
TEST(SimBackupFile, MessageTextsAreWindows1250AndMustFitAMessage) {
    const std::vector<testing::PhoneMessage> messages = testing::PhoneMessages();
    for (const testing::PhoneMessage& message : messages) {
        SCOPED_TRACE(message.name);
        auto backup = std::make_unique<SimBackup>();
        backup->messages[0] = sms::DecodeSmsRecord(message.record, 0);
        backup->messageCount = 1;
        const Bytes bytes = EncodeSimBackup(*backup);
        const Bytes text = Make(static_cast<int>(message.file.size()), message.file, 12, "420603052000");
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), text.begin(), text.end()), bytes.end());
    }
    const Bytes front = Make(11, "SECTION_SMS", 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0);
    const Bytes back = Make(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 11, "SECTION_END");
    const struct {
        std::string text;
        std::optional<std::string> shown;  // nothing: the file is refused
    } cases[] = {
        {"Caf\xE9\nx", "Café\nx"},
        {std::string(160, 'x'), std::string(160, 'x')},
        {std::string(71, '\xF8'), std::string(71, 'r')},  // too long for UCS2: spelled plainly
        {std::string(161, 'x'), std::nullopt},
        {std::string(200, 'x'), std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text.size());
        auto read = Sentinel();
        std::uint32_t error = 0;
        const Bytes file = Make(front, static_cast<int>(test.text.size()), test.text, back);
        ASSERT_EQ(DecodeSimBackup(file, *read, error), test.shown.has_value());
        if (test.shown) {
            EXPECT_EQ(sms::MessageListText(read->messages[0]), *test.shown);
        } else {
            EXPECT_EQ(error, message::kStructureError);
            EXPECT_TRUE(SameBackup(*read, *Sentinel()));
        }
    }
}

TEST(SimBackupFile, RoundTripsEverySectionThroughAFile) {
    testing::TemporaryFolder folder;
    const auto written = FullBackup();
    std::uint32_t error = 0;
    ASSERT_TRUE(WriteSimBackupFile(folder.File("card.sim"), *written, error));
    auto read = Sentinel();
    ASSERT_TRUE(ReadSimBackupFile(folder.File("card.sim"), *read, error));
    EXPECT_TRUE(SameBackup(*read, *AsReadBack(*written)));
    // 310/150 needs three digits by its value, and 310/010 keeps them through the valid byte.
    EXPECT_TRUE(read->preferredNetworks[2].HasThreeDigitMnc());
    EXPECT_TRUE(read->preferredNetworks[3].HasThreeDigitMnc());
}

TEST(SimBackupFile, RefusedFilesLeaveTheBackupAlone) {
    const auto Refused = [](const Bytes& bytes) {
        auto backup = Sentinel();
        std::uint32_t error = 0;
        EXPECT_FALSE(DecodeSimBackup(bytes, *backup, error));
        EXPECT_TRUE(SameBackup(*backup, *Sentinel()));
        return error;
    };
    // Counts above the buffers are refused at once, before any record (none follows here).
    EXPECT_EQ(Refused(Make(12, "SECTION_DIAL", 251, 0, 0, 0)), message::kStructureError);
    EXPECT_EQ(Refused(Make(11, "SECTION_FDN", 0, 0, 0, 1)), message::kStructureError);
    EXPECT_EQ(Refused(Make(11, "SECTION_SMS", 100, 0, 0, 0)), message::kStructureError);
    EXPECT_EQ(Refused(Make(12, "SECTION_PLMN", 0x56, 0x55, 0, 0)), message::kStructureError);
    // A centre that would have to be cut (22 characters) would be another number.
    EXPECT_EQ(Refused(Make(14, "SECTION_SMSPAR", 22, "+123456789012345678901", 0, 11, "SECTION_END")),
              message::kStructureError);
    // Unknown names, also after every known section; names compare case and all.
    Bytes known = EncodeSimBackup(*SmallBackup());
    known.resize(known.size() - 12);
    EXPECT_EQ(Refused(Make(known, 11, "SECTION_XYZ", 11, "SECTION_END")), message::kStructureError);
    EXPECT_EQ(Refused(Make(known, 11, "section_end")), message::kStructureError);
    EXPECT_EQ(Refused(Make(known, 0)), message::kStructureError);
    EXPECT_EQ(Refused(Make(known, 0xFF, 0xFE, 0xFF)), message::kStructureError);
    EXPECT_EQ(Refused(Make(known, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF)), message::kStructureError);
    // A file cut anywhere before its end mark is incomplete.
    const Bytes whole = EncodeSimBackup(*SmallBackup());
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(Refused(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length))),
                  message::kReadError);
    }
}

// The backup goes through the program's one saving routine, whose own tests cover links, modes and
// special files: a save that fails half way keeps the old file, a target that cannot be opened and a
// write that fails later have their codes, and a failed read leaves the backup alone.
TEST(SimBackupFile, SavingKeepsTheOldFileAndFailuresHaveTheirCodes) {
    testing::TemporaryFolder folder;
    const std::string path = folder.File("card.sim");
    testing::WriteFileBytes(path, "old backup");
    std::uint32_t error = 0;
    {
        testing::FileSizeLimit limit(512);
        EXPECT_FALSE(WriteSimBackupFile(path, *FullBackup(), error));
    }
    EXPECT_EQ(error, message::kWriteError);
    EXPECT_EQ(testing::ReadFileBytes(path), "old backup");
    EXPECT_EQ(folder.Entries(), 1);
    ASSERT_TRUE(WriteSimBackupFile(path, *FullBackup(), error));
    EXPECT_EQ(Make(testing::ReadFileBytes(path)), EncodeSimBackup(*FullBackup()));

    const std::pair<std::string, std::uint32_t> failures[] = {
        {folder.File("missing/card.sim"), message::kCannotOpenTarget},
        {folder.Path().string(), message::kCannotOpenTarget},
        {"/dev/full", message::kWriteError},
    };
    for (const auto& [target, expected] : failures) {
        EXPECT_FALSE(WriteSimBackupFile(target, *FullBackup(), error)) << target;
        EXPECT_EQ(error, expected) << target;
    }
    auto backup = Sentinel();
    for (const std::string& source : {folder.File("none.sim"), folder.Path().string()}) {
        EXPECT_FALSE(ReadSimBackupFile(source, *backup, error)) << source;
        EXPECT_EQ(error, message::kCannotOpenBackup) << source;
    }
    EXPECT_TRUE(SameBackup(*backup, *Sentinel()));
}

}  // namespace
}  // namespace quillet::backup
