// Entries between real windows on an X server: drags made with xdotool's mouse, and the clipboard
// read and written by xclip, a second program.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <functional>

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

class TransferOnX : public ::testing::Test {
protected:
    void SetUp() override {
        a.Fill(0, {{U"Jürgen Müller", "+4930123456"}, {U"Anna", "0301234"}});
        a.window.move(0, 0);
        b.window.move(450, 0);
        for (TransferBook* book : {&a, &b}) {
            book->window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&book->window));
        }
    }
    static QPoint ScreenPoint(const TransferBook& book, int row) {
        return book.list->viewport()->mapToGlobal(book.list->visualRect(book.model->index(row, 1)).center());
    }
    static QStringList MoveTo(QPoint point) {
        return {"mousemove", QString::number(point.x()), QString::number(point.y()), "sleep", "0.1"};
    }
    // Drags row `row` of `from` onto `toRow` of `to` with the real pointer, Ctrl held over the target
    // when asked.
    static void Drag(const TransferBook& from, int row, const TransferBook& to, int toRow, bool ctrl) {
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

    ScriptedUserInterface ui;
    phonebook::NameLimit limit;
    TransferBook a{ui, limit};
    TransferBook b{ui, limit};
};

TEST_F(TransferOnX, RowsMoveWithinAWindowAndAreCopiedAcrossWindowsAndWithCtrl) {
    const struct {
        int row;
        TransferBook& to;
        int toRow;
        bool ctrl;
        bool sourceKept;
    } cases[] = {{0, a, 6, false, false}, {1, b, 3, false, true}, {1, a, 8, true, true}};
    for (const auto& c : cases) {
        const std::string name = a.Name(c.row);
        Drag(a, c.row, c.to, c.toRow, c.ctrl);
        EXPECT_TRUE(WaitFor([&] { return c.to.Name(c.toRow) == name; })) << c.toRow;
        QTest::qWait(100);
        EXPECT_EQ(a.Used(c.row), c.sourceKept) << c.toRow;
        EXPECT_EQ(c.to.model->DropRow(), -1);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TransferOnX, AnotherProgramReadsTheCopiedTextAndItsTextIsPastedAsUtf8OrWindows1250) {
    a.list->SelectRows({0, 1});
    a.transfer->Copy(false);
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
        b.list->SelectOnly(row);
        b.transfer->Paste();
        EXPECT_EQ(b.Name(row), "Jiri Stastny") << row;
        EXPECT_EQ(b.table.RowTextOf(row).number, "+420603123456");
        ++row;
    }
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace quillet::testing
