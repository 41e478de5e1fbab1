// Entries through the clipboard and by drag and drop between phone book lists, offscreen: drags
// are started with the mouse and end in enter, move and drop events sent to the target list.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "support/ModalResponder.h"
#include "ui/xvfb/TransferBook.h"

namespace quillet::testing {
namespace {

constexpr std::size_t kRows = phonebook::kTablePositions;

class EntryTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        a.Fill(0, {{U"Jürgen Müller", "+4930123456"}, {U"Anna", "0301234"}});
        for (TransferBook* book : {&a, &b}) {
            book->window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&book->window));
        }
    }
    // A payload as a list with token `source` packs it.
    static QMimeData* PayloadFrom(std::uint32_t source) {
        auto* data = new QMimeData;
        phonebook::PhoneBookEntry entry = phonebook::EmptyPosition(0);
        entry.used = 1;
        const std::vector<std::uint8_t> bytes = phonebook::PackDialPayload(source, std::span(&entry, 1));
        data->setData(ui::kDialClipboardFormat,
                      QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        return data;
    }
    static QPoint RowPoint(const TransferBook& book, int row) {
        return book.list->visualRect(book.model->index(row, 1)).center();
    }
    // A drag entering `book` and moving to `point`: what it proposes there.
    static Qt::DropAction Hover(TransferBook& book, QPoint point, const QMimeData* data, Qt::KeyboardModifiers keys) {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(point, actions, data, Qt::LeftButton, keys);
        QApplication::sendEvent(book.list->viewport(), &enter);
        QDragMoveEvent move(point, actions, data, Qt::LeftButton, keys);
        QApplication::sendEvent(book.list->viewport(), &move);
        return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    }
    // Drops `data` on `row` of `book` the way a drag ends: enter, then the drop; what it did.
    static Qt::DropAction DropOn(TransferBook& book, int row, const QMimeData* data, Qt::KeyboardModifiers keys) {
        const QPoint point = RowPoint(book, row);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(point, actions, data, Qt::LeftButton, keys);
        QApplication::sendEvent(book.list->viewport(), &enter);
        QDropEvent drop(point, actions, data, Qt::LeftButton, keys);
        QApplication::sendEvent(book.list->viewport(), &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    // Drags `row` of `from` with the mouse onto `row` of `to`.
    static void Drag(TransferBook& from, int row, TransferBook& to, int toRow, Qt::KeyboardModifiers keys) {
        from.list->SetDragRunner([&to, toRow, keys](QDrag& drag) { return DropOn(to, toRow, drag.mimeData(), keys); });
        QWidget* port = from.list->viewport();
        const QPoint start = RowPoint(from, row);
        QTest::mousePress(port, Qt::LeftButton, {}, start);
        // Item views start a drag on the second move past the drag distance.
        for (int step = 1; step <= 2; ++step) {
            const QPoint at = start + QPoint(0, step * QApplication::startDragDistance());
            QMouseEvent move(QEvent::MouseMove, at, port->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(port, &move);
        }
        QTest::mouseRelease(port, Qt::LeftButton, {}, start);
    }

    ScriptedUserInterface ui;
    phonebook::NameLimit limit;
    TransferBook a{ui, limit};
    TransferBook b{ui, limit};
};

TEST_F(EntryTransferTest, CopyAndPasteWithinAndAcrossListsAndACutOfEmptyRowsPutsNothing) {
    a.list->SelectRows({0, 1});
    a.transfer->Copy(false);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied->hasFormat(ui::kDialClipboardFormat));
    EXPECT_EQ(copied->text().toStdString(), "Jürgen Müller\t'+4930123456\r\nAnna\t'0301234\r\n");
    a.list->SelectOnly(5);
    a.transfer->Paste();
    b.list->SelectOnly(kRows - 1);  // the last row takes one entry and warns
    b.transfer->Paste();
    EXPECT_EQ(a.Name(5), "Jürgen Müller");
    EXPECT_EQ(a.Name(6), "Anna");
    EXPECT_EQ(b.Name(kRows - 1), "Jürgen Müller");
    ASSERT_EQ(ui.messages.size(), 1u);

    QGuiApplication::clipboard()->setText("kept");
    a.list->SelectRows({20, 21});
    a.transfer->Copy(true);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    // A cut empties its rows and shows them so.
    QSignalSpy shown(a.model, &QAbstractItemModel::dataChanged);
    a.list->SelectRows({5});
    a.transfer->Copy(true);
    EXPECT_FALSE(a.Used(5));
    EXPECT_EQ(shown.count(), 1);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(ui::kDialClipboardFormat));
}

// Plain text in UTF-8 and in Windows-1250 is pasted from a second program in the Xvfb tests.
TEST_F(EntryTransferTest, UnreadablePrivateEntriesAreReportedAndNothingIsPlaced) {
    // Private entries cut short, with no text beside them: nothing is placed and the user is told.
    QMimeData* broken = PayloadFrom(7);
    broken->setData(ui::kDialClipboardFormat, broken->data(ui::kDialClipboardFormat).chopped(4));
    QGuiApplication::clipboard()->setMimeData(broken);
    ModalResponder responder;
    responder.AnswerMessage();
    b.list->SelectOnly(10);
    b.transfer->Paste();
    EXPECT_TRUE(responder.Done());
    EXPECT_FALSE(b.Used(10));
}

TEST_F(EntryTransferTest, ADragOverARowHighlightsItAndProposesMoveOnlyWithinItsOwnListWithoutCtrl) {
    const std::uint32_t own = a.transfer->SourceToken();
    EXPECT_NE(own, b.transfer->SourceToken());
    QMimeData text;
    text.setText("Anna\t'123");
    QMimeData* broken = PayloadFrom(own);
    broken->setData(ui::kDialClipboardFormat, broken->data(ui::kDialClipboardFormat).chopped(1));
    const std::unique_ptr<QMimeData> owned[] = {std::unique_ptr<QMimeData>(PayloadFrom(own)),
                                                std::unique_ptr<QMimeData>(PayloadFrom(b.transfer->SourceToken())),
                                                std::unique_ptr<QMimeData>(broken)};
    const struct {
        const QMimeData* data;
        Qt::KeyboardModifiers keys;
        Qt::DropAction expected;
    } cases[] = {
        {owned[0].get(), Qt::NoModifier, Qt::MoveAction}, {owned[0].get(), Qt::ControlModifier, Qt::CopyAction},
        {owned[1].get(), Qt::NoModifier, Qt::CopyAction}, {owned[2].get(), Qt::NoModifier, Qt::IgnoreAction},
        {&text, Qt::NoModifier, Qt::IgnoreAction},
    };
    QWidget* port = a.list->viewport();
    for (const auto& c : cases) {
        const QPoint point = RowPoint(a, 4);
        EXPECT_EQ(Hover(a, point, c.data, c.keys), c.expected);
        const bool taken = c.expected != Qt::IgnoreAction;
        EXPECT_EQ(a.model->DropRow(), taken ? 4 : -1) << c.expected;
        QDragLeaveEvent leave;
        QApplication::sendEvent(port, &leave);
        EXPECT_EQ(a.model->DropRow(), -1);
    }
}

// Moves within a list and copies with Ctrl or across lists are real drags in the Xvfb tests.
TEST_F(EntryTransferTest, AMoveRefusedAtTheOverwriteQuestionKeepsTheDraggedRow) {
    a.Fill(2, {{U"Bert", "123"}});
    a.confirm = true;
    ui.answers = {card::Answer::No};
    Drag(a, 1, a, 2, Qt::NoModifier);
    EXPECT_EQ(a.Name(2), "Bert");
    EXPECT_TRUE(a.Used(1));
    EXPECT_EQ(ui.questions.size(), 1u);
}

TEST_F(EntryTransferTest, ADragNearTheTopOrBottomEdgeScrollsByTheRowsOfItsZone) {
    QWidget* port = a.list->viewport();
    const int height = port->height();
    const auto shown = [&](int row) {
        const QRect rect = a.list->visualRect(a.model->index(row, 0));
        return rect.isValid() && port->rect().contains(rect);
    };
    const auto first = [&] {
        int row = 0;
        while (!shown(row)) ++row;
        return row;
    };
    const auto last = [&] {
        int row = first();
        while (row + 1 < static_cast<int>(kRows) && shown(row + 1)) ++row;
        return row;
    };
    const std::unique_ptr<QMimeData> data(PayloadFrom(1));
    const struct {
        int top;  // the row scrolled to the top first; negative: rows above the end of the list
        int y;    // negative: from the bottom edge
        int firstShown;
        int lastShownMore;  // rows shown more than before at the bottom
    } cases[] = {
        {100, 4, 95, -1}, {100, 14, 99, -1}, {3, 4, 0, -1},   {100, 24, 100, 0},
        {100, -5, -1, 5}, {100, -15, -1, 1}, {-2, -5, -1, 2}, {100, -25, 100, 0},
    };
    for (const auto& c : cases) {
        int top = c.top;
        if (top < 0) {
            a.list->scrollToBottom();
            top += first();
        }
        a.list->scrollTo(a.model->index(top, 0), QAbstractItemView::PositionAtTop);
        const int lastBefore = last();
        const QPoint point(50, c.y < 0 ? height + c.y : c.y);
        Hover(a, point, data.get(), Qt::NoModifier);
        QDragLeaveEvent leave;
        QApplication::sendEvent(port, &leave);
        if (c.firstShown >= 0) {
            EXPECT_EQ(first(), c.firstShown) << c.top << " " << c.y;
        }
        if (c.lastShownMore >= 0) {
            EXPECT_EQ(last(), lastBefore + c.lastShownMore) << c.top << " " << c.y;
        }
    }
}

}  // namespace
}  // namespace quillet::testing
