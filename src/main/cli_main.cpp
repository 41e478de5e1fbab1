// quillet-cli: the card editor's commands for scripts and terminals.
#include <iostream>

#include "cli/CliApp.h"
#include "cli/TerminalText.h"

int main(int argc, char** argv) {
    quillet::cli::UseTerminalLocale();
    return quillet::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
