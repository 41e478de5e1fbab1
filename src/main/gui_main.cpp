// quillet: the windowed card editor.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "ui/AppIcon.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillet [--device NAME]\n"
    "  --device NAME  use this reader for this run instead of the one chosen in Other > Setup\n"
    "                 (NOTHING, COM1..COM8, PCMCIA FY-1300, RDXI DRIVER, PCSC:<reader>,\n"
    "                 VIRTUAL for the built-in demo card, VIRTUAL:<card file>)\n";

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    // Help needs no display.
    for (int index = 1; index < argc; ++index) {
        if (std::string(argv[index]) == "--help" || std::string(argv[index]) == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    // Qt takes its own options (-platform, -style, ...) out of the arguments first.
    QApplication application(argc, argv);
    quillet::ui::StartupOptions options;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument == QStringLiteral("--device")) {
            if (index + 1 == arguments.size()) {
                std::cerr << "quillet: --device needs a device name\n" << kUsage;
                return 2;
            }
            options.device = arguments[++index].toStdString();
        } else {
            std::cerr << "quillet: unknown argument " << argument.toStdString() << "\n" << kUsage;
            return 2;
        }
    }

    QApplication::setApplicationName(QStringLiteral("Quillet!"));
    QApplication::setOrganizationName(QStringLiteral("Ostrakon"));
    QApplication::setWindowIcon(quillet::ui::ApplicationIcon());
    QApplication::setDesktopFileName(QStringLiteral("quillet"));

    quillet::ui::CMainApp app;
    // For the start-up benchmark: report the first paint of the main window and stop there.
    if (std::getenv("QUILLET_REPORT_FIRST_PAINT") != nullptr) {
        app.onFramePainted = [] {
            std::printf("first-paint rss_kb=%ld\n", ResidentKilobytes());
            std::fflush(stdout);
            std::_Exit(0);
        };
    }
    if (!app.StartUp(options)) return 1;
    return QApplication::exec();
}
