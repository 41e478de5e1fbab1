#pragma once

#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "sim/DemoCard.h"
#include "sim/SimProfileJson.h"
#include "ui/CSezEdDlg.h"
#include "ui/PinDialog.h"

namespace quillet::testing {

// The program with its own editor windows, started with no reader; helpers to put the demo card
// in, answer the code dialogs and reach the windows.
class EditorWindowFixture : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        responder.AnswerMessage();  // COM2 leads nowhere
        app = Start();
        responder.texts.clear();
    }
    ui::CMainFrame& Frame() { return *app->Frame(); }
    template <typename Window = ui::CSezEdDlg>
    Window* FrontWindow(app::EditorKind kind = app::EditorKind::PhoneBook) {
        return dynamic_cast<Window*>(Frame().Editors().Front(kind));
    }
    std::string InsertDemoCard() {
        std::string error;
        const std::string path = folder.File("demo.json");
        EXPECT_TRUE(sim::SaveSimProfile(path, sim::BuildDemoSimProfile(), error)) << error;
        EXPECT_EQ(app->Context().OpenReaderByName("VIRTUAL:" + path), reader::result::kOk);
        return path;
    }
    // Puts `card` in, kept in the file `name`, and logs the instruction byte of every command it
    // gets from now on.
    std::string InsertCard(const sim::SimProfile& card, const std::string& name = "card.json") {
        std::string error;
        const std::string path = folder.File(name);
        EXPECT_TRUE(sim::SaveSimProfile(path, card, error)) << error;
        EXPECT_EQ(app->Context().OpenReaderByName("VIRTUAL:" + path), reader::result::kOk);
        app->Context().Reader()->SetTraceHook(
            [this](const reader::TraceRecord& record) { instructions.push_back(record.header[1]); });
        return path;
    }
    // Lets the reader go, which saves the card file, and loads it.
    sim::SimProfile TakeOutCard(const std::string& path) {
        app->Context().OpenReaderByName(app::ApplicationContext::kNoDevice);
        sim::SimProfile card;
        std::string error;
        EXPECT_TRUE(sim::LoadSimProfile(path, card, error)) << error;
        return card;
    }
    // The PIN or PIN2 dialog, answered with `code`.
    void AnswerPin(const QString& code) {
        responder.Expect([code](QWidget* widget) {
            auto* dialog = qobject_cast<ui::PinDialog*>(widget);
            if (dialog == nullptr) return false;
            dialog->findChild<QLineEdit*>("codeEdit")->setText(code);
            dialog->accept();
            return true;
        });
    }
    // A file dialog answered with `path`, or cancelled for an empty one. Its title and type list are
    // kept; `seen` runs when it opens.
    void AnswerFile(const std::string& path, std::function<void()> seen = {}) {
        responder.Expect([this, path, seen](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog == nullptr) return false;
            fileTitles << dialog->windowTitle();
            fileTypes << dialog->nameFilters();
            if (seen) seen();
            if (path.empty()) {
                dialog->reject();
                return true;
            }
            dialog->selectFile(QString::fromStdString(path));
            // Queued: a refusal of the dialog's own opens its message box after this handler.
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            return true;
        });
    }
    void WaitForAnswers() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return responder.Done(); }, 5000));
    }
    // Fills a window from a *.DIA file of these lines.
    void LoadEntries(ui::CSezEdDlg& window, const char* lines) {
        const std::string file = folder.File("book.dia");
        std::FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fputs(lines, out);
        std::fclose(out);
        window.Table().OpenFile(file);
        window.Refresh();
    }

    std::unique_ptr<ui::CMainApp> app;
    std::vector<std::uint8_t> instructions;  // of the commands the card got since InsertCard
    QStringList fileTitles;                  // of the file dialogs answered, in order
    QStringList fileTypes;
};

}  // namespace quillet::testing
