// --help, the man page and the bash completion all come from the command table.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "cli/CommandTable.h"
#include "cli/HelpOutputs.h"
#include "support/ShellOutput.h"
#include "support/TemporaryFolder.h"

namespace quillet::cli {
namespace {

using testing::ShellOutput;

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// The help wraps long descriptions: its words, one blank between them.
std::string Words(const std::string& text) {
    std::string words;
    for (char character : text) {
        const bool blank = character == ' ' || character == '\n';
        if (!blank) words += character;
        if (blank && !words.empty() && words.back() != ' ') words += ' ';
    }
    return words;
}

// Roff writes a minus sign as \-.
std::string ManText(const std::string& text) {
    std::string escaped;
    for (char character : text) escaped += character == '-' ? std::string("\\-") : std::string(1, character);
    return escaped;
}

// The line of the completion script that begins with `start`.
std::string LineStarting(const std::string& script, const std::string& start) {
    const std::size_t at = script.find("\n" + start);
    if (at == std::string::npos) return {};
    return script.substr(at + 1, script.find('\n', at + 1) - at - 1);
}

bool HaveProgram(const std::string& name) { return ShellOutput("command -v " + name + " 2>/dev/null") != ""; }

TEST(HelpOutputs, EveryCommandAndOptionAppearsInAllThree) {
    const std::string help = Words(FormatHelp());
    const std::string man = FormatManPage();
    const std::string completion = FormatBashCompletion();
    for (const CommandSpec& command : Commands()) {
        EXPECT_TRUE(Has(help, ' ' + Synopsis(command) + ' ')) << command.Words();
        EXPECT_TRUE(Has(help, Words(command.description))) << command.Words();
        EXPECT_TRUE(Has(man, ManText(command.description))) << command.Words();
        EXPECT_TRUE(Has(man, "\\fB" + ManText(command.group) + "\\fR")) << command.Words();
        const std::string cases = LineStarting(completion, "        \"" + command.group + ' ' + command.action);
        EXPECT_FALSE(cases.empty()) << command.Words();
        if (!command.action.empty()) {
            EXPECT_TRUE(Has(man, "\\fB" + command.action + "\\fR")) << command.Words();
            EXPECT_TRUE(Has(LineStarting(completion, "        1:" + command.group + ')'), command.action))
                << command.Words();
        }
        for (const OptionSpec& option : command.options) {
            EXPECT_TRUE(Has(help, Words(option.description))) << option.name;
            EXPECT_TRUE(Has(man, "\\fB" + ManText(option.name) + "\\fR")) << option.name;
            EXPECT_TRUE(Has(cases, option.name)) << option.name;
        }
        for (const ArgumentSpec& argument : command.arguments) {
            EXPECT_TRUE(Has(man, "\\fI" + ManText(argument.name) + "\\fR")) << argument.name;
        }
    }
    const std::string globals = LineStarting(completion, "    options+=");
    for (const OptionSpec& option : GlobalOptions()) {
        EXPECT_TRUE(Has(help, ' ' + option.name + ' ')) << option.name;
        EXPECT_TRUE(Has(man, "\\fB" + ManText(option.name) + "\\fR")) << option.name;
        EXPECT_TRUE(Has(globals, ' ' + option.name)) << option.name;
    }
    for (const DeviceSpec& device : Devices()) {
        EXPECT_TRUE(Has(help, device.shown)) << device.shown;
        EXPECT_TRUE(Has(man, ManText(device.shown))) << device.shown;
        EXPECT_TRUE(Has(completion, device.text)) << device.shown;
    }
    for (const ExitCodeSpec& code : ExitCodes()) {
        EXPECT_TRUE(Has(help, ' ' + std::to_string(code.code) + ' ' + Words(code.meaning))) << code.code;
        EXPECT_TRUE(Has(man, ".B " + std::to_string(code.code) + '\n')) << code.code;
    }
    for (const EnvironmentSpec& variable : Environment()) {
        EXPECT_TRUE(Has(help, variable.name)) << variable.name;
        EXPECT_TRUE(Has(man, ManText(variable.name))) << variable.name;
    }
    // The hidden requests stay hidden.
    EXPECT_FALSE(Has(help, "--help-man"));
    for (const std::string& line : {FormatHelp()}) {
        std::size_t start = 0;
        for (std::size_t end; (end = line.find('\n', start)) != std::string::npos; start = end + 1) {
            EXPECT_LE(end - start, 79u) << line.substr(start, end - start);
        }
    }
}

TEST(HelpOutputs, TheManPageRenders) {
    if (!HaveProgram("groff")) GTEST_SKIP() << "groff is not installed";
    testing::TemporaryFolder folder;
    std::ofstream(folder.File("quillet-cli.1")) << FormatManPage();
    const std::string page = folder.File("quillet-cli.1");
    EXPECT_EQ(ShellOutput("groff -man -Tutf8 -ww -z " + page + " 2>&1"), "");
    const std::string shown = ShellOutput("groff -man -Tascii -P-cbou " + page + " 2>/dev/null");
    for (const std::string piece : {"QUILLET-CLI(1)", "phonebook write [--fdn] FILE", "--validity TEXT",
                                    "VIRTUAL:<card file>", "EXIT STATUS", "QUILLET_DEVICE"}) {
        EXPECT_TRUE(Has(shown, piece)) << piece << "\n" << shown;
    }
}

TEST(HelpOutputs, TheCompletionCompletesInBash) {
    if (!HaveProgram("bash")) GTEST_SKIP() << "bash is not installed";
    testing::TemporaryFolder folder;
    std::ofstream(folder.File("completion.bash")) << FormatBashCompletion();
    std::ofstream(folder.File("book.dia")) << "1\tA\t1\r\n";
    std::ofstream(folder.File("card.json")) << "{}";
    struct Case {
        std::string line;
        std::string replies;
    };
    const Case cases[] = {
        {"quillet-cli ", "readers|phonebook|sms|smsp|networks|backup|restore|pin|pin2|info|check|print|"},
        {"quillet-cli --pin 1234 ph", "phonebook|"},
        {"quillet-cli phonebook ", "read|write|"},
        {"quillet-cli pin2 ", "verify|change|unblock|"},
        {"quillet-cli phonebook read --f", "--fdn|"},
        {"quillet-cli --device VIRTUAL phonebook write --fdn bo", "book.dia|"},
        {"quillet-cli smsp write --validity 3", "364\\ days|"},
        {"quillet-cli restore x.sim --only phonebook,s", "phonebook,sms|phonebook,smsp|"},
        {"quillet-cli --device V", "VIRTUAL|VIRTUAL:|"},
        {"quillet-cli --device VIRTUAL:ca", "card.json|"},
        {"quillet-cli --device PCMCIA\\ F", "PCMCIA\\ FY-1300|"},
        {"quillet-cli --pin ", "|"},
        {"quillet-cli networks write ", "|"},
    };
    std::string script = "cd " + folder.Path().string() + " && source ./completion.bash && complete -p quillet-cli\n" +
                         "t() { COMP_LINE=\"$1\"; COMP_POINT=${#COMP_LINE}; COMPREPLY=(); _quillet_cli;"
                         " printf '%s|' \"${COMPREPLY[@]}\"; echo; }\n";
    std::string expected = "complete -F _quillet_cli quillet-cli\n";
    for (const Case& test : cases) {
        std::string quoted;
        for (char character : test.line) quoted += character == '\\' ? std::string("\\\\") : std::string(1, character);
        script += "t \"" + quoted + "\"\n";
        expected += test.replies + '\n';
    }
    std::ofstream(folder.File("driver.sh")) << script;
    // No quillet-cli on the path: the PC/SC readers it would list are not part of this test.
    EXPECT_EQ(ShellOutput("env PATH=/usr/bin:/bin bash " + folder.File("driver.sh") + " 2>&1"), expected);
}

}  // namespace
}  // namespace quillet::cli
