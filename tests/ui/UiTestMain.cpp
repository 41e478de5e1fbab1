// Runs the window tests on real widgets without a display, with settings and card files in a
// folder of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    // Before the first QSettings and before Qt chooses a platform.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char folder[] = "/tmp/quillet-ui-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    const std::string base = folder;
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", base.c_str(), 1);

    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(QString::fromStdString(base)).removeRecursively();
    return result;
}
