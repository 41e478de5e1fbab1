#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quillet::sim {

// The commands of quillet-simcard, the virtual card's own tool: create the demo cards, show a
// card file, and set its attempt counters. Returns the process exit code: 0 done, 1 failed,
// 2 wrong usage.
int RunSimCardTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillet::sim
