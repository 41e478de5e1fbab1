// Runs the tests that need a real X server (real drags, a second program's clipboard) on the display
// xvfb-run gives this process alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/QtTestEnvironment.h"

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
