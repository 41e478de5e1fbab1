// quillet-cli check on a virtual card file with broken extension links.
#include <gtest/gtest.h>

#include "CliOnCard.h"
#include "cli/CliMessages.h"

namespace quillet::cli {
namespace {

constexpr std::uint16_t kTelecom = 0x7F10;

class CheckCommand : public testing::CliOnCard {
protected:
    CheckCommand() : CliOnCard({"--pin", "1234"}) {}
};

TEST_F(CheckCommand, ReportsRepairsWithPin2AndReportsAgain) {
    sim::SimProfile card = sim::BuildDemoSimProfile();
    card.FindFile(kTelecom, 0x6F3A)->records.at(6).back() = 0x30;  // beyond EXT1
    card.FindFile(kTelecom, 0x6F3B)->records.at(0).back() = 0x04;  // a free EXT2 record
    Save(card);

    // Errors found: exit 1, and the error stream says so too, for a script that only reads it.
    EXPECT_EQ(Run({"check"}), kExitCardFailure) << err.str();
    EXPECT_EQ(err.str(), "quillet-cli: the card has errors (see the report); check --repair repairs them\n");
    const std::string report = out.str();
    EXPECT_EQ(report.rfind("SIM Card Detailed Report\nSerial Number: 8942001200112233440\n", 0), 0u) << report;
    EXPECT_NE(report.find("    #7 \"Björn Ström\": Link to invalid extension ->Remove Link to Extension\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("    #1 \"Home\": Link to empty extension ->Remove Link to Extension\n"), std::string::npos)
        << report;
    EXPECT_EQ(report.find('\r'), std::string::npos);
    EXPECT_EQ(Card().FindFile(kTelecom, 0x6F3A)->records.at(6).back(), 0x30);

    // The fixed dialling record's repair needs PIN2: without it the card refuses and nothing is repaired.
    EXPECT_EQ(Run({"check", "--repair"}), kExitUsage) << err.str() << "\nOUT:" << out.str();
    EXPECT_EQ(Card().FindFile(kTelecom, 0x6F3A)->records.at(6).back(), 0x30);

    EXPECT_EQ(Run({"--pin2", "5678", "check", "--repair"}), kExitOk) << err.str();
    const std::string reports = out.str();
    const std::size_t second = reports.find("\nSIM Card Detailed Report\n");
    ASSERT_NE(second, std::string::npos) << reports;
    EXPECT_NE(reports.find("Link to invalid extension"), std::string::npos);
    EXPECT_NE(reports.find("Dialing Numbers: OK\nFixed Dialing Numbers: OK\n", second), std::string::npos) << reports;
    EXPECT_EQ(Card().FindFile(kTelecom, 0x6F3A)->records.at(6).back(), 0xFF);
    EXPECT_EQ(Card().FindFile(kTelecom, 0x6F3B)->records.at(0).back(), 0xFF);

    EXPECT_EQ(Run({"check"}), kExitOk) << err.str();
}

}  // namespace
}  // namespace quillet::cli
