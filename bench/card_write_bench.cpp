// Writes to a 250-record phone book on the virtual card through the serial emulator: the commands
// a change of five entries costs (stale check and read-back included), and what the checks cost
// in wire time when all 250 records are written onto an empty phone book.
#include <cstdio>
#include <cstring>

#include "phonebook/PhoneBookTransfer.h"
#include "sim/DemoCard.h"
#include "support/SessionRig.h"

using namespace quillet;

namespace {

constexpr std::size_t kRecords = 250;
using Entries = std::array<phonebook::PhoneBookEntry, kRecords>;

sim::SimProfile CardWithPhoneBook(bool filled) {
    sim::SimProfile profile = sim::BuildDemoSimProfile();
    auto& adn = profile.FindFile(0x7F10, 0x6F3A)->records;
    const auto demo = adn;
    const std::vector<std::uint8_t> empty(demo.front().size(), 0xFF);
    adn.clear();
    while (adn.size() < kRecords) adn.push_back(filled ? demo[adn.size() % demo.size()] : empty);
    return profile;
}

bool Fail(quillet::testing::SessionRig& rig) {
    std::fprintf(stderr, "card_write: %s\n", rig.session->FormatLastError().c_str());
    return false;
}

bool Begin(quillet::testing::SessionRig& rig, Entries& entries) {
    phonebook::PhoneBookInfo info;
    return (rig.session->BeginSession(true, false, true) &&
            phonebook::ReadPhoneBook(*rig.session, phonebook::kAdnFile, entries, info)) ||
           Fail(rig);
}

// Five entries of a read phone book get a new number; only the write's commands count.
bool CountFiveChanged() {
    quillet::testing::SessionRig rig(CardWithPhoneBook(true));
    rig.ui.pins = {"1234"};
    static Entries entries;
    if (!Begin(rig, entries)) return false;
    for (std::size_t position : {3, 50, 100, 180, 249}) {
        std::snprintf(entries[position].number, sizeof entries[position].number, "0301234%03zu", position);
        entries[position].modified = 1;
    }
    phonebook::PhoneBookWriteReport report;
    rig.ClearLog();
    if (!phonebook::WritePhoneBook(*rig.session, phonebook::kAdnFile, entries, report)) return Fail(rig);
    std::printf("write_commands_5_changed: %zu\n", rig.sent.size());
    return true;
}

// Wire time of writing every record of an empty phone book.
bool FullWriteWireMicros(bool verify, double& wire) {
    quillet::testing::SessionRig rig(CardWithPhoneBook(false));
    rig.ui.pins = {"1234"};
    rig.verifyWrites = verify;
    static Entries entries;
    if (!Begin(rig, entries)) return false;
    for (std::size_t position = 0; position < kRecords; ++position) {
        phonebook::PhoneBookEntry& entry = entries[position];
        entry.used = 1;
        entry.modified = 1;
        entry.npi = 1;
        phonebook::SetNameBytes(entry, "Entry " + std::to_string(position));
        std::snprintf(entry.number, sizeof entry.number, "0049301234%03zu", position);
    }
    phonebook::PhoneBookWriteReport report;
    const std::uint64_t start = rig.Reader().Line().WireMicros();
    if (!phonebook::WritePhoneBook(*rig.session, phonebook::kAdnFile, entries, report)) return Fail(rig);
    wire = static_cast<double>(rig.Reader().Line().WireMicros() - start);
    return report.recordsWritten == kRecords || Fail(rig);
}

}  // namespace

int main() {
    if (!CountFiveChanged()) return 1;
    double checked = 0;
    double unchecked = 0;
    if (!FullWriteWireMicros(true, checked) || !FullWriteWireMicros(false, unchecked)) return 1;
    std::printf("verified_full_write_ratio: %.3f\n", checked / unchecked);
    return 0;
}
