// Renders the main window, the setup dialog and the telephone card dialog into PNG files for
// the README: ui_screenshots FOLDER. Runs on the offscreen platform with a private configuration.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "support/QtTestEnvironment.h"
#include "ui/CMainApp.h"
#include "ui/CMainFrame.h"
#include "ui/CSetupDlg.h"
#include "ui/CommandTable.h"
#include "ui/TelephoneCardDialog.h"
#include "ui/ToolbarIcons.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const bool saved = widget.grab().save(folder + QLatin1Char('/') + name);
    if (!saved) std::cerr << "cannot write " << name.toStdString() << "\n";
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ui_screenshots FOLDER\n";
        return 2;
    }
    const std::string base = quillet::testing::PrepareQtEnvironment("quillet-shots");
    if (base.empty()) return 1;

    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    quillet::ui::CMainApp app;
    app.listPcscReaders = [](std::vector<std::string>& readers) {
        readers = {"Virtual PCD 00 00"};
        return true;
    };
    quillet::ui::StartupOptions options;
    options.device = "VIRTUAL";
    options.programInfoSeconds = 0;
    app.StartUp(options);
    bool ok = Save(*app.Frame(), folder, QStringLiteral("main-window.png"));

    {
        quillet::ui::CSetupDlg setup({app.Settings(), app.Store(), app.Context(), app.listPcscReaders}, app.Frame());
        ok = Save(setup, folder, QStringLiteral("setup-dialog.png")) && ok;
    }

    std::string error;
    const std::string card = base + "/telephone-card.json";
    quillet::sim::SaveSimProfile(card, quillet::sim::BuildDemoTelephoneCard(), error);
    app.Context().OpenReaderByName("VIRTUAL:" + card);
    {
        quillet::ui::TelephoneCardDialog telephone(app.Context(), app.Frame());
        telephone.ReadCard();
        ok = Save(telephone, folder, QStringLiteral("telephone-card.png")) && ok;
    }
    // The toolbar's pictures, enabled, four times their size.
    std::vector<quillet::app::CommandId> buttons;
    for (const quillet::app::CommandId command : quillet::ui::ToolbarCommands()) {
        if (command != quillet::app::CommandId::None) buttons.push_back(command);
    }
    QImage sheet(static_cast<int>(buttons.size()) * 72, 68, QImage::Format_ARGB32);
    sheet.fill(QColor(240, 240, 240));
    {
        QPainter painter(&sheet);
        for (std::size_t index = 0; index < buttons.size(); ++index) {
            const QPixmap icon = quillet::ui::ToolbarIcon(buttons[index]).pixmap(QSize(16, 15), 4.0);
            painter.drawPixmap(QRect(static_cast<int>(index) * 72 + 4, 4, 64, 60), icon);
        }
    }
    ok = sheet.save(folder + QStringLiteral("/toolbar-icons.png")) && ok;
    QDir(QString::fromStdString(base)).removeRecursively();
    return ok ? 0 : 1;
}
