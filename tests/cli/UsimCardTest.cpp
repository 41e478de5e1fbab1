// quillet-cli on the two demo UICCs: what it says of a card without the GSM application and what
// it still does there, and the question a write asks before it deletes USIM data.
#include <gtest/gtest.h>

#include <algorithm>

#include "CliOnCard.h"
#include "cli/CliMessages.h"

namespace quillet::cli {
namespace {

constexpr sim::DirectoryKey kBook = 0x7F105F3A;

class UsimCard : public testing::CliOnCard {};

TEST_F(UsimCard, ACardWithoutTheGsmApplicationSaysSoAndKeepsItsPinCommands) {
    Save(sim::BuildDemoUsimOnlyProfile());
    EXPECT_EQ(Run({"--pin", "1234", "info"}), kExitCardFailure);
    EXPECT_TRUE(Contains(out.str(), "  Card type: UICC with the USIM application only (no GSM application)\n"))
        << out.str();
    EXPECT_TRUE(Contains(out.str(), "  Local phone book: 1 set\n")) << out.str();
    EXPECT_TRUE(Contains(err.str(), "This card is a USIM card without the GSM application.")) << err.str();
    EXPECT_FALSE(Contains(err.str(), "Communication error")) << err.str();
    EXPECT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitCardFailure);
    EXPECT_TRUE(Contains(err.str(), "without the GSM application")) << err.str();

    EXPECT_EQ(Run({"pin", "change", "1234", "4321"}), kExitOk) << err.str();
    EXPECT_EQ(Run({"pin2", "unblock", "87654321", "2468"}), kExitOk) << err.str();
    EXPECT_EQ(Card().chv1.digits, "4321");
    EXPECT_EQ(Card().chv2.digits, "2468");
}

TEST_F(UsimCard, AWriteThatWouldDeleteUsimDataNeedsYes) {
    // The demo phone book in the opposite order, written to the dual-mode card: entries with e-mails
    // and second numbers are replaced.
    sim::SimProfile reversed = sim::BuildDemoSimProfile();
    auto& records = reversed.FindFile(0x7F10, 0x6F3A)->records;
    std::reverse(records.begin(), records.end());
    Save(reversed);
    const std::string book = m_folder.File("book.dia");
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read", "-o", book}), kExitOk) << err.str();

    const sim::SimProfile dual = sim::BuildDemoDualModeProfile();
    Save(dual);
    ASSERT_EQ(Run({"--pin", "1234", "phonebook", "read"}), kExitOk);
    EXPECT_TRUE(Contains(err.str(), "This card's phone book has 2 sets, e-mail addresses")) << err.str();

    EXPECT_NE(Run({"--pin", "1234", "phonebook", "write", book}), kExitOk);
    EXPECT_TRUE(Contains(err.str(), "give --yes")) << err.str();
    EXPECT_EQ(Card(), dual);

    ASSERT_EQ(Run({"--pin", "1234", "--yes", "phonebook", "write", book}), kExitOk) << err.str();
    EXPECT_EQ(Card().FindFile(kBook, 0x4F25)->records.at(0), std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(Card().FindFile(kBook, 0x4F50)->records.at(0), std::vector<std::uint8_t>(22, 0xFF));
}

}  // namespace
}  // namespace quillet::cli
