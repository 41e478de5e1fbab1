// The program against a hostile SIM: every quillet-cli card command runs on the demo card in the
// VIRTUAL device, through the emulated serial reader, while a HostileCard changes what the card
// answers as the input's script says. The first input byte picks the command, the rest is the
// script. Promises checked on every input:
// - an answer that breaks no rule of the card leaves every command working (exit 0);
// - a failure ends with exit 1, 2 or 3 and a message that says it;
// - a command that only reads never sends a command that changes the card;
// - no record is updated whose last read before the first update got no usable answer (refused,
//   cut short, broken on the line);
// - a command that fails because of an answer it got before it changed the card has not changed it:
//   a write is planned only from answers that held up.
// QUILLET_FUZZ_TRACE=1 with a saved input prints every command of its run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "HostileCard.h"
#include "cli/CliApp.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "sim/VirtualCardReader.h"
#include "support/TemporaryFolder.h"

namespace quillet::fuzz {

namespace {

struct Operation {
    std::vector<std::string> arguments;  // after the device and the codes
    bool onlyReads;
};

const testing::TemporaryFolder& Folder() {
    static const testing::TemporaryFolder folder;
    return folder;
}

std::string InFolder(const std::string& name) { return Folder().File(name); }

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {{"phonebook", "read"}, true},
        {{"phonebook", "read", "--fdn"}, true},
        {{"phonebook", "read", "--own"}, true},
        {{"phonebook", "read", "--last"}, true},
        {{"sms", "read"}, true},
        {{"smsp", "read"}, true},
        {{"networks", "read"}, true},
        {{"networks", "read", "--forbidden"}, true},
        {{"backup", InFolder("out.sim")}, true},
        {{"info"}, true},
        {{"check"}, true},
        {{"pin", "verify"}, true},
        {{"pin2", "verify"}, true},
        {{"phonebook", "write", InFolder("book.dia")}, false},
        {{"phonebook", "write", "--fdn", InFolder("fdn.dia")}, false},
        {{"sms", "write", InFolder("messages.sms")}, false},
        {{"smsp", "write", "--centre", "+420603052000", "--validity", "7 days"}, false},
        {{"networks", "write", "262-02", "230-03"}, false},
        {{"networks", "write", "--forbidden", "232-01"}, false},
        {{"restore", InFolder("other.sim")}, false},
        {{"check", "--repair"}, false},
        {{"pin", "change", "1234", "4321"}, false},
        {{"pin", "disable", "1234"}, false},
        {{"pin", "unblock", "12345678", "1234"}, false},
        {{"pin2", "change", "5678", "8765"}, false},
        {{"pin2", "unblock", "87654321", "5678"}, false},
    };
    return operations;
}

int Run(const std::string& card, std::vector<std::string> arguments, std::string* errors = nullptr) {
    arguments.insert(arguments.begin(), {"--device", "VIRTUAL:" + card, "--pin", "1234", "--pin2", "5678", "--yes"});
    std::ostringstream out;
    std::ostringstream err;
    const int exit = cli::RunCli(arguments, out, err);
    if (errors != nullptr) *errors = err.str();
    return exit;
}

std::string SaveCard(const sim::SimProfile& profile, const std::string& name) {
    std::string error;
    const std::string path = InFolder(name);
    if (!sim::SaveSimProfile(path, profile, error)) {
        std::fprintf(stderr, "hostile card: %s\n", error.c_str());
        Broken();
    }
    return path;
}

std::string CardText(const sim::SimProfile& profile, const std::string& name) {
    std::ifstream file(SaveCard(profile, name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A demo card as a card file, written afresh before every input: the GSM SIM, or the dual-mode UICC,
// whose phone-book writes also clear the USIM data of the entries they replace.
const std::string& DemoCardText(bool uicc) {
    static const std::string gsm = CardText(sim::BuildDemoSimProfile(), "demo.json");
    static const std::string dual = CardText(sim::BuildDemoDualModeProfile(), "uicc.json");
    return uicc ? dual : gsm;
}

// The files the writing commands take come from the demo card with its phone books and messages in
// the opposite order, so writing them changes most records of the demo card.
void PrepareFiles() {
    static const bool prepared = [] {
        sim::SimProfile reversed = sim::BuildDemoSimProfile();
        for (const std::uint16_t ef : {0x6F3A, 0x6F3B, 0x6F3C}) {
            auto& records = reversed.FindFile(0x7F10, ef)->records;
            std::reverse(records.begin(), records.end());
        }
        const std::string other = SaveCard(reversed, "other.json");
        for (const auto& arguments :
             std::vector<std::vector<std::string>>{{"phonebook", "read", "-o", InFolder("book.dia")},
                                                   {"phonebook", "read", "--fdn", "-o", InFolder("fdn.dia")},
                                                   {"sms", "read", "-o", InFolder("messages.sms")},
                                                   {"backup", InFolder("other.sim")}}) {
            std::string errors;
            if (Run(other, arguments, &errors) != 0) {
                std::fprintf(stderr, "hostile card: preparing %s failed: %s\n", arguments[0].c_str(), errors.c_str());
                Broken();
            }
        }
        return true;
    }();
    (void)prepared;
}

// When a replayed input fails: every command with what the card really said and what the host got.
void PrintLogs(const std::vector<std::unique_ptr<HostileCard>>& cards, int exit, const std::string& errors) {
    for (const auto& card : cards) {
        for (std::size_t index = 0; index < card->Log().size(); ++index) {
            const HostileCard::Command& command = card->Log()[index];
            std::fprintf(stderr, "%4zu: %02X %02X %02X %02X %02X card %04X%s%s\n", index, command.header.cla,
                         command.header.ins, command.header.p1, command.header.p2, command.header.p3,
                         command.realStatus.value_or(0), command.faulted ? " faulted" : "",
                         command.unusable ? " unusable" : "");
        }
    }
    std::fprintf(stderr, "exit %d: %s\n", exit, errors.c_str());
}

// What the inputs did, printed when the run ends: proof that the faults reach the commands.
struct Tally {
    std::size_t inputs = 0;
    std::size_t faulted = 0;
    std::size_t failed = 0;
    std::size_t changedCard = 0;
    std::size_t failedAfterChange = 0;
    ~Tally() {
        std::printf("hostile card: %zu inputs, %zu with faults, %zu failed, %zu changed the card, %zu of them failed\n",
                    inputs, faulted, failed, changedCard, failedAfterChange);
    }
};
Tally g_tally;

}  // namespace

std::vector<std::string> Seeds() {
    std::vector<std::string> seeds;
    for (std::size_t operation = 0; operation < Operations().size(); ++operation) {
        const char op = static_cast<char>(operation);
        seeds.push_back(std::string{op, 0, 0, 0});                                                  // a true card
        seeds.push_back(std::string{static_cast<char>(operation + Operations().size()), 0, 0, 0});  // a true UICC
        // One answer's byte flipped early on, and the line's acknowledgement changed later.
        seeds.push_back(std::string{op, 0, 0, 0, 0, 9, 2, 1, 0x10, 0, 40, 6, 5, 0});
    }
    // Inputs that once broke a promise, run every time: `check` on a card whose messages came back
    // garbled found errors and ended with exit 1 without a word on the error stream.
    seeds.push_back(std::string("\x0A\0\0\0\x09\x02\0\0\x09\x02\x01\x10\0\x2C\x06\x05\0\0\x3E\0\0\x3E\0\0\x3E", 25));
    seeds.push_back(std::string("\xA6\0\0\0\0\x09\x02\x01\x10\0\x28\x06\x05\0\x48\0\x3E\x48\x1B\0", 20));
    return seeds;
}

}  // namespace quillet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillet;
    using fuzz::Require;
    if (size == 0) return 0;
    fuzz::PrepareFiles();
    const fuzz::Operation& operation = fuzz::Operations()[data[0] % fuzz::Operations().size()];
    const bool uicc = data[0] / fuzz::Operations().size() % 2 == 1;
    const std::string card = fuzz::InFolder("card.json");
    std::ofstream(card, std::ios::binary | std::ios::trunc) << fuzz::DemoCardText(uicc);

    // Each time the device loads the card, a new hostile card with the same script stands in front.
    std::vector<std::unique_ptr<fuzz::HostileCard>> hostile;
    const std::span<const std::uint8_t> script(data + 1, size - 1);
    sim::VirtualCardReader::SetCardInterposer(
        [&](sim::ApduCard& loaded, sim::SerialReaderEmulator& line) -> sim::ApduCard& {
            hostile.push_back(std::make_unique<fuzz::HostileCard>(loaded, line, script));
            return *hostile.back();
        });
    std::string errors;
    const int exit = fuzz::Run(card, operation.arguments, &errors);
    sim::VirtualCardReader::SetCardInterposer(nullptr);
    if (std::getenv("QUILLET_FUZZ_TRACE") != nullptr) fuzz::PrintLogs(hostile, exit, errors);

    Require(exit >= 0 && exit <= 3);
    Require(exit == 0 || !errors.empty());
    bool faulted = false;
    for (const auto& one : hostile) {
        faulted = faulted || one->AtrChanged() || one->LastFault().has_value();
        if (operation.onlyReads) Require(!one->SentChange());
        Require(!one->WroteFromUnusableRead());
        const std::optional<std::size_t> firstChange = one->FirstChange();
        const std::optional<std::size_t> lastFault = one->LastFault();
        if (exit != 0 && firstChange) Require(lastFault && *lastFault >= *firstChange);
    }
    bool changed = false;
    for (const auto& one : hostile) changed = changed || one->FirstChange().has_value();
    ++fuzz::g_tally.inputs;
    fuzz::g_tally.faulted += faulted ? 1 : 0;
    fuzz::g_tally.failed += exit != 0 ? 1 : 0;
    fuzz::g_tally.changedCard += changed ? 1 : 0;
    fuzz::g_tally.failedAfterChange += changed && exit != 0 ? 1 : 0;
    if (!faulted && exit != 0) {
        std::fprintf(stderr, "hostile card: a true card failed: %s\n", errors.c_str());
        Require(false);
    }
    return 0;
}
