#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/TemporaryFolder.h"

namespace quillet::testing {

// quillet-cli on a virtual card kept in a file of its own (the demo card unless a test saves
// another), run with `front` before every command line.
class CliOnCard : public ::testing::Test {
protected:
    explicit CliOnCard(std::vector<std::string> front = {}) : m_front(std::move(front)) {}

    void SetUp() override { Save(sim::BuildDemoSimProfile()); }
    void Save(const sim::SimProfile& card) {
        std::string error;
        ASSERT_TRUE(sim::SaveSimProfile(m_card, card, error)) << error;
    }
    sim::SimProfile Card() {
        sim::SimProfile card;
        std::string error;
        EXPECT_TRUE(sim::LoadSimProfile(m_card, card, error)) << error;
        return card;
    }
    int Run(std::vector<std::string> arguments, cli::OutputKind kind = cli::OutputKind::Stream) {
        out.str("");
        err.str("");
        arguments.insert(arguments.begin(), {"--device", "VIRTUAL:" + m_card});
        arguments.insert(arguments.begin() + 2, m_front.begin(), m_front.end());
        return cli::RunCli(arguments, out, err, kind);
    }
    bool Contains(const std::string& text, const std::string& piece) const {
        return text.find(piece) != std::string::npos;
    }

    TemporaryFolder m_folder;
    std::string m_card = m_folder.File("card.json");
    std::ostringstream out;
    std::ostringstream err;

private:
    std::vector<std::string> m_front;
};

}  // namespace quillet::testing
