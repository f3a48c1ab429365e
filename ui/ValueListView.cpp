#include "ui/ValueListView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <limits>

namespace kordel {

namespace {

constexpr int Margin = 2;
constexpr qsizetype Unbounded = std::numeric_limits<qsizetype>::max();

} // namespace

// The columns of `line` that a selection from..to covers begin here...
qsizetype ValueListView::selectionStartIn(std::size_t line, Position from) {
    if (from.line < line) {
        return 0;
    }
    return from.line == line ? from.column : Unbounded;
}

// ...and end here.
qsizetype ValueListView::selectionEndIn(std::size_t line, Position to) {
    if (to.line > line) {
        return Unbounded;
    }
    return to.line == line ? to.column : -1;
}

ValueListView::ValueListView(const ValueList& list, QWidget* parent)
    : QAbstractScrollArea(parent), list_(list) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
}

void ValueListView::refresh() {
    updateScrollRange();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    caret_ = endPosition();
    anchor_ = caret_;
    viewport()->update();
}

void ValueListView::selectAll() {
    anchor_ = Position{};
    caret_ = endPosition();
    viewport()->update();
}

void ValueListView::copy() const {
    const QString text = selectedText();
    if (!text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

QString ValueListView::selectedText() const {
    const Position from = std::min(anchor_, caret_);
    const Position to = std::max(anchor_, caret_);
    std::string text;
    for (std::size_t line = from.line; line <= to.line && line < list_.size(); ++line) {
        const std::string_view whole = list_.line(line);
        const auto start = line == from.line ? static_cast<std::size_t>(from.column) : 0;
        const auto end = line == to.line ? static_cast<std::size_t>(to.column) : whole.size();
        if (start < end) {
            text.append(whole.substr(start, end - start));
        }
        if (line != to.line) {
            text += '\n';
        }
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::size_t ValueListView::firstVisibleLine() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

QString ValueListView::lineText(std::size_t line) const {
    if (line >= list_.size()) {
        return {};
    }
    const std::string_view text = list_.line(line);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int ValueListView::textWidth() const {
    return std::max(1, viewport()->width() - 2 * Margin);
}

QList<qsizetype> ValueListView::rowStarts(const QString& text) const {
    QList<qsizetype> starts{0};
    const QFontMetrics metrics = fontMetrics();
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int advance = metrics.horizontalAdvance(text[i]);
        if (width + advance > textWidth() && i > starts.back()) {
            starts.append(i);
            width = 0;
        }
        width += advance;
    }
    return starts;
}

void ValueListView::updateScrollRange() {
    const int lineHeight = fontMetrics().lineSpacing();
    const int height = viewport()->height();
    std::size_t first = lineCount();
    int used = 0;
    while (first > 0) {
        const auto rows = static_cast<int>(rowStarts(lineText(first - 1)).size());
        if (used + rows * lineHeight > height && used > 0) {
            break;
        }
        used += rows * lineHeight;
        --first;
    }
    const auto maximum = static_cast<int>(std::min<std::size_t>(first, INT_MAX));
    verticalScrollBar()->setRange(0, maximum);
    verticalScrollBar()->setPageStep(std::max(1, height / lineHeight));
    verticalScrollBar()->setSingleStep(1);
}

ValueListView::Position ValueListView::endPosition() const {
    return {lineCount() - 1, 0};
}

ValueListView::Position ValueListView::positionAt(QPoint point) const {
    const int lineHeight = fontMetrics().lineSpacing();
    const QFontMetrics metrics = fontMetrics();
    int top = 0;
    for (std::size_t line = firstVisibleLine(); line < lineCount(); ++line) {
        const QString text = lineText(line);
        const QList<qsizetype> starts = rowStarts(text);
        for (qsizetype row = 0; row < starts.size(); ++row) {
            if (point.y() < top + lineHeight) {
                const qsizetype end = row + 1 < starts.size() ? starts[row + 1] : text.size();
                int x = Margin;
                qsizetype column = starts[row];
                while (column < end) {
                    const int advance = metrics.horizontalAdvance(text[column]);
                    if (point.x() < x + advance / 2) {
                        break;
                    }
                    x += advance;
                    ++column;
                }
                return {line, column};
            }
            top += lineHeight;
        }
    }
    return endPosition();
}

void ValueListView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int lineHeight = fontMetrics().lineSpacing();
    const int ascent = fontMetrics().ascent();
    const Position from = std::min(anchor_, caret_);
    const Position to = std::max(anchor_, caret_);
    const QFontMetrics metrics = fontMetrics();
    int top = 0;
    for (std::size_t line = firstVisibleLine(); line < lineCount() && top < viewport()->height();
         ++line) {
        const QString text = lineText(line);
        const QList<qsizetype> starts = rowStarts(text);
        for (qsizetype row = 0; row < starts.size(); ++row, top += lineHeight) {
            const qsizetype start = starts[row];
            const qsizetype end = row + 1 < starts.size() ? starts[row + 1] : text.size();
            const QStringView rowText = QStringView(text).mid(start, end - start);
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(Margin, top + ascent, rowText.toString());

            const qsizetype first = std::max(start, selectionStartIn(line, from));
            const qsizetype last = std::min(end, selectionEndIn(line, to));
            if (first < last) {
                const int x =
                    Margin + metrics.horizontalAdvance(rowText.left(first - start).toString());
                const QString selected = QStringView(text).mid(first, last - first).toString();
                const QRect box(x, top, metrics.horizontalAdvance(selected), lineHeight);
                painter.fillRect(box, palette().color(QPalette::Highlight));
                painter.setPen(palette().color(QPalette::HighlightedText));
                painter.drawText(x, top + ascent, selected);
            }
            if (hasFocus() && isCaretIn(line, start, end, row + 1 == starts.size())) {
                drawCaret(painter,
                          Margin + metrics.horizontalAdvance(
                                       rowText.left(caret_.column - start).toString()),
                          top);
            }
        }
    }
}

// The caret stands before the character at its column; at the end of a wrapped row it stands
// at the start of the next one.
bool ValueListView::isCaretIn(std::size_t line, qsizetype start, qsizetype end,
                              bool lastRow) const {
    return caret_.line == line && caret_.column >= start &&
           (caret_.column < end || (lastRow && caret_.column == end));
}

void ValueListView::drawCaret(QPainter& painter, int x, int top) const {
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(x, top, x, top + fontMetrics().lineSpacing() - 1);
}

void ValueListView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ValueListView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ValueListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void ValueListView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* bar = verticalScrollBar();
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        bar->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        bar->setValue(bar->maximum());
    } else if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        bar->triggerAction(event->key() == Qt::Key_Up ? QAbstractSlider::SliderSingleStepSub
                                                      : QAbstractSlider::SliderSingleStepAdd);
    } else if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        bar->triggerAction(event->key() == Qt::Key_PageUp ? QAbstractSlider::SliderPageStepSub
                                                          : QAbstractSlider::SliderPageStepAdd);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ValueListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    caret_ = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        anchor_ = caret_;
    }
    viewport()->update();
}

void ValueListView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point.y() < 0) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (point.y() >= viewport()->height()) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    caret_ = positionAt(point);
    viewport()->update();
}

void ValueListView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("Копировать"), this, &ValueListView::copy);
    copyAction->setEnabled(anchor_ != caret_);
    menu.addAction(QStringLiteral("Выделить всё"), this, &ValueListView::selectAll);
    menu.exec(event->globalPos());
}

} // namespace kordel
