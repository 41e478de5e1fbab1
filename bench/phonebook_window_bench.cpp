// The phone book window's costs: how long showing all 250 rows again takes (the refresh after
// every command), and the program's resident memory with three windows full of entries open.
#include <QApplication>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/QtTestEnvironment.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/CSezEdDlg.h"
#include "ui/EntryListView.h"

namespace {

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return -1;
}

// 250 numbered entries with names as wide as a card allows.
std::string WriteFullBook(const std::string& folder) {
    const std::string path = folder + "/full.dia";
    std::ofstream out(path, std::ios::binary);
    for (int record = 1; record <= 250; ++record) {
        char line[96];
        std::snprintf(line, sizeof line, "%d\tEntry number %03d wide\t+4930%08d\r\n", record, record, record * 7919);
        out << line;
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string base = quillet::testing::PrepareQtEnvironment("quillet-bench-window");
    if (base.empty()) return 1;
    QApplication application(argc, argv);

    quillet::ui::CMainApp app;
    app.listPcscReaders = [](std::vector<std::string>& readers) {
        readers.clear();
        return true;
    };
    quillet::ui::StartupOptions options;
    options.device = "NOTHING";
    options.programInfoSeconds = 0;
    app.StartUp(options);
    app.Settings().autoRead = 0;
    const std::string book = WriteFullBook(base);

    quillet::ui::CSezEdDlg* window = nullptr;
    for (int count = 0; count < 3; ++count) {
        app.Frame()->OnCommand(quillet::app::CommandId::NewPhoneBook);
        window =
            dynamic_cast<quillet::ui::CSezEdDlg*>(app.Frame()->Editors().Front(quillet::app::EditorKind::PhoneBook));
        if (window == nullptr) return 1;
        window->Table().OpenFile(book);
        window->Refresh();
        QApplication::processEvents();
    }
    window->List()->selectAll();
    QApplication::processEvents();

    constexpr int kRounds = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        window->Refresh();
        window->List()->viewport()->repaint();
    }
    const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("phonebook_refresh_ms: %.3f\n", elapsed / kRounds);
    std::printf("phonebook_windows_rss_mb: %.1f\n", ResidentMegabytes());
    return 0;
}
