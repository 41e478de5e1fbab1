// Starting and ending the windowed program: defaults, the reader message, the toolbar-only
// window, the grey client area, the information display, Exit and closing with changes.
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

#include "TestEditors.h"
#include "UiFixture.h"
#include "app/SettingsStore.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "ui/CMainToolBar.h"
#include "ui/CProgramInfoDlg.h"
#include "ui/GreyClientArea.h"
#include "ui_CProgramInfoDlg.h"

namespace quillet::testing {
namespace {

using Startup = UiFixture;

TEST_F(Startup, AFirstStartUsesTheDefaultsAndSaysWhyCom2CannotBeOpened) {
    responder.AnswerMessage();
    auto app = Start();
    ASSERT_TRUE(responder.Done());
    ASSERT_EQ(responder.texts.size(), 1u);
    EXPECT_TRUE(responder.texts[0].startsWith("Reader inaccessible (use menu Other->Setup) via  :\nCOM2 - "))
        << responder.texts[0].toStdString();
    EXPECT_EQ(responder.icons[0], QMessageBox::Warning);

    const app::AppSettings& settings = app->Settings();
    EXPECT_EQ(settings.device, "NOTHING");
    EXPECT_EQ(settings.myCountryCode, "49");
    EXPECT_EQ(settings.internationalPrefix, "00");
    EXPECT_EQ(settings.autoRead, 1);
    EXPECT_EQ(settings.confirm, 1);
    EXPECT_EQ(app->Context().Reader(), nullptr);
    EXPECT_EQ(app->Frame()->windowTitle(), "Quillet!");
    // Nothing is stored at start-up; a later save stores the reader that is really in use.
    EXPECT_FALSE(Stored("commData/device").isValid());
    app::SaveSettings(app->Store(), app->Settings());
    app->Store().Sync();
    EXPECT_EQ(Stored("commData/device").toString(), "NOTHING");
}

TEST_F(Startup, ADeviceGivenForTheRunIsOpenedButNotStored) {
    std::string error;
    const std::string card = folder.File("demo.json");
    ASSERT_TRUE(sim::SaveSimProfile(card, sim::BuildDemoSimProfile(), error)) << error;
    auto app = Start(ui::StartupOptions{"VIRTUAL:" + card});
    EXPECT_EQ(responder.texts.size(), 0u);
    ASSERT_NE(app->Context().Reader(), nullptr);
    EXPECT_EQ(app->Context().DeviceName(), "VIRTUAL:" + card);
    EXPECT_EQ(app->Settings().device, "COM2");
}

TEST_F(Startup, AsAToolbarTheWindowKeepsOnlyCaptionMenuAndToolbar) {
    QSettings(QStringLiteral("Ostrakon"), QStringLiteral("Quillet! 3.5")).setValue("confirmations/startWMin", 1);
    responder.AnswerMessage();
    auto app = Start();
    ui::CMainFrame& frame = *app->Frame();
    QApplication::processEvents();
    EXPECT_EQ(frame.height(), frame.menuBar()->height() + frame.ToolBar()->height());
    EXPECT_TRUE(frame.ClientArea()->visibleRegion().isEmpty());
}

// The name is painted only where there is room for it; everything else is plain grey.
TEST_F(Startup, TheClientAreaShowsTheNameOnlyWhenItFits) {
    responder.AnswerMessage();
    auto app = Start();
    ui::GreyClientArea& area = *app->Frame()->ClientArea();
    const auto navyPixels = [&area](int width, int height) {
        area.resize(width, height);
        const QImage image = area.grab().toImage();
        int navy = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                if (colour.blue() > 100 && colour.red() < 60)
                    ++navy;
                else
                    EXPECT_TRUE(colour == QColor(128, 128, 128) || colour.blue() > colour.red());
            }
        }
        return navy;
    };
    EXPECT_GT(navyPixels(600, 400), 500);
    EXPECT_EQ(navyPixels(449, 400), 0);
    EXPECT_EQ(navyPixels(600, 149), 0);
}

TEST_F(Startup, TheInformationClosesByItselfAtStartUpButNotFromTheHelpMenu) {
    responder.AnswerMessage();
    auto app = std::make_unique<ui::CMainApp>();
    app->listPcscReaders = [](std::vector<std::string>&) { return false; };
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(app->StartUp(ui::StartupOptions{std::nullopt, 1}));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 5000);

    bool timerRunning = true;
    QString version;
    responder.Expect([&](QWidget* widget) {
        auto* info = qobject_cast<ui::CProgramInfoDlg*>(widget);
        if (info == nullptr) return false;
        timerRunning = info->TimerRunning();
        version = info->findChild<QLabel*>("versionLabel")->text();
        info->accept();
        return true;
    });
    app->Frame()->OnCommand(app::CommandId::About);
    EXPECT_TRUE(responder.Done());
    EXPECT_FALSE(timerRunning);
    EXPECT_EQ(version, "Quillet! 3.5 PC/SC   R.125-04/2000");
}

TEST_F(Startup, ClosingTheWindowAsksFirstButExitLeavesWithoutAsking) {
    TestEditorCatalog editors;
    responder.AnswerMessage();
    auto app = Start({}, &editors);
    editors.app = app.get();
    ui::CMainFrame& frame = *app->Frame();
    frame.OnCommand(app::CommandId::EditPhoneBook);
    frame.OnCommand(app::CommandId::NewPhoneBook);
    ASSERT_EQ(editors.made.size(), 2u);
    editors.made[0]->changed = true;

    responder.AnswerMessage(QMessageBox::No);
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    ASSERT_EQ(responder.texts.size(), 2u);
    EXPECT_EQ(responder.texts[1], "By closing these windows you will lose all changes.\nClose all windows?");
    EXPECT_EQ(editors.destroyed, 0);

    // Exit from the running program: the editors go, changes and all, and nobody is asked.
    QTimer::singleShot(0, &frame, [&frame] { frame.OnCommand(app::CommandId::Exit); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(editors.destroyed, 2);
    EXPECT_EQ(responder.texts.size(), 2u);
    EXPECT_EQ(responder.unexpected, 0);
}

// Windows that report while the program comes down must find it still standing.
TEST_F(Startup, EndingTheProgramWithOpenEditorsIsOrderly) {
    TestEditorCatalog editors;
    responder.AnswerMessage();
    auto app = Start({}, &editors);
    editors.app = app.get();
    app->Frame()->OnCommand(app::CommandId::EditPhoneBook);
    app->Frame()->OnCommand(app::CommandId::EditMessages);
    app.reset();
    EXPECT_EQ(editors.destroyed, 2);
}

TEST_F(Startup, AStoredReaderOpensQuietlyAndAFailedRunDeviceKeepsTheSetting) {
    std::string error;
    const std::string card = folder.File("demo.json");
    ASSERT_TRUE(sim::SaveSimProfile(card, sim::BuildDemoSimProfile(), error)) << error;
    QSettings(QStringLiteral("Ostrakon"), QStringLiteral("Quillet! 3.5"))
        .setValue("commData/device", QString::fromStdString("VIRTUAL:" + card));
    auto app = Start();
    EXPECT_TRUE(responder.texts.isEmpty());
    EXPECT_EQ(app->Settings().device, "VIRTUAL:" + card);
    app.reset();

    responder.AnswerMessage();
    app = Start(ui::StartupOptions{"COM5"});
    ASSERT_EQ(responder.texts.size(), 1u);
    EXPECT_TRUE(responder.texts[0].contains(":\nCOM5 - "));
    EXPECT_EQ(app->Settings().device, "VIRTUAL:" + card);
}

}  // namespace
}  // namespace quillet::testing
