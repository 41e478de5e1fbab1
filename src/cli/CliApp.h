#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CliMessages.h"

namespace quillet::cli {

// Runs one quillet-cli command line (without the program name).
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillet::cli
