// Counts the commands a session start spends finding out what the card is, on the three demo
// cards: the first session on each card, then a second one on the same card (which spends none).
#include <cstdio>
#include <string>
#include <string_view>

#include "sim/DemoCard.h"
#include "support/SessionRig.h"

using namespace quillet;

namespace {

// The detection commands of a first and a second session start; false when a start failed for
// another reason than a card without the GSM application.
bool Measure(const sim::SimProfile& profile, std::size_t& first, std::size_t& second) {
    quillet::testing::SessionRig rig(profile);
    rig.ui.pins = {"1234", "1234"};
    for (std::size_t* count : {&first, &second}) {
        const bool started = rig.session->BeginSession(true, false, true);
        if (!started && rig.session->LastResult() != reader::result::kUsimOnlyCard) {
            std::fprintf(stderr, "uicc_detect: %s\n", rig.session->FormatLastError().c_str());
            return false;
        }
        *count = rig.session->PlatformDetectionCommands();
        rig.session->EndSession();
    }
    return true;
}

}  // namespace

int main() {
    const struct {
        const char* name;
        sim::SimProfile profile;
    } cards[] = {{"gsm", sim::BuildDemoSimProfile()},
                 {"dual", sim::BuildDemoDualModeProfile()},
                 {"usim_only", sim::BuildDemoUsimOnlyProfile()}};
    for (const auto& card : cards) {
        std::size_t first = 0;
        std::size_t second = 0;
        if (!Measure(card.profile, first, second)) return 1;
        // The figure without a card's name is the dual-mode card's: a UICC whose phone book is read.
        const std::string suffix = std::string_view(card.name) == "dual" ? "" : std::string("_") + card.name;
        std::printf("uicc_detect_commands%s: %zu\n", suffix.c_str(), first);
        std::printf("uicc_detect_commands%s_second_session: %zu\n", suffix.c_str(), second);
    }
    return 0;
}
