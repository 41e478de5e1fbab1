#include "card/CoreDumpGuard.h"

#include <sys/prctl.h>

#include <mutex>

namespace quillet::card {

namespace {

std::mutex g_mutex;
unsigned g_codesHeld = 0;
int g_dumpableBefore = 1;

}  // namespace

void CoreDumpGuard::CodeHeld() {
    const std::lock_guard lock(g_mutex);
    if (g_codesHeld++ == 0) {
        g_dumpableBefore = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
        ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    }
}

void CoreDumpGuard::CodeWiped() {
    const std::lock_guard lock(g_mutex);
    if (g_codesHeld == 0) return;
    // Only 0 and 1 may be set again; 2 (readable by root only) is the system's own choice.
    if (--g_codesHeld == 0 && g_dumpableBefore == 1) ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
}

bool CoreDumpGuard::DumpsAllowed() { return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 0; }

}  // namespace quillet::card
