#include "sim/SimCardTool.h"

#include <cstdio>
#include <map>
#include <string>

#include "sim/DemoCard.h"
#include "sim/GsmSimCard.h"
#include "sim/HexText.h"
#include "sim/SimProfileJson.h"
#include "sim/VpcdConnector.h"

namespace quillet::sim {

namespace {

constexpr const char* kUsage =
    "Usage: quillet-simcard COMMAND ...\n"
    "  create-demo FILE                 write the demo SIM card (PIN 1234, PIN2 5678)\n"
    "  create-demo-uicc FILE            write the demo UICC with USIM and GSM applications and a\n"
    "                                   USIM phone book of two sets (PIN 1234, PIN2 5678)\n"
    "  create-demo-usim FILE            write the demo UICC with the USIM application only\n"
    "  create-telephone-card FILE       write the demo prepaid telephone chip card\n"
    "  dump FILE                        show the card's codes and every file in hexadecimal\n"
    "  reset-counters FILE              give every code all its attempts again\n"
    "  set-counter FILE CODE N          set the attempts left of CODE to N\n"
    "  block FILE CODE                  use up every attempt of CODE\n"
    "  unblock FILE CODE                give CODE all its attempts again\n"
    "  --vpcd [PORT] [--lenient] FILE   put the card into pcscd's vpcd reader (port 35963, the\n"
    "                                   first one; 35964 the second) until stopped; changes are\n"
    "                                   saved when the card is powered down; --lenient accepts\n"
    "                                   commands of any shape\n"
    "CODE is chv1, unblock-chv1, chv2 or unblock-chv2.\n";

SecretCode* FindCode(SimProfile& profile, const std::string& name) {
    const std::map<std::string, SecretCode*> codes = {{"chv1", &profile.chv1},
                                                      {"unblock-chv1", &profile.unblockChv1},
                                                      {"chv2", &profile.chv2},
                                                      {"unblock-chv2", &profile.unblockChv2}};
    const auto found = codes.find(name);
    return found == codes.end() ? nullptr : found->second;
}

void DumpCode(std::ostream& out, const char* name, const SecretCode& code) {
    out << "  " << name << ": " << code.digits << ", " << static_cast<int>(code.attemptsLeft) << " of "
        << static_cast<int>(code.maxAttempts) << " attempts left" << (code.initialised ? "" : ", not initialised")
        << (code.attemptsLeft == 0 ? ", BLOCKED" : "") << "\n";
}

void Dump(std::ostream& out, const SimProfile& profile) {
    if (!profile.description.empty()) out << profile.description << "\n";
    if (profile.kind == SimProfile::Kind::MemoryCard) {
        out << "Telephone chip card memory:\n";
        for (std::size_t offset = 0; offset < profile.memory.size(); offset += 8) {
            out << "  " << FileIdText(static_cast<std::uint16_t>(offset)) << ": "
                << ToHex(std::span(profile.memory).subspan(offset, 8)) << "\n";
        }
        return;
    }
    out << "ATR " << ToHex(profile.atr) << "\n";
    if (profile.platform != CardPlatform::GsmSim) out << "Platform " << CardPlatformName(profile.platform) << "\n";
    out << "Codes (CHV1 " << (profile.chv1Enabled ? "enabled" : "disabled") << "):\n";
    DumpCode(out, "chv1", profile.chv1);
    DumpCode(out, "unblock-chv1", profile.unblockChv1);
    DumpCode(out, "chv2", profile.chv2);
    DumpCode(out, "unblock-chv2", profile.unblockChv2);
    for (const SimElementaryFile& file : profile.files) {
        out << DirectoryPathText(file.directory) << "/" << FileIdText(file.id) << " " << file.name << ": ";
        if (file.sameAs) {
            out << "the same file as " << DirectoryPathText(file.sameAs->directory) << "/"
                << FileIdText(file.sameAs->id) << "\n";
            continue;
        }
        out << FileStructureName(file.structure);
        if (file.structure == FileStructure::Transparent) {
            out << ", " << file.content.size() << " bytes";
        } else {
            out << ", " << file.records.size() << " records of " << static_cast<int>(file.recordLength) << " bytes";
        }
        out << ", read " << AccessLevelName(file.access.read) << ", update " << AccessLevelName(file.access.update)
            << (file.invalidated ? ", invalidated" : "") << "\n";
        if (file.structure == FileStructure::Transparent) {
            out << "  " << ToHex(file.content) << "\n";
        } else {
            for (std::size_t index = 0; index < file.records.size(); ++index) {
                char number[24];
                std::snprintf(number, sizeof number, "%3zu", index + 1);
                out << "  " << number << ": " << ToHex(file.records[index]) << "\n";
            }
        }
    }
}

int Write(const std::string& path, const SimProfile& profile, std::ostream& out, std::ostream& err) {
    std::string error;
    if (!SaveSimProfile(path, profile, error)) {
        err << "quillet-simcard: " << error << "\n";
        return 1;
    }
    out << "Wrote " << path << "\n";
    return 0;
}

int WrongUsage(std::ostream& err, const std::string& reason) {
    err << "quillet-simcard: " << reason << "\n" << kUsage;
    return 2;
}

bool IsPortNumber(const std::string& text) {
    return !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos &&
           std::stoul(text) <= 65535;
}

// --vpcd [PORT] [--lenient] FILE: a number is the port only while a card file can still follow it.
bool ReadVpcdArguments(const std::vector<std::string>& arguments, VpcdConnector::Options& options, std::string& path,
                       std::ostream& err) {
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--lenient") {
            options.strictShapes = false;
        } else if (IsPortNumber(argument) && path.empty() && index + 1 < arguments.size()) {
            options.port = static_cast<std::uint16_t>(std::stoul(argument));
        } else if (path.empty()) {
            path = argument;
        } else {
            WrongUsage(err, "--vpcd takes one card file");
            return false;
        }
    }
    if (path.empty()) {
        WrongUsage(err, "--vpcd needs a card file");
        return false;
    }
    return true;
}

// Serves a card file to vpcd until stopped, saving the card's changes whenever it is powered down.
int ServeToVpcd(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    VpcdConnector::Options options;
    std::string path;
    if (!ReadVpcdArguments(arguments, options, path, err)) return 2;
    SimProfile profile;
    std::string error;
    if (!LoadSimProfile(path, profile, error)) {
        err << "quillet-simcard: " << error << "\n";
        return 1;
    }
    if (profile.kind != SimProfile::Kind::Sim) {
        err << "quillet-simcard: " << path << " is a telephone chip card; vpcd serves SIM cards only\n";
        return 1;
    }
    GsmSimCard card(profile);
    VpcdConnector connector(card, options);
    connector.onPowerDown = [&]() {
        if (card.HasUnsavedChanges() && SaveSimProfile(path, card.Profile(), error)) card.MarkSaved();
    };
    out << "Serving " << path << " to vpcd on " << options.host << ":" << options.port << " (Ctrl+C stops)\n";
    out.flush();
    connector.Run();
    return 0;
}

// reset-counters, set-counter, block and unblock on a SIM card's codes; 0, or 2 for a wrong code
// name or counter.
int AdjustCounters(const std::vector<std::string>& arguments, SimProfile& profile, std::ostream& err) {
    const std::string& command = arguments[0];
    if (command == "reset-counters") {
        for (SecretCode* code : {&profile.chv1, &profile.unblockChv1, &profile.chv2, &profile.unblockChv2}) {
            code->attemptsLeft = code->maxAttempts;
        }
        return 0;
    }
    SecretCode* code = FindCode(profile, arguments[2]);
    if (code == nullptr) {
        err << "quillet-simcard: unknown code \"" << arguments[2] << "\" (chv1, unblock-chv1, chv2, unblock-chv2)\n";
        return 2;
    }
    if (command == "block") {
        code->attemptsLeft = 0;
    } else if (command == "unblock") {
        code->attemptsLeft = code->maxAttempts;
    } else {
        const std::string& text = arguments[3];
        if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(text) > code->maxAttempts) {
            err << "quillet-simcard: the counter must be a number from 0 to " << static_cast<int>(code->maxAttempts)
                << "\n";
            return 2;
        }
        code->attemptsLeft = static_cast<std::uint8_t>(std::stoi(text));
    }
    return 0;
}

// The commands on an existing card file: dump it, or change its codes' counters and save it.
int RunOnCardFile(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::string& command = arguments[0];
    const std::string& path = arguments[1];
    SimProfile profile;
    std::string error;
    if (!LoadSimProfile(path, profile, error)) {
        err << "quillet-simcard: " << error << "\n";
        return 1;
    }
    if (command == "dump") {
        Dump(out, profile);
        return 0;
    }
    if (profile.kind != SimProfile::Kind::Sim) {
        err << "quillet-simcard: " << path << " is a telephone chip card: it has no codes\n";
        return 1;
    }
    const int usage = AdjustCounters(arguments, profile, err);
    return usage != 0 ? usage : Write(path, profile, out, err);
}

}  // namespace

int RunSimCardTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        (arguments.empty() ? err : out) << kUsage;
        return arguments.empty() ? 2 : 0;
    }
    const std::string& command = arguments[0];
    if (command == "--vpcd") return ServeToVpcd(arguments, out, err);

    const std::map<std::string, std::size_t> argumentCounts = {
        {"create-demo", 1}, {"create-demo-uicc", 1}, {"create-demo-usim", 1}, {"create-telephone-card", 1},
        {"dump", 1},        {"reset-counters", 1},   {"set-counter", 3},      {"block", 2},
        {"unblock", 2}};
    const auto known = argumentCounts.find(command);
    if (known == argumentCounts.end()) return WrongUsage(err, "unknown command \"" + command + "\"");
    const std::size_t count = known->second;
    if (arguments.size() != count + 1) {
        return WrongUsage(err, command + " takes " + std::to_string(count) + " argument" + (count == 1 ? "" : "s"));
    }
    if (command == "create-demo") return Write(arguments[1], BuildDemoSimProfile(), out, err);
    if (command == "create-demo-uicc") return Write(arguments[1], BuildDemoDualModeProfile(), out, err);
    if (command == "create-demo-usim") return Write(arguments[1], BuildDemoUsimOnlyProfile(), out, err);
    if (command == "create-telephone-card") return Write(arguments[1], BuildDemoTelephoneCard(), out, err);
    return RunOnCardFile(arguments, out, err);
}

}  // namespace quillet::sim
