#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace quillet::testing {

// What a shell command prints on its standard output; empty when it cannot be started.
inline std::string ShellOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, read);
    return output;
}

}  // namespace quillet::testing
