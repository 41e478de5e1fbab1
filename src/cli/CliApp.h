#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CliMessages.h"

namespace quillet::cli {

// Where standard output goes. A terminal is shown card text as the phone shows it, in the terminal's
// character set; anything else (a file, a pipe) gets the bytes the program's text files hold.
enum class OutputKind { Stream, Terminal };

// Runs one quillet-cli command line (without the program name).
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
           OutputKind outputKind = OutputKind::Stream);

}  // namespace quillet::cli
