#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <memory>

#include "support/ModalResponder.h"
#include "support/TemporaryFolder.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"

namespace quillet::testing {

// A fresh configuration for every test: no stored values, serial ports that lead nowhere (so no
// test waits on a real port of the machine) and no PC/SC readers.
class UiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings settings(QStringLiteral("Ostrakon"), QStringLiteral("Quillet! 3.5"));
        settings.clear();
        for (int port = 1; port <= 8; ++port) {
            settings.setValue(QStringLiteral("commData/COM%1").arg(port),
                              QString::fromStdString(folder.File("missing-tty" + std::to_string(port))));
        }
        settings.sync();
    }

    static QVariant Stored(const QString& key) {
        return QSettings(QStringLiteral("Ostrakon"), QStringLiteral("Quillet! 3.5")).value(key);
    }

    // Starts the program without the start-up information display.
    std::unique_ptr<ui::CMainApp> Start(ui::StartupOptions options = {}, ui::EditorCatalog* editors = nullptr) {
        auto app = std::make_unique<ui::CMainApp>(editors);
        app->listPcscReaders = [](std::vector<std::string>& readers) {
            readers.clear();
            return true;
        };
        options.programInfoSeconds = 0;
        EXPECT_TRUE(app->StartUp(options));
        return app;
    }

    static bool Enabled(ui::CMainFrame& frame, app::CommandId command) {
        QAction* action = frame.MenuAction(command) ? frame.MenuAction(command) : frame.ToolbarAction(command);
        EXPECT_NE(action, nullptr) << static_cast<int>(command);
        return action != nullptr && action->isEnabled();
    }

    TemporaryFolder folder;
    ModalResponder responder;
};

}  // namespace quillet::testing
