// check [--repair]
#include "cli/CommandHandlers.h"

namespace quillet::cli {

int RunCheck(const Options&, const CommandLine&, std::ostream&, std::ostream&) { return 1; }

}  // namespace quillet::cli
