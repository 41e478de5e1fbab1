// print --pdf FILE
#include "cli/CommandHandlers.h"

namespace quillet::cli {

int RunPrint(const Options&, const CommandLine&, std::ostream&, std::ostream&) { return 1; }

}  // namespace quillet::cli
