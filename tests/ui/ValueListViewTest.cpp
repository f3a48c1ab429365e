#include "ui/ValueListView.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace kordel {
namespace {

class ValueListViewTest : public testing::Test {
protected:
    ValueListViewTest() {
        view.resize(73, 417);
        view.show();
    }

    void fill(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            list.append(std::to_string(i));
        }
        view.refresh();
    }

    ValueList list;
    ValueListView view{list};
};

TEST_F(ValueListViewTest, ShowsTheEndAfterEachRefreshScrollingByLogicalLine) {
    fill(1000);
    const int shown = view.viewport()->height() / view.fontMetrics().lineSpacing();
    EXPECT_EQ(view.firstVisibleLine(), 1001U - static_cast<std::size_t>(shown));
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.firstVisibleLine(), 0U);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.firstVisibleLine(), 1U);
}

TEST_F(ValueListViewTest, WideValuesTakeMoreRowsButStayOneLine) {
    for (int i = 0; i < 100; ++i) {
        list.append("10737418235.123");
    }
    view.refresh();
    const int rowsShown = view.viewport()->height() / view.fontMetrics().lineSpacing();
    const auto linesShown = 101U - view.firstVisibleLine();
    EXPECT_LT(linesShown, static_cast<std::size_t>(rowsShown)); // wrapped onto several rows
    view.selectAll();
    EXPECT_EQ(view.selectedText().count('\n'), 100);
}

TEST_F(ValueListViewTest, SelectAllCopiesEveryLineInOrder) {
    fill(3);
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "0\n1\n2\n");
}

TEST_F(ValueListViewTest, TheMouseSelectsFromPressToRelease) {
    list.append("2.509");
    list.append("4.98");
    view.refresh();
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    const int row = view.fontMetrics().lineSpacing();
    QWidget* area = view.viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(1, row / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(area->width() - 1, row + row / 2),
                     area->mapToGlobal(QPointF(area->width() - 1, row + row / 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &move);
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(area->width() - 1, row + row / 2));
    EXPECT_EQ(view.selectedText(), "2.509\n4.98");
}

// The pixels that differ between two pictures of the view, column by column.
std::map<int, int> differingColumns(const QImage& a, const QImage& b) {
    std::map<int, int> columns;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++columns[x];
            }
        }
    }
    return columns;
}

TEST_F(ValueListViewTest, DrawsTheCaretWhereTheClickSetItWhileItHasTheFocus) {
    list.append("2.509");
    list.append("4.98");
    view.refresh();
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    const int row = view.fontMetrics().lineSpacing();
    const int afterTwoCharacters = 2 + view.fontMetrics().horizontalAdvance("2.");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(afterTwoCharacters, row / 2));
    const QImage unfocused = view.viewport()->grab().toImage();

    QApplication::setActiveWindow(&view);
    view.setFocus();
    ASSERT_TRUE(view.hasFocus());
    const QImage focused = view.viewport()->grab().toImage();
    const std::map<int, int> caret = differingColumns(unfocused, focused);
    ASSERT_EQ(caret.size(), 1U);
    EXPECT_EQ(caret.begin()->first, afterTwoCharacters);
    EXPECT_EQ(caret.begin()->second, row);

    view.clearFocus();
    EXPECT_TRUE(differingColumns(unfocused, view.viewport()->grab().toImage()).empty());
}

} // namespace
} // namespace kordel
