#pragma once

#include <string>
#include <vector>

namespace quillet::cli {

// The one description of quillet-cli's command line. Parsing, --help, the man page and the bash
// completion are all made from it, so they cannot tell different stories.

// What a value or an argument is: it decides how it is checked and how the shell completes it.
enum class ValueKind {
    None,      // a flag without a value
    Text,      // anything
    File,      // a file name
    Device,    // a device name
    Code,      // a PIN or PIN2: 4 to 8 digits
    Puk,       // an unblocking code: 8 digits
    Network,   // MCC-MNC such as 230-01
    Validity,  // one of the SMS parameters dialog's validity choices
    Parts,     // a comma list of restore parts
};

struct OptionSpec {
    std::string name;   // "--fdn", "-o"
    std::string value;  // the value's placeholder ("FILE"), empty for a flag
    ValueKind kind = ValueKind::None;
    std::string description;  // one line
    bool required = false;    // the command cannot do without it
};

struct ArgumentSpec {
    std::string name;  // "FILE", "OLD"
    ValueKind kind = ValueKind::Text;
    bool repeated = false;  // one or more
};

struct CommandSpec {
    std::string group;   // "phonebook"
    std::string action;  // "read"; empty for a command of one word
    std::vector<OptionSpec> options;
    std::vector<ArgumentSpec> arguments;
    std::string description;  // one line

    // "phonebook read", or "backup".
    std::string Words() const { return action.empty() ? group : group + ' ' + action; }
};

// How a device name is recognised.
enum class DeviceMatch {
    Exact,       // the name itself
    Prefix,      // the name followed by at least one character
    SerialPort,  // COM1 ... COM8
};

struct DeviceSpec {
    std::string shown;  // "COM1 ... COM8", "VIRTUAL:<card file>"
    DeviceMatch match = DeviceMatch::Exact;
    std::string text;                  // the name or prefix matched
    std::string description;           // one line
    ValueKind rest = ValueKind::None;  // what follows a prefix
};

struct ExitCodeSpec {
    int code = 0;
    std::string meaning;
};

struct EnvironmentSpec {
    std::string name;
    std::string meaning;
};

// Options that work anywhere on the line, before or after the command words.
const std::vector<OptionSpec>& GlobalOptions();
const std::vector<CommandSpec>& Commands();
const std::vector<DeviceSpec>& Devices();
const std::vector<ExitCodeSpec>& ExitCodes();
const std::vector<EnvironmentSpec>& Environment();
// The paragraph that says what the program is for.
const std::string& Introduction();

// The first command of the group, or null.
const CommandSpec* FindGroup(const std::string& group);
// The command of these words, or null.
const CommandSpec* FindCommand(const std::string& group, const std::string& action);
// The actions of a group, in table order; empty for a command of one word.
std::vector<std::string> ActionsOf(const std::string& group);
// The groups in table order, each once.
std::vector<std::string> Groups();

// The names a ValueKind::Parts list may hold, and the validity texts --validity accepts.
const std::vector<std::string>& RestorePartNames();
std::vector<std::string> ValidityChoices();

// "phonebook read [--fdn] [-o FILE]": the command words, its options and its arguments.
std::string Synopsis(const CommandSpec& command);

}  // namespace quillet::cli
