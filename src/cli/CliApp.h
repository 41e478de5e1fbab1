#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quillet::cli {

// Exit codes of quillet-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCardFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFileError = 3;

// Runs one quillet-cli command line (without the program name).
int RunCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillet::cli
