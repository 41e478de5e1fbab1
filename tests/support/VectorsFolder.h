#pragma once

#include <string>

namespace quillet::testing {

// The folder of the vector files, found from this header's own place (tests/support), so a test
// binary needs no definition to find them.
inline std::string VectorsFolder() {
    const std::string header = __FILE__;
    return header.substr(0, header.rfind("/support/")) + "/vectors";
}

}  // namespace quillet::testing
