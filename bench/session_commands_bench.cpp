// Counts the card commands of two common patterns on the virtual demo card: a loop of record
// reads on one file, and a repeated session start on the same card.
#include <cstdio>

#include "sim/DemoCard.h"
#include "support/SessionRig.h"

using namespace quillet;

int main() {
    quillet::testing::SessionRig rig(sim::BuildDemoSimProfile());
    rig.ui.pins = {"1234"};
    if (!rig.session->BeginSession(true, false, true)) {
        std::fprintf(stderr, "session_commands: %s\n", rig.session->FormatLastError().c_str());
        return 1;
    }

    rig.ClearLog();
    std::uint8_t record[255];
    for (int call = 0; call < 250; ++call) {
        std::uint32_t length = sizeof record;
        if (!rig.session->ReadFileRecord(0x7F10, 0x6F3A, record, length, static_cast<std::uint8_t>(call % 120 + 1),
                                         4)) {
            std::fprintf(stderr, "session_commands: %s\n", rig.session->FormatLastError().c_str());
            return 1;
        }
    }
    std::printf("record_loop_commands: %zu\n", rig.sent.size());

    rig.ClearLog();
    if (!rig.session->BeginSession(true, false, true)) {
        std::fprintf(stderr, "session_commands: %s\n", rig.session->FormatLastError().c_str());
        return 1;
    }
    std::printf("session_repeat_commands: %zu\n", rig.sent.size());
    rig.session->EndSession();
    return 0;
}
