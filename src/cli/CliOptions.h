#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/CommandTable.h"

namespace quillet::cli {

// What the command line asks for besides a command.
enum class Request { Run, Help, ManPage, BashCompletion };

// The options that work anywhere on the line, and the words left for the command.
struct Options {
    std::string device;
    std::optional<std::string> pin;
    std::optional<std::string> pin2;
    bool trace = false;
    bool yes = false;
    bool verifyWrites = true;     // --no-verify switches the read-back of written records off
    bool terminalOutput = false;  // standard output is a terminal (not an option: the program finds it out)
    Request request = Request::Run;
    std::vector<std::string> words;
};

// Takes the options of GlobalOptions() (and the hidden --help-man and --help-bash-completion)
// from anywhere on the line and checks their values; false with a one-line reason.
bool ParseGlobalOptions(const std::vector<std::string>& arguments, Options& options, std::string& reason);

// One command with its options and arguments, each checked against the command table.
struct CommandLine {
    const CommandSpec* command = nullptr;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;
    std::vector<std::string> arguments;

    bool Has(const std::string& flag) const { return flags.contains(flag); }
    std::optional<std::string> Value(const std::string& name) const;
};

// Finds the command of the words and sorts the rest into its options and arguments; false with a
// one-line reason when a word does not belong there or a value is malformed.
bool ParseCommandLine(const std::vector<std::string>& words, CommandLine& line, std::string& reason);

// Checks a value of a kind; `what` names it in the reason ("--pin", "pin change: NEW").
bool CheckValue(ValueKind kind, const std::string& value, const std::string& what, std::string& reason);

// A network code "MCC-MNC": three digits, a dash, two or three digits.
struct NetworkCode {
    std::uint32_t mcc = 0;
    std::uint32_t mnc = 0;
    bool threeDigitMnc = false;
};
std::optional<NetworkCode> ParseNetworkCode(const std::string& text);

}  // namespace quillet::cli
