#include "cli/CliOptions.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace quillet::cli {

namespace {

bool AllDigits(const std::string& text, std::size_t shortest, std::size_t longest) {
    return text.size() >= shortest && text.size() <= longest &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

bool LooksLikeOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, const std::string& name) {
    const auto found =
        std::find_if(options.begin(), options.end(), [&](const OptionSpec& option) { return option.name == name; });
    return found == options.end() ? nullptr : &*found;
}

// The option of any command of the group: options keep their meaning across a group's commands.
const OptionSpec* FindGroupOption(const std::string& group, const std::string& name) {
    for (const CommandSpec& command : Commands()) {
        if (command.group != group) continue;
        if (const OptionSpec* option = FindOption(command.options, name)) return option;
    }
    return nullptr;
}

// The first word after the group that is neither an option nor an option's value.
std::optional<std::size_t> FindAction(const std::vector<std::string>& words) {
    for (std::size_t index = 1; index < words.size(); ++index) {
        if (!LooksLikeOption(words[index])) return index;
        const OptionSpec* option = FindGroupOption(words[0], words[index]);
        if (option != nullptr && !option->value.empty()) ++index;
    }
    return std::nullopt;
}

std::string JoinNames(const std::vector<std::string>& names, const std::string& last) {
    std::string text;
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (index > 0) text += index + 1 == names.size() ? ' ' + last + ' ' : ", ";
        text += names[index];
    }
    return text;
}

bool FindCommandOf(const std::vector<std::string>& words, CommandLine& line, std::size_t& actionIndex,
                   std::string& reason) {
    if (words.empty()) {
        reason = "no command given";
        return false;
    }
    const std::string& group = words[0];
    if (FindGroup(group) == nullptr) {
        reason = "unknown command \"" + group + "\"";
        return false;
    }
    const std::vector<std::string> actions = ActionsOf(group);
    if (actions.empty()) {
        line.command = FindCommand(group, "");
        actionIndex = 0;
        return true;
    }
    const std::optional<std::size_t> action = FindAction(words);
    if (!action) {
        reason = group + " needs " + JoinNames(actions, "or");
        return false;
    }
    line.command = FindCommand(group, words[*action]);
    if (line.command == nullptr) {
        reason =
            "unknown command \"" + group + ' ' + words[*action] + "\"; " + group + " takes " + JoinNames(actions, "or");
        return false;
    }
    actionIndex = *action;
    return true;
}

bool TakeOption(const std::vector<std::string>& words, std::size_t& index, CommandLine& line, std::string& reason) {
    const CommandSpec& command = *line.command;
    const std::string& word = words[index];
    const OptionSpec* option = FindOption(command.options, word);
    if (option == nullptr) {
        reason = FindGroupOption(command.group, word) != nullptr ? command.Words() + " does not take " + word
                                                                 : "unknown option " + word;
        return false;
    }
    if (option->value.empty()) {
        line.flags.insert(word);
        return true;
    }
    if (index + 1 >= words.size()) {
        reason = word + " needs " + option->value;
        return false;
    }
    line.values[word] = words[++index];
    return CheckValue(option->kind, line.values[word], word, reason);
}

bool CheckArguments(CommandLine& line, std::string& reason) {
    const CommandSpec& command = *line.command;
    std::vector<std::string> names;
    for (const ArgumentSpec& argument : command.arguments) names.push_back(argument.name);
    const bool repeated = !command.arguments.empty() && command.arguments.back().repeated;
    if (line.arguments.size() < names.size()) {
        reason = command.Words() + " needs " + JoinNames(names, "and");
        return false;
    }
    if (line.arguments.size() > names.size() && !repeated) {
        reason = "unexpected \"" + line.arguments[names.size()] + "\" after " + command.Words();
        return false;
    }
    for (std::size_t index = 0; index < line.arguments.size(); ++index) {
        const ArgumentSpec& argument = command.arguments[std::min(index, names.size() - 1)];
        if (!CheckValue(argument.kind, line.arguments[index], command.Words() + ": " + argument.name, reason)) {
            return false;
        }
    }
    for (const OptionSpec& option : command.options) {
        if (option.required && !line.values.contains(option.name)) {
            reason = command.Words() + " needs " + option.name + ' ' + option.value;
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseGlobalOptions(const std::vector<std::string>& arguments, Options& options, std::string& reason) {
    const std::map<std::string, Request> requests = {{"--help", Request::Help},
                                                     {"-h", Request::Help},
                                                     {"--help-man", Request::ManPage},
                                                     {"--help-bash-completion", Request::BashCompletion}};
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (const auto request = requests.find(argument); request != requests.end()) {
            options.request = request->second;
            return true;
        }
        const OptionSpec* option = FindOption(GlobalOptions(), argument);
        if (option == nullptr) {
            options.words.push_back(argument);
            continue;
        }
        if (option->value.empty()) {
            if (argument == "--yes") options.yes = true;
            if (argument == "--trace") options.trace = true;
            if (argument == "--no-verify") options.verifyWrites = false;
            continue;
        }
        if (index + 1 >= arguments.size()) {
            reason = argument + " needs " + option->value;
            return false;
        }
        const std::string& value = arguments[++index];
        if (!CheckValue(option->kind, value, argument, reason)) return false;
        if (argument == "--device") options.device = value;
        if (argument == "--pin") options.pin = value;
        if (argument == "--pin2") options.pin2 = value;
    }
    return true;
}

std::optional<std::string> CommandLine::Value(const std::string& name) const {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

bool ParseCommandLine(const std::vector<std::string>& words, CommandLine& line, std::string& reason) {
    line = CommandLine{};
    std::size_t actionIndex = 0;
    if (!FindCommandOf(words, line, actionIndex, reason)) return false;
    for (std::size_t index = 1; index < words.size(); ++index) {
        if (index == actionIndex) continue;
        if (LooksLikeOption(words[index])) {
            if (!TakeOption(words, index, line, reason)) return false;
        } else {
            line.arguments.push_back(words[index]);
        }
    }
    return CheckArguments(line, reason);
}

std::optional<NetworkCode> ParseNetworkCode(const std::string& text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) return std::nullopt;
    const std::string mcc = text.substr(0, dash);
    const std::string mnc = text.substr(dash + 1);
    if (!AllDigits(mcc, 3, 3) || !AllDigits(mnc, 2, 3)) return std::nullopt;
    return NetworkCode{static_cast<std::uint32_t>(std::stoul(mcc)), static_cast<std::uint32_t>(std::stoul(mnc)),
                       mnc.size() == 3};
}

bool CheckValue(ValueKind kind, const std::string& value, const std::string& what, std::string& reason) {
    switch (kind) {
        case ValueKind::Code:
            if (AllDigits(value, 4, 8)) return true;
            reason = what + " must be 4 to 8 digits";
            return false;
        case ValueKind::Puk:
            if (AllDigits(value, 8, 8)) return true;
            reason = what + " must be 8 digits";
            return false;
        case ValueKind::Network:
            if (ParseNetworkCode(value)) return true;
            reason = '"' + value + "\" is not a network code such as 230-01 or 310-150";
            return false;
        case ValueKind::Validity: {
            const std::vector<std::string> choices = ValidityChoices();
            if (std::find(choices.begin(), choices.end(), value) != choices.end()) return true;
            std::vector<std::string> quoted;
            for (const std::string& choice : choices) quoted.push_back('"' + choice + '"');
            reason = what + " \"" + value + "\" is not one of " + JoinNames(quoted, "or");
            return false;
        }
        case ValueKind::Parts: {
            const std::vector<std::string>& names = RestorePartNames();
            std::stringstream parts(value);
            std::string part;
            bool any = false;
            while (std::getline(parts, part, ',')) {
                any = true;
                if (std::find(names.begin(), names.end(), part) == names.end()) {
                    reason = what + ": \"" + part + "\" is not one of " + JoinNames(names, "or");
                    return false;
                }
            }
            if (any) return true;
            reason = what + " needs a comma list of " + JoinNames(names, "or");
            return false;
        }
        case ValueKind::None:
        case ValueKind::Text:
        case ValueKind::File:
        case ValueKind::Device:
            return true;
    }
    return true;
}

}  // namespace quillet::cli
