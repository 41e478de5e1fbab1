#include "card/ProcessPriority.h"

#include <sys/resource.h>

namespace quillet::card {

namespace {
constexpr int kHighPriority = -10;
constexpr int kNormalPriority = 0;
}  // namespace

void PosixProcessPriority::Raise() { ::setpriority(PRIO_PROCESS, 0, kHighPriority); }

void PosixProcessPriority::Lower() { ::setpriority(PRIO_PROCESS, 0, kNormalPriority); }

}  // namespace quillet::card
