#include "cli/HelpOutputs.h"

#include <algorithm>
#include <sstream>

#include "cli/CommandTable.h"

namespace quillet::cli {

namespace {

constexpr const char* kProgram = "quillet-cli";
constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kHelpWidth = 79;

// The words of a text in lines of at most `width` characters, each after the first indented.
std::string Wrap(const std::string& text, std::size_t indent, std::size_t width) {
    std::istringstream words(text);
    std::string wrapped;
    std::string word;
    std::size_t column = indent;
    while (words >> word) {
        if (column > indent && column + 1 + word.size() > width) {
            wrapped += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (column > indent) {
            wrapped += ' ';
            ++column;
        }
        wrapped += word;
        column += word.size();
    }
    return wrapped;
}

std::string OptionWords(const OptionSpec& option) {
    return option.value.empty() ? option.name : option.name + ' ' + option.value;
}

// "  left      description", the description starting at a fixed column (or on the next line).
void HelpRow(std::ostream& out, const std::string& indent, const std::string& left, const std::string& description) {
    std::string row = indent + left;
    row += row.size() + 2 <= kHelpColumn ? std::string(kHelpColumn - row.size(), ' ')
                                         : '\n' + std::string(kHelpColumn, ' ');
    out << row << Wrap(description, kHelpColumn, kHelpWidth) << '\n';
}

// Roff text: a backslash doubled, a minus sign kept a minus, no control word at a line's start.
std::string Roff(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        if (character == '\\') {
            escaped += "\\e";
        } else if (character == '-') {
            escaped += "\\-";
        } else {
            escaped += character;
        }
    }
    if (!escaped.empty() && (escaped[0] == '.' || escaped[0] == '\'')) escaped.insert(0, "\\&");
    return escaped;
}

// Bold words with italic placeholders: "phonebook read [--fdn] [-o FILE]".
std::string RoffSynopsis(const std::string& text) {
    std::string roff;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const bool placeholder = word.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos &&
                                 word.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos;
        std::string bare = word;
        std::string open;
        std::string close;
        if (!bare.empty() && bare.front() == '[') open = "[", bare.erase(0, 1);
        if (!bare.empty() && bare.back() == ']') close = "]", bare.pop_back();
        const bool plain = bare.find_first_not_of(".") == std::string::npos;
        const std::string font = plain ? "\\fR" : placeholder ? "\\fI" : "\\fB";
        roff += (roff.empty() ? "" : " ") + open + font + Roff(bare) + "\\fR" + close;
    }
    return roff;
}

std::string Quoted(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += " '" + word + "'";
    return text;
}

}  // namespace

std::string FormatHelp() {
    std::ostringstream out;
    out << "Usage: " << kProgram << " [OPTIONS] COMMAND ...\n\n"
        << Wrap(Introduction(), 0, kHelpWidth) << "\n\nCommands:\n";
    for (const CommandSpec& command : Commands()) {
        HelpRow(out, "  ", Synopsis(command), command.description);
        for (const OptionSpec& option : command.options)
            HelpRow(out, "      ", OptionWords(option), option.description);
    }
    out << "\nOptions (anywhere on the line):\n";
    for (const OptionSpec& option : GlobalOptions()) HelpRow(out, "  ", OptionWords(option), option.description);
    out << "\nDevices (NAME):\n";
    for (const DeviceSpec& device : Devices()) HelpRow(out, "  ", device.shown, device.description);
    out << "\nExit status:\n";
    for (const ExitCodeSpec& code : ExitCodes()) HelpRow(out, "  ", std::to_string(code.code), code.meaning);
    out << "\nEnvironment:\n";
    for (const EnvironmentSpec& variable : Environment()) HelpRow(out, "  ", variable.name, variable.meaning);
    return out.str();
}

std::string FormatManPage() {
    std::ostringstream out;
    out << ".TH QUILLET\\-CLI 1 \"\" \"Quillet! " QUILLET_VERSION "\" \"User Commands\"\n.ad l\n.nh\n"
        << ".SH NAME\n"
        << kProgram << " \\- read and write a GSM SIM card from scripts and terminals\n"
        << ".SH SYNOPSIS\n.B " << kProgram << "\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR ...\n"
        << ".SH DESCRIPTION\n"
        << Roff(Introduction()) << "\n.SH COMMANDS\n";
    for (const CommandSpec& command : Commands()) {
        out << ".TP\n" << RoffSynopsis(Synopsis(command)) << '\n' << Roff(command.description) << '\n';
        if (command.options.empty()) continue;
        out << ".RS\n";
        for (const OptionSpec& option : command.options) {
            out << ".TP\n" << RoffSynopsis(OptionWords(option)) << '\n' << Roff(option.description) << '\n';
        }
        out << ".RE\n";
    }
    out << ".SH OPTIONS\nThese options work anywhere on the line, before or after the command.\n";
    for (const OptionSpec& option : GlobalOptions()) {
        out << ".TP\n" << RoffSynopsis(OptionWords(option)) << '\n' << Roff(option.description) << '\n';
    }
    out << ".SH DEVICES\n";
    for (const DeviceSpec& device : Devices()) {
        out << ".TP\n.B " << Roff(device.shown) << '\n' << Roff(device.description) << '\n';
    }
    out << ".SH \"EXIT STATUS\"\n";
    for (const ExitCodeSpec& code : ExitCodes()) out << ".TP\n.B " << code.code << '\n' << Roff(code.meaning) << '\n';
    out << ".SH ENVIRONMENT\n";
    for (const EnvironmentSpec& variable : Environment()) {
        out << ".TP\n.B " << Roff(variable.name) << '\n' << Roff(variable.meaning) << '\n';
    }
    return out.str();
}

namespace {

// The shell code that completes the value of an option of this kind.
std::string CompleteValue(ValueKind kind) {
    switch (kind) {
        case ValueKind::File:
            return "_quillet_cli_files \"$cur\" ''";
        case ValueKind::Device:
            return "_quillet_cli_devices \"$cur\" \"${words[0]}\"";
        case ValueKind::Validity:
            return "_quillet_cli_reply \"$cur\"" + Quoted(ValidityChoices());
        case ValueKind::Parts:
            return "_quillet_cli_list \"$cur\"" + Quoted(RestorePartNames());
        default:
            return "COMPREPLY=()";
    }
}

constexpr const char* kCompletionHelpers = R"sh(_quillet_cli_colons() {
    # Readline replaces only what follows the last colon of the word.
    if [[ $1 == *:* && $COMP_WORDBREAKS == *:* ]]; then
        local head=${1%"${1##*:}"}
        COMPREPLY=("${COMPREPLY[@]#"$head"}")
    fi
}

_quillet_cli_reply() {
    local cur=$1 word
    shift
    COMPREPLY=()
    for word in "$@"; do
        [[ $word == "$cur"* ]] || continue
        # Names with blanks go in escaped; others as they are.
        if [[ $word == *[[:space:]]* ]]; then word=$(printf '%q' "$word"); fi
        COMPREPLY+=("$word")
    done
    _quillet_cli_colons "$cur"
}

_quillet_cli_files() {
    local IFS=$'\n' name
    COMPREPLY=()
    for name in $(compgen -f -- "$1"); do COMPREPLY+=("$2$name"); done
    compopt -o filenames 2>/dev/null
    _quillet_cli_colons "$2$1"
}

_quillet_cli_list() {
    local cur=$1 head= item
    shift
    [[ $cur == *,* ]] && head=${cur%,*},
    local -a items=()
    for item in "$@"; do items+=("$head$item"); done
    _quillet_cli_reply "$cur" "${items[@]}"
}

)sh";

std::string DevicesFunction() {
    std::ostringstream out;
    out << "_quillet_cli_devices() {\n    local cur=$1 name\n    local -a names=()\n";
    for (const DeviceSpec& device : Devices()) {
        if (device.match == DeviceMatch::Prefix && device.rest == ValueKind::File) {
            out << "    if [[ $cur == " << device.text << "* ]]; then\n        _quillet_cli_files \"${cur#"
                << device.text << "}\" '" << device.text << "'\n        return\n    fi\n";
        }
        if (device.match == DeviceMatch::SerialPort) {
            out << "    names+=(" << device.text << "{1..8})\n";
        } else {
            out << "    names+=('" << device.text << "')\n";
        }
    }
    out << "    # The PC/SC readers the program finds now.\n"
        << "    while IFS= read -r name; do [[ $name == PCSC:?* ]] && names+=(\"$name\"); done"
        << " < <(\"$2\" readers 2>/dev/null)\n"
        << "    _quillet_cli_reply \"$cur\" \"${names[@]}\"\n}\n\n";
    return out.str();
}

std::string ValueOptionCases(std::string& valueOptions) {
    std::vector<OptionSpec> options = GlobalOptions();
    for (const CommandSpec& command : Commands())
        options.insert(options.end(), command.options.begin(), command.options.end());
    std::ostringstream out;
    std::vector<std::string> seen;
    for (const OptionSpec& option : options) {
        if (option.value.empty() || std::find(seen.begin(), seen.end(), option.name) != seen.end()) continue;
        seen.push_back(option.name);
        valueOptions += (valueOptions.empty() ? "" : "|") + option.name;
        out << "        " << option.name << ") " << CompleteValue(option.kind) << "; return ;;\n";
    }
    return out.str();
}

std::string CommandCases() {
    std::string globals;
    for (const OptionSpec& option : GlobalOptions()) globals += ' ' + option.name;
    std::ostringstream out;
    out << "    case ${#command[@]}:${command[0]} in\n        0:*) commands=\"";
    const std::vector<std::string> groups = Groups();
    for (std::size_t index = 0; index < groups.size(); ++index) out << (index ? " " : "") << groups[index];
    out << "\" ;;\n";
    for (const std::string& group : groups) {
        std::string actions;
        for (const std::string& action : ActionsOf(group)) actions += (actions.empty() ? "" : " ") + action;
        if (!actions.empty()) out << "        1:" << group << ") commands=\"" << actions << "\" ;;\n";
    }
    out << "    esac\n    case \"${command[0]} ${command[1]}\" in\n";
    for (const CommandSpec& command : Commands()) {
        std::string options;
        for (const OptionSpec& option : command.options) options += ' ' + option.name;
        bool files = false;
        for (const ArgumentSpec& argument : command.arguments) files = files || argument.kind == ValueKind::File;
        out << "        \"" << command.group << ' ' << command.action << (command.action.empty() ? "\"*" : "\"")
            << ") options=\"" << options.substr(options.empty() ? 0 : 1) << "\"; files=" << (files ? 1 : 0) << " ;;\n";
    }
    out << "    esac\n    options+=\"" << globals << "\"\n";
    return out.str();
}

}  // namespace

std::string FormatBashCompletion() {
    std::string valueOptions;
    const std::string valueCases = ValueOptionCases(valueOptions);
    std::ostringstream out;
    out << "# bash completion for " << kProgram << "; made by " << kProgram << " --help-bash-completion\n\n"
        << kCompletionHelpers << DevicesFunction()
        << "_quillet_cli() {\n"
           "    local line=${COMP_LINE:0:COMP_POINT} cur= i commands= options= files=0\n"
           "    local -a words command=()\n"
           "    read -a words <<< \"$line\"\n"
           "    if [[ $line != *[[:space:]] && ${#words[@]} -gt 1 ]]; then\n"
           "        cur=${words[${#words[@]}-1]}\n"
           "        unset 'words[${#words[@]}-1]'\n"
           "    fi\n"
           "    case ${words[${#words[@]}-1]} in\n"
        << valueCases
        << "    esac\n"
           "    for (( i = 1; i < ${#words[@]}; i++ )); do\n"
           "        case ${words[i]} in\n"
           "            "
        << valueOptions
        << ") (( i++ )) ;;\n"
           "            -*) ;;\n"
           "            *) command+=(\"${words[i]}\") ;;\n"
           "        esac\n"
           "    done\n"
        << CommandCases()
        << "    if [[ $cur == -* ]]; then\n"
           "        _quillet_cli_reply \"$cur\" $options\n"
           "    elif [[ -n $commands ]]; then\n"
           "        _quillet_cli_reply \"$cur\" $commands\n"
           "    elif (( files )); then\n"
           "        _quillet_cli_files \"$cur\" ''\n"
           "    else\n"
           "        COMPREPLY=()\n"
           "    fi\n"
           "}\n\n"
           "complete -F _quillet_cli "
        << kProgram << '\n';
    return out.str();
}

}  // namespace quillet::cli
