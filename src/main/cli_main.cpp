// quillet-cli: the card editor's commands for scripts and terminals.
#include <unistd.h>

#include <iostream>

#include "cli/CliApp.h"
#include "cli/TerminalText.h"

int main(int argc, char** argv) {
    quillet::cli::UseTerminalLocale();
    using quillet::cli::OutputKind;
    const OutputKind output = ::isatty(STDOUT_FILENO) ? OutputKind::Terminal : OutputKind::Stream;
    return quillet::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, output);
}
