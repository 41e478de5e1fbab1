// A long day's work in one run: on an X server, round after round, the phone book and message
// windows read the demo card, an entry is cut and pasted back through the clipboard and the book
// is written to the card, the card is backed up and restored, and every window is closed. Memory
// must level off and no file may be left open; the leak check at the end looks at what is left.
// QUILLET_SOAK_ROUNDS sets the number of rounds (200).
#include <dirent.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "ui/CRestoreCardDlg.h"
#include "ui/EditorWindowFixture.h"
#include "ui/EntryListView.h"
#include "ui_CRestoreCardDlg.h"

namespace quillet::testing {
namespace {

using C = app::CommandId;

long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// The names /proc/self/fd lists point to, one per open descriptor.
std::multiset<std::string> OpenFiles() {
    std::multiset<std::string> files;
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) return files;
    const int own = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own) continue;
        char target[512] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (::readlink(link.c_str(), target, sizeof target - 1) < 0) continue;
        std::string name = target;
        // Pipes and sockets carry their inode number; only their kind says what they are.
        if (name.rfind("pipe:", 0) == 0 || name.rfind("socket:", 0) == 0 || name.rfind("anon_inode:", 0) == 0) {
            name = name.substr(0, name.find(':'));
        }
        files.insert(name);
    }
    ::closedir(folder);
    return files;
}

class Soak : public EditorWindowFixture {
protected:
    // Odd rounds move the first entry to the last position through the clipboard, even rounds move
    // it back, and each writes the book to the card.
    void Round(int round) {
        const bool first = round == 1;
        if (first) AnswerPin("1234");
        Frame().OnCommand(C::EditPhoneBook);
        WaitForAnswers();
        ui::CSezEdDlg* book = FrontWindow();
        ASSERT_NE(book, nullptr);
        ASSERT_GT(book->Table().PositionCount(), 10u);
        const int last = static_cast<int>(book->Table().PositionCount()) - 1;
        const int from = round % 2 == 1 ? 0 : last;
        const int to = last - from;
        const QString name = book->List()->model()->index(from, 1).data().toString();

        QGuiApplication::clipboard()->clear();
        book->List()->SelectOnly(static_cast<std::size_t>(from));
        book->SendCommand(C::EditorCut);
        ASSERT_TRUE(QTest::qWaitFor([] { return !QGuiApplication::clipboard()->text().isEmpty(); }, 5000));
        book->List()->SelectOnly(static_cast<std::size_t>(to));
        book->SendCommand(C::EditorPaste);
        ASSERT_EQ(book->List()->model()->index(to, 1).data().toString(), name);
        book->SendCommand(C::EditorWriteToSim);

        Frame().OnCommand(C::EditMessages);
        ASSERT_NE(Frame().Editors().Front(app::EditorKind::Sms), nullptr);
        Frame().CloseAllEditors();

        // Removed after the restore: the file dialog would ask before it replaced it.
        const std::string backup = folder.File("soak.sim");
        AnswerFile(backup);
        responder.AnswerMessage();  // "Backup of SIM Card successfully completed"
        Frame().OnCommand(C::BackupCard);
        WaitForAnswers();
        AnswerFile(backup);
        responder.Expect([](QWidget* widget) {
            auto* dialog = qobject_cast<ui::CRestoreCardDlg*>(widget);
            if (dialog == nullptr) return false;
            QMetaObject::invokeMethod(dialog->Form().okButton, "click", Qt::QueuedConnection);
            return true;
        });
        if (first) AnswerPin("5678");
        responder.AnswerMessage();  // "Restoration of SIM Card successfully completed"
        Frame().OnCommand(C::RestoreCard);
        WaitForAnswers();
        ASSERT_EQ(responder.texts.size(), 2);
        ASSERT_EQ(responder.texts[0], "Backup of SIM Card successfully completed");
        ASSERT_TRUE(responder.texts[1].startsWith("Restoration of SIM Card successfully completed"));
        responder.texts.clear();
        std::remove(backup.c_str());
    }
};

TEST_F(Soak, MemoryLevelsOffAndNoFileStaysOpen) {
    const char* setting = std::getenv("QUILLET_SOAK_ROUNDS");
    const int rounds = setting != nullptr ? std::max(21, std::atoi(setting)) : 200;
    app->Settings().confirm = 0;
    InsertDemoCard();

    long early = 0;
    std::multiset<std::string> earlyFiles;
    for (int round = 1; round <= rounds; ++round) {
        Round(round);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
        if (round == 20) {
            early = ResidentKilobytes();
            earlyFiles = OpenFiles();
            ASSERT_FALSE(earlyFiles.empty()) << "/proc/self/fd cannot be read";
        }
    }
    const long late = ResidentKilobytes();
    const double growth = 100.0 * static_cast<double>(late - early) / static_cast<double>(early);
    std::printf("soak: %d rounds, resident %ld kB at round 20 and %ld kB at the end\n", rounds, early, late);
    std::printf("soak_rss_growth_pct: %.1f\n", growth);
    EXPECT_LE(growth, 10.0);
    EXPECT_EQ(OpenFiles(), earlyFiles);
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
