#include "cli/CliMessages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillet::cli {

void Complain(std::ostream& err, std::string_view reason) { err << "quillet-cli: " << reason << '\n'; }

int UsageError(std::ostream& err, std::string_view reason) {
    err << "quillet-cli: " << reason << "; see quillet-cli --help\n";
    return kExitUsage;
}

std::optional<std::string> WhyUnreadable(const std::string& path) {
    // Looked at, never opened: opening a FIFO just to test it would take its writer's bytes away from the
    // real reader, and a device may act on an open. What these cannot do is left for the reader to say.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return "it is a folder";
    if (::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) return std::strerror(errno);
    return std::nullopt;
}

int UnreadableFile(std::ostream& err, const std::string& path, const std::string& why) {
    Complain(err, "cannot read " + path + ": " + why + "; nothing was done");
    return kExitFileError;
}

}  // namespace quillet::cli
