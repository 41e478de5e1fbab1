#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "reader/ReaderResult.h"

namespace quillet::cli {

// Why a device cannot be used, in the command line's own terms, and the exit code that says so.
struct DeviceProblem {
    std::string reason;
    int exitCode = 0;
};

// Checks a device name against the forms of the command table before anything is opened:
// NOTHING, an unknown name and a virtual card file that cannot be read are refused.
std::optional<DeviceProblem> CheckDeviceName(const std::string& device);

// Why the reader of a well-formed device name did not open, from the reader's result.
std::string DescribeOpenFailure(const std::string& device, reader::ReaderResult code);

// The "readers" command: every device name there is, PC/SC readers included.
int ListReaders(std::ostream& out);

}  // namespace quillet::cli
