// Runs the tests that need a real X server (real drags, a second program's clipboard) on the display
// xvfb-run gives this process alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/QtTestEnvironment.h"

// On a real display Qt talks to D-Bus, and libdbus keeps a buffer to the end of the process on
// purpose; the leak check looks at this program's memory, not the system library's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "No X display: run these tests through xvfb-run -a.\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    const std::string base = quillet::testing::PrepareQtEnvironment("quillet-xvfb");
    if (base.empty()) return 1;

    QApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(QString::fromStdString(base)).removeRecursively();
    return result;
}
