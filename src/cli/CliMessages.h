#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace quillet::cli {

// Exit codes of quillet-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCardFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFileError = 3;

// "quillet-cli: <reason>" on a line of its own.
void Complain(std::ostream& err, std::string_view reason);
// A one-line reason for wrong usage, pointing at --help; returns kExitUsage.
int UsageError(std::ostream& err, std::string_view reason);
// Why a file cannot be read ("No such file or directory", "it is a folder"); nothing when it may be. The
// file is not opened, so a FIFO keeps its bytes for the real reader.
std::optional<std::string> WhyUnreadable(const std::string& path);
// Says that a file given on the command line cannot be read, before anything else is done; returns
// kExitFileError.
int UnreadableFile(std::ostream& err, const std::string& path, const std::string& why);

}  // namespace quillet::cli
