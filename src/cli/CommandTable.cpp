#include "cli/CommandTable.h"

#include <algorithm>

#include "sms/SmsTimeValue.h"

namespace quillet::cli {

namespace {

std::string JoinQuoted(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "\"" : ", \"") + word + '"';
    return text;
}

std::string JoinPlain(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : ",") + word;
    return text;
}

OptionSpec OutputOption() { return {"-o", "FILE", ValueKind::File, "write the file FILE instead of standard output"}; }
OptionSpec FdnOption(const std::string& what) {
    return {"--fdn", "", ValueKind::None, "the fixed dialling numbers instead of the phone book" + what};
}
OptionSpec ForbiddenOption() {
    return {"--forbidden", "", ValueKind::None, "the forbidden networks instead of the preferred ones"};
}
ArgumentSpec FileArgument() { return {"FILE", ValueKind::File, false}; }

std::vector<CommandSpec> BuildCommands() {
    const ArgumentSpec oldCode{"OLD", ValueKind::Code, false};
    const ArgumentSpec newCode{"NEW", ValueKind::Code, false};
    return {
        {"readers", "", {}, {}, "list the device names, PC/SC readers included"},
        {"phonebook",
         "read",
         {FdnOption(""),
          {"--own", "", ValueKind::None, "the own numbers instead of the phone book"},
          {"--last", "", ValueKind::None, "the last dialled numbers instead of the phone book"},
          OutputOption()},
         {},
         "the card's phone book as a *.DIA text"},
        {"phonebook",
         "write",
         {FdnOption(" (needs PIN2)")},
         {FileArgument()},
         "replace the card's phone book by a *.DIA file"},
        {"sms", "read", {OutputOption()}, {}, "the card's messages as a *.SMS text"},
        {"sms", "write", {}, {FileArgument()}, "replace the card's messages by a *.SMS or *.SMA file"},
        {"smsp", "read", {}, {}, "the card's SMS centre and validity period"},
        {"smsp",
         "write",
         {{"--centre", "NUMBER", ValueKind::Text,
           "the SMS centre: at most 20 dialling digits, + in front if international", true},
          {"--validity", "TEXT", ValueKind::Validity, "the validity period: one of " + JoinQuoted(ValidityChoices()),
           true}},
         {},
         "write the SMS centre and validity period to the card"},
        {"networks", "read", {ForbiddenOption()}, {}, "the card's preferred (or forbidden) networks"},
        {"networks",
         "write",
         {ForbiddenOption()},
         {{"MCC-MNC", ValueKind::Network, true}},
         "replace the card's list of networks (e.g. 230-01 262-02)"},
        {"backup", "", {}, {FileArgument()}, "save the whole card to a *.SIM backup file"},
        {"restore",
         "",
         {{"--only", "PARTS", ValueKind::Parts,
           "write only these parts, a comma list of " + JoinPlain(RestorePartNames()) + " (default: all)"}},
         {FileArgument()},
         "write a *.SIM backup file to the card"},
        {"pin", "verify", {}, {}, "check the PIN"},
        {"pin", "change", {}, {oldCode, newCode}, "change the PIN from OLD to NEW"},
        {"pin", "enable", {}, {{"CODE", ValueKind::Code, false}}, "switch the PIN check on"},
        {"pin", "disable", {}, {{"CODE", ValueKind::Code, false}}, "switch the PIN check off"},
        {"pin", "unblock", {}, {{"PUK", ValueKind::Puk, false}, newCode}, "unblock the PIN with its PUK, setting NEW"},
        {"pin2", "verify", {}, {}, "check PIN2"},
        {"pin2", "change", {}, {oldCode, newCode}, "change PIN2 from OLD to NEW"},
        {"pin2", "unblock", {}, {{"PUK2", ValueKind::Puk, false}, newCode}, "unblock PIN2 with its PUK2, setting NEW"},
        {"info", "", {}, {}, "what the card is and holds: serial number, codes, call costs, capacities, numbers"},
        {"check",
         "",
         {{"--repair", "", ValueKind::None, "repair what the check finds (may need PIN2)"}},
         {},
         "check the card's extension links and records (exit code 1 while errors remain)"},
        {"print",
         "",
         {{"--pdf", "FILE", ValueKind::File, "the PDF file to print to", true},
          FdnOption(""),
          {"--sms", "", ValueKind::None, "the messages instead of the phone book"}},
         {},
         "print the card's phone book (or messages) to a PDF file"},
    };
}

}  // namespace

const std::vector<OptionSpec>& GlobalOptions() {
    static const std::vector<OptionSpec> options = {
        {"--device", "NAME", ValueKind::Device, "the reader (default: $QUILLET_DEVICE, else VIRTUAL)"},
        {"--pin", "CODE", ValueKind::Code, "the PIN, 4 to 8 digits (otherwise asked for on the terminal)"},
        {"--pin2", "CODE", ValueKind::Code, "PIN2, 4 to 8 digits (otherwise asked for on the terminal)"},
        {"--yes", "", ValueKind::None,
         "answer the program's questions with yes: a write from a file may clear used entries of the card and, on "
         "a USIM card, delete the e-mails and second numbers of the entries it replaces"},
        {"--trace", "", ValueKind::None, "show every card command and its status word (codes withheld)"},
        {"--no-verify", "", ValueKind::None,
         "do not read written records back to check them (faster on slow readers; a write the card does not "
         "store goes unnoticed)"},
        {"--help", "", ValueKind::None, "show this help"},
    };
    return options;
}

const std::vector<CommandSpec>& Commands() {
    static const std::vector<CommandSpec> commands = BuildCommands();
    return commands;
}

const std::vector<DeviceSpec>& Devices() {
    static const std::vector<DeviceSpec> devices = {
        {"COM1 ... COM8", DeviceMatch::SerialPort, "COM", "a serial reader on /dev/ttyS0 ... /dev/ttyS7"},
        {"PCSC:<reader>", DeviceMatch::Prefix, "PCSC:", "a PC/SC reader through pcscd, named as \"readers\" lists it",
         ValueKind::Text},
        {"PCMCIA FY-1300", DeviceMatch::Exact, "PCMCIA FY-1300", "the PCMCIA reader through libsmartapi.so"},
        {"RDXI DRIVER", DeviceMatch::Exact, "RDXI DRIVER", "the reader of the RDX driver library"},
        {"VIRTUAL", DeviceMatch::Exact, "VIRTUAL",
         "the built-in virtual SIM card (PIN 1234), kept in $XDG_DATA_HOME/Quillet/demo-card.json"},
        {"VIRTUAL:<card file>", DeviceMatch::Prefix, "VIRTUAL:", "a virtual SIM card kept in that card file",
         ValueKind::File},
        {"NOTHING", DeviceMatch::Exact, "NOTHING", "no reader"},
    };
    return devices;
}

const std::vector<ExitCodeSpec>& ExitCodes() {
    static const std::vector<ExitCodeSpec> codes = {
        {0, "done"},
        {1, "the reader or the card failed or refused the command"},
        {2,
         "wrong usage: an unknown command, option or device, a malformed code, number or validity, a code "
         "needed with no terminal to ask on, or a write refused before it began"},
        {3, "a file could not be read or written, or holds no entries"},
    };
    return codes;
}

const std::vector<EnvironmentSpec>& Environment() {
    static const std::vector<EnvironmentSpec> variables = {
        {"QUILLET_DEVICE", "the device when --device is not given"},
        {"XDG_DATA_HOME", "the folder of the VIRTUAL device's demo card (default ~/.local/share)"},
        {"LC_ALL, LC_CTYPE, LANG",
         "the terminal's character set for messages, network names, and names and texts shown on a terminal"},
    };
    return variables;
}

const std::string& Introduction() {
    static const std::string text =
        "quillet-cli reads and writes a GSM SIM card's phone book, fixed dialling numbers, messages, SMS "
        "parameters and network lists, manages PIN and PIN2, and backs a whole card up to one file. Codes "
        "not given with --pin or --pin2 are asked for on the terminal without echo. A write from a file "
        "that would clear used entries of the card asks first, or needs --yes when there is no terminal. On a "
        "terminal, read shows names and messages as a phone shows them; to a file or a pipe it gives the "
        "Windows-1250 text of the *.DIA and *.SMS files.";
    return text;
}

const CommandSpec* FindGroup(const std::string& group) {
    const auto& commands = Commands();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const CommandSpec& command) { return command.group == group; });
    return found == commands.end() ? nullptr : &*found;
}

const CommandSpec* FindCommand(const std::string& group, const std::string& action) {
    for (const CommandSpec& command : Commands()) {
        if (command.group == group && command.action == action) return &command;
    }
    return nullptr;
}

std::vector<std::string> ActionsOf(const std::string& group) {
    std::vector<std::string> actions;
    for (const CommandSpec& command : Commands()) {
        if (command.group == group && !command.action.empty()) actions.push_back(command.action);
    }
    return actions;
}

std::vector<std::string> Groups() {
    std::vector<std::string> groups;
    for (const CommandSpec& command : Commands()) {
        if (std::find(groups.begin(), groups.end(), command.group) == groups.end()) groups.push_back(command.group);
    }
    return groups;
}

const std::vector<std::string>& RestorePartNames() {
    static const std::vector<std::string> names = {"phonebook", "fdn", "sms", "smsp", "networks"};
    return names;
}

std::vector<std::string> ValidityChoices() {
    std::vector<std::string> choices;
    for (int choice = 0; choice < 4; ++choice) choices.emplace_back(sms::ValidityChoiceText(choice));
    return choices;
}

std::string Synopsis(const CommandSpec& command) {
    std::string text = command.Words();
    for (const OptionSpec& option : command.options) {
        const std::string word = option.name + (option.value.empty() ? "" : ' ' + option.value);
        text += option.required ? ' ' + word : " [" + word + ']';
    }
    for (const ArgumentSpec& argument : command.arguments) {
        text += ' ' + argument.name + (argument.repeated ? " ..." : "");
    }
    return text;
}

}  // namespace quillet::cli
