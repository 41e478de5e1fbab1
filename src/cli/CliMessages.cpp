#include "cli/CliMessages.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace quillet::cli {

void Complain(std::ostream& err, std::string_view reason) { err << "quillet-cli: " << reason << '\n'; }

int UsageError(std::ostream& err, std::string_view reason) {
    err << "quillet-cli: " << reason << "; see quillet-cli --help\n";
    return kExitUsage;
}

std::optional<std::string> WhyUnreadable(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return "it is a folder";
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (file) return std::nullopt;
    return errno != 0 ? std::strerror(errno) : "it cannot be opened";
}

int UnreadableFile(std::ostream& err, const std::string& path, const std::string& why) {
    Complain(err, "cannot read " + path + ": " + why + "; nothing was done");
    return kExitFileError;
}

}  // namespace quillet::cli
