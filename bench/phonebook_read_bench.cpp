// Reads a 250-record phone book with extension records from the virtual card through the serial
// emulator, in virtual time: the time taken over the line's own wire time, and the commands a
// second read of the same card sends.
#include <cstdio>

#include "phonebook/PhoneBookTransfer.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

using namespace quillet;

int main() {
    // The demo card with its phone book grown to 250 records (the demo entries repeated).
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    const auto demo = adn;
    while (adn.size() < 250) adn.push_back(demo[adn.size() % demo.size()]);

    quillet::testing::SessionRig rig(profile);
    rig.ui.pins = {"1234"};
    if (!rig.session->BeginSession(true, false, true)) {
        std::fprintf(stderr, "phonebook_read: %s\n", rig.session->FormatLastError().c_str());
        return 1;
    }
    static std::array<phonebook::PhoneBookEntry, 250> entries;
    phonebook::PhoneBookInfo info;
    const std::uint64_t start = rig.Reader().Clock().NowMicros();
    const std::uint64_t startWire = rig.Reader().Line().WireMicros();
    if (!phonebook::ReadPhoneBook(*rig.session, phonebook::kAdnFile, entries, info) || info.entryCount != 250) {
        std::fprintf(stderr, "phonebook_read: %s\n", rig.session->FormatLastError().c_str());
        return 1;
    }
    const double elapsed = static_cast<double>(rig.Reader().Clock().NowMicros() - start);
    const double wire = static_cast<double>(rig.Reader().Line().WireMicros() - startWire);
    std::printf("adn_read_ratio: %.3f\n", elapsed / wire);

    // The same read again on the same card: the session start checks the card's identity and
    // reads the service table; the phone book itself comes from the caches.
    rig.ClearLog();
    if (!rig.session->BeginSession(true, false, true) ||
        !phonebook::ReadPhoneBook(*rig.session, phonebook::kAdnFile, entries, info)) {
        std::fprintf(stderr, "phonebook_read: %s\n", rig.session->FormatLastError().c_str());
        return 1;
    }
    std::printf("adn_second_read_commands: %zu\n", rig.sent.size());
    return 0;
}
