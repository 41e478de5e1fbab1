// quillet-cli info on a virtual card file.
#include <gtest/gtest.h>

#include "CliOnCard.h"
#include "cli/CliMessages.h"

namespace quillet::cli {
namespace {

class InfoCommand : public testing::CliOnCard {
protected:
    bool Printed(const std::string& line) const { return Contains(out.str(), line + "\n"); }
};

TEST_F(InfoCommand, PrintsAllFourPagesAsLabelledLines) {
    ASSERT_EQ(Run({"--pin", "1234", "info"}), kExitOk) << err.str();
    for (const char* line :
         {"Global", "  International code: 230011234567890", "  SIM phase: 2",
          "  PIN1: Supported: Yes  Limit: 3  Activated: Yes", "  PUK2: Supported: Yes  Limit: 10", "  Currency: EUR",
          "  Price per unit:    0.15", "  Credit remaining:  127.50", "Phone Book and SMS",
          "  Phone book items possible: 120", "  SMS items possible: 20", "Called Numbers", "  Items possible: 5",
          "    4", "Personal Numbers", "    1             My number  +420603555123"}) {
        EXPECT_TRUE(Printed(line)) << line << "\n" << out.str();
    }
    EXPECT_EQ(err.str(), "");
}

TEST_F(InfoCommand, StopsAtWhatTheCardRefuses) {
    // Without a PIN (and no terminal to ask on) only what the card shows anyone is printed.
    EXPECT_EQ(Run({"info"}), kExitUsage);
    EXPECT_TRUE(Printed("  SIM phase: 2")) << out.str();
    EXPECT_TRUE(Printed("  International code: ")) << out.str();
    EXPECT_EQ(out.str().find("Phone Book and SMS"), std::string::npos);
    EXPECT_NE(err.str().find("--pin"), std::string::npos) << err.str();

    sim::SimProfile card = sim::BuildDemoSimProfile();
    card.FindFile(0x7F10, 0x6F44)->invalidated = true;
    Save(card);
    EXPECT_EQ(Run({"--pin", "1234", "info"}), kExitCardFailure);
    EXPECT_TRUE(Printed("  SMS items possible: 20")) << out.str();
    EXPECT_EQ(out.str().find("Called Numbers"), std::string::npos);
    EXPECT_EQ(err.str(), "Entry can not be overwritten, password protected\n");
}

}  // namespace
}  // namespace quillet::cli
