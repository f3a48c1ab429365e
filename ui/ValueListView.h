#pragma once

#include "acquisition/ValueList.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <cstddef>

namespace kordel {

// A read-only view of a channel value list: one logical line per value, wrapped on screen
// where wider than the view, an empty caret line after the last value, scrolled by logical
// line. Only the visible lines are laid out, so a million lines cost nothing to show.
// Text can be selected with the mouse or Ctrl+A and copied with Ctrl+C.
class ValueListView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ValueListView(const ValueList& list, QWidget* parent = nullptr);

    // The list has changed: lay out again and show its end, where the caret stands.
    void refresh();
    void selectAll();
    void copy() const;
    QString selectedText() const;
    // Index of the first logical line shown.
    std::size_t firstVisibleLine() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Position {
        std::size_t line = 0;
        qsizetype column = 0;
        auto operator<=>(const Position&) const = default;
    };

    // Lines shown: the list's lines and the caret line after them.
    std::size_t lineCount() const { return list_.size() + 1; }
    QString lineText(std::size_t line) const;
    int textWidth() const;
    // Where each screen row of a line starts, in characters.
    QList<qsizetype> rowStarts(const QString& text) const;
    void updateScrollRange();
    Position positionAt(QPoint point) const;
    Position endPosition() const;
    bool isCaretIn(std::size_t line, qsizetype start, qsizetype end, bool lastRow) const;
    // A line across the row at `x`, drawn while the view has the focus.
    void drawCaret(QPainter& painter, int x, int top) const;
    static qsizetype selectionStartIn(std::size_t line, Position from);
    static qsizetype selectionEndIn(std::size_t line, Position to);

    const ValueList& list_;
    Position anchor_;
    Position caret_;
};

} // namespace kordel
