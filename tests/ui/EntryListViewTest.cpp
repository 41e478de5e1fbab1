// The editors' list on real widgets: editing keys become commands once per press, the header keeps
// every column at least 10 pixels wide with the last one filling the rest, and a text wider than
// its column ends in "...".
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "ui/EntryListModel.h"
#include "ui/EntryListView.h"

namespace quillet::testing {
namespace {

class EntryListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        model = new ui::EntryListModel(
            {"Item nr", "Name", "Tel. number"}, [this] { return static_cast<int>(rows.size()); },
            [this](int row, int column) { return rows.at(row).at(column); }, view);
        view->SetEntryModel(model);
        model->Refresh();
        // Set up inside a window before it is laid out and shown, as the editors do.
        view->SetColumnWidths({75, 150});
        (new QVBoxLayout(&window))->addWidget(view);
        window.resize(400, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QObject::connect(view, &ui::EntryListView::CommandKey,
                         [this](app::CommandId command) { sent << QString::number(static_cast<int>(command)); });
        QObject::connect(view, &ui::EntryListView::CopyKey, [this](bool cut) { sent << (cut ? "cut" : "copy"); });
        QObject::connect(view, &ui::EntryListView::PasteKey, [this] { sent << "paste"; });
    }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(view, &event);
    }
    int Width(int column) const { return view->header()->sectionSize(column); }

    std::vector<QStringList> rows{{"  1  ", "Anna", "+4930123"},
                                  {"  2 *", "Bartholomew Montgomery-Fitzwilliam Jr.", "0301234"}};
    QWidget window;
    ui::EntryListView* view = new ui::EntryListView(&window);
    ui::EntryListModel* model = nullptr;
    QStringList sent;  // command ids, "copy", "cut" and "paste"
};

TEST_F(EntryListViewTest, EditingKeysSendTheirCommandOncePerPressAndNothingWithAlt) {
    view->setFocus();
    Press(Qt::Key_Delete);
    Press(Qt::Key_Delete, Qt::NoModifier, true);  // held down
    Press(Qt::Key_Delete);
    Press(Qt::Key_Delete, Qt::AltModifier);
    Press(Qt::Key_Insert);
    Press(Qt::Key_A, Qt::ControlModifier);
    Press(Qt::Key_F7);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    Press(Qt::Key_C, Qt::ControlModifier);
    Press(Qt::Key_X, Qt::ControlModifier);
    Press(Qt::Key_V, Qt::ControlModifier);
    // A window's shortcut on the same key does not take it from the list.
    QAction shortcut(QString(), &window);
    shortcut.setShortcut(Qt::Key_Insert);
    window.addAction(&shortcut);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy triggered(&shortcut, &QAction::triggered);
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(triggered.count(), 0);
    // 2054 Delete, 2053 Insert, 2056 Select All, 1005 Find, 2055 Clear selected.
    EXPECT_EQ(sent, (QStringList{"2054", "2054", "2053", "2056", "1005", "2055", "copy", "cut", "paste", "2053"}));
    EXPECT_TRUE(view->SelectedRows().empty());  // Ctrl+A went to the window, not to the list
}

TEST_F(EntryListViewTest, ColumnsKeepTenPixelsAndTheLastFillsTheRest) {
    ASSERT_EQ(Width(1), 150);
    const int last = Width(2);
    view->header()->resizeSection(1, 100);
    EXPECT_EQ(Width(2), last + 50);
    view->header()->resizeSection(1, 3);
    EXPECT_EQ(Width(1), ui::EntryListView::kMinimumColumnWidth);
    // A column that would pass the list's right edge ends there; the last keeps its 10 pixels.
    view->header()->resizeSection(1, 1000);
    EXPECT_EQ(Width(1), view->viewport()->width() - 75);
    EXPECT_EQ(Width(2), ui::EntryListView::kMinimumColumnWidth);
    // A double click on a divider: the widest row text and its margin.
    emit view->header()->sectionHandleDoubleClicked(0);
    EXPECT_EQ(Width(0), view->fontMetrics().horizontalAdvance("  2 *") + ui::EntryListView::kFitMargin);
}

TEST_F(EntryListViewTest, ATextWiderThanItsColumnEndsInThreeDots) {
    const QFontMetrics metrics = view->fontMetrics();
    const QString name = rows[1][1];
    for (const int width : {150, 60, 3}) {
        const QString cut = ui::EntryListView::FitText(metrics, name, width);
        ASSERT_TRUE(cut.endsWith("...")) << width;
        const QString kept = cut.chopped(3);
        EXPECT_TRUE(name.startsWith(kept));
        // The longest start that fits: one character more would not.
        EXPECT_TRUE(metrics.horizontalAdvance(cut) <= width || kept.isEmpty()) << width;
        EXPECT_GT(metrics.horizontalAdvance(name.left(kept.size() + 1) + "..."), width) << width;
    }
    // What the rows draw: the text cut to its column's present width.
    const QModelIndex cell = model->index(1, 1);
    EXPECT_TRUE(view->ShownText(cell).endsWith("..."));
    EXPECT_EQ(view->ShownText(model->index(0, 1)), "Anna");
    view->header()->resizeSection(1, metrics.horizontalAdvance(name) + 20);
    EXPECT_EQ(view->ShownText(cell), name);
}

TEST_F(EntryListViewTest, ARefreshAddsOrRemovesRowsAndRedrawsAllAtOnce) {
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    rows.resize(250, {"x", "y", "z"});
    model->Refresh();
    EXPECT_EQ(model->rowCount(), 250);
    rows.resize(1);
    model->Refresh();
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(changed.count(), 2);
    // The header marks one column and shows the blank on the others.
    model->SetSortMark(1);
    const auto icon = [this](int column) {
        return model->headerData(column, Qt::Horizontal, Qt::DecorationRole).value<QIcon>().pixmap(9, 6).toImage();
    };
    EXPECT_NE(icon(1), icon(0));
    EXPECT_EQ(icon(0), icon(2));
}

}  // namespace
}  // namespace quillet::testing
