// Runs the window tests on real widgets without a display, with settings and card files in a
// folder of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <string>

#include "support/QtTestEnvironment.h"

int main(int argc, char** argv) {
    const std::string base = quillet::testing::PrepareQtEnvironment("quillet-ui");
    if (base.empty()) return 1;

    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(QString::fromStdString(base)).removeRecursively();
    return result;
}
