// Entries between the program's own windows on an X server: drags made with xdotool's mouse, and
// the clipboard read and written by xclip, a second program.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "ui/CFdnEdDlg.h"
#include "ui/EditorWindowFixture.h"
#include "ui/EntryListModel.h"
#include "ui/EntryListView.h"
#include "ui/xvfb/TransferBook.h"

namespace quillet::testing {
namespace {

const std::string kCopiedText = "Jürgen Müller\t'+4930123456\r\nAnna\t'0301234\r\n";

// Keeps this process's event loop running until `done` holds or five seconds passed: the other
// program talks to this one's windows and clipboard meanwhile.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000) return false;
        QTest::qWait(20);
    }
    return true;
}

// Runs a program to its end without blocking the event loop; its standard output.
QByteArray RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return "(not started)";
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    EXPECT_TRUE(WaitFor([&process] { return process.state() == QProcess::NotRunning; })) << program.toStdString();
    return process.readAllStandardOutput();
}

using C = app::CommandId;

// Two phone book windows and the fixed dialling numbers window of the running program, side by
// side so that a drag passes from one to another; the first book holds two entries.
class TransferOnX : public EditorWindowFixture {
protected:
    void SetUp() override {
        EditorWindowFixture::SetUp();
        app->Settings().autoRead = 0;
        Frame().OnCommand(C::NewPhoneBook);
        a = FrontWindow();
        Frame().OnCommand(C::NewPhoneBook);
        b = FrontWindow();
        Frame().OnCommand(C::FixedDialingNumbers);
        fdn = FrontWindow<ui::CFdnEdDlg>(app::EditorKind::FixedDialing);
        ASSERT_TRUE(a && b && fdn && a != b);
        a->Table().DropPayload(EntriesPayload({{U"Jürgen Müller", "+4930123456"}, {U"Anna", "0301234"}}), 0);
        a->Refresh();
        // No window manager places them: they must not overlap, or a drop lands on the wrong one.
        a->move(0, 0);
        b->move(620, 0);
        fdn->move(0, 440);
        for (ui::CSezEdDlg* window : {a, b, static_cast<ui::CSezEdDlg*>(fdn)}) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        }
    }
    static QPoint ScreenPoint(const ui::CSezEdDlg& window, int row) {
        const ui::EntryListView* list = window.List();
        return list->viewport()->mapToGlobal(list->visualRect(list->model()->index(row, 1)).center());
    }
    static QStringList MoveTo(QPoint point) {
        return {"mousemove", QString::number(point.x()), QString::number(point.y()), "sleep", "0.1"};
    }
    // Drags row `row` of `from` onto `toRow` of `to` with the real pointer, Ctrl held over the target
    // when asked.
    static void Drag(ui::CSezEdDlg& from, int row, const ui::CSezEdDlg& to, int toRow, bool ctrl) {
        // Without a window manager nothing activates a window on a click: the keys go to the active one.
        from.MakeActive();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&from));
        const QPoint start = ScreenPoint(from, row);
        const QPoint end = ScreenPoint(to, toRow);
        QStringList steps = MoveTo(start);
        steps << "mousedown"
              << "1"
              << "sleep"
              << "0.1";
        for (int step = 1; step <= 3; ++step) steps << MoveTo(start + QPoint(0, 4 * step));
        steps << MoveTo((start + end) / 2) << MoveTo(end - QPoint(0, 2));
        if (ctrl)
            steps << "keydown"
                  << "ctrl"
                  << "sleep"
                  << "0.1";
        steps << MoveTo(end) << MoveTo(end + QPoint(1, 0)) << "mouseup"
              << "1"
              << "sleep"
              << "0.1";
        if (ctrl)
            steps << "keyup"
                  << "ctrl";
        RunProgram("xdotool", steps);
    }
    static std::string Name(ui::CSezEdDlg& window, int row) {
        return window.Table().RowTextOf(static_cast<std::size_t>(row)).name;
    }

    ui::CSezEdDlg* a = nullptr;
    ui::CSezEdDlg* b = nullptr;
    ui::CFdnEdDlg* fdn = nullptr;
};

TEST_F(TransferOnX, RowsMoveWithinAWindowAndAreCopiedAcrossWindowsAndWithCtrl) {
    const struct {
        int row;
        ui::CSezEdDlg& to;
        int toRow;
        bool ctrl;
        bool sourceKept;
    } cases[] = {{0, *a, 6, false, false}, {1, *b, 3, false, true}, {1, *a, 8, true, true}, {1, *fdn, 2, false, true}};
    for (const auto& c : cases) {
        const std::string name = Name(*a, c.row);
        Drag(*a, c.row, c.to, c.toRow, c.ctrl);
        EXPECT_TRUE(WaitFor([&] { return Name(c.to, c.toRow) == name; })) << c.toRow;
        QTest::qWait(100);
        EXPECT_EQ(a->Table().At(static_cast<std::size_t>(c.row)).used != 0, c.sourceKept) << c.toRow;
        EXPECT_TRUE(c.to.Table().RowTextOf(static_cast<std::size_t>(c.toRow)).item.ends_with('*')) << c.toRow;
        EXPECT_EQ(dynamic_cast<ui::EntryListModel&>(*c.to.List()->model()).DropRow(), -1);
    }
    EXPECT_EQ(responder.unexpected, 0);
}

TEST_F(TransferOnX, AnotherProgramReadsTheCopiedTextAndItsTextIsPastedAsUtf8OrWindows1250) {
    a->List()->SelectRows({0, 1});
    a->CopyEntries(false);
    EXPECT_EQ(RunProgram("xclip", {"-o", "-selection", "clipboard"}).toStdString(), kCopiedText);

    const struct {
        QStringList target;
        QByteArray text;
    } cases[] = {
        {{}, "Ji\xC5\x99\xC3\xAD \xC5\xA0tastn\xC3\xBD\t'+420603123456\n"},    // UTF-8
        {{"-t", "text/plain"}, "Ji\xF8\xED \x8Atastn\xFD\t'+420603123456\n"},  // Windows-1250
    };
    int row = 10;
    for (const auto& c : cases) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QSignalSpy changed(clipboard, &QClipboard::dataChanged);
        // xclip stays in the background as the clipboard's owner until another program takes it.
        RunProgram("xclip", QStringList{"-i", "-selection", "clipboard"} + c.target, c.text);
        ASSERT_TRUE(WaitFor([&] {
            return changed.count() > 0 && !clipboard->ownsClipboard() &&
                   clipboard->mimeData()->data("text/plain").contains("+420603123456");
        }));
        b->List()->SelectOnly(row);
        b->PasteEntries();
        EXPECT_EQ(Name(*b, row), "Jiri Stastny") << row;
        EXPECT_EQ(b->Table().RowTextOf(static_cast<std::size_t>(row)).number, "+420603123456");
        ++row;
    }
    EXPECT_EQ(responder.unexpected, 0);
}

}  // namespace
}  // namespace quillet::testing
