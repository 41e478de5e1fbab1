#pragma once

#include <string>

namespace quillet::cli {

// The three faces of the command table: --help, the man page (--help-man) and the bash
// completion (--help-bash-completion), which the build turns into installed files.
std::string FormatHelp();
std::string FormatManPage();
std::string FormatBashCompletion();

}  // namespace quillet::cli
