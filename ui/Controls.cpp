#include "ui/Controls.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace kordel {

QLabel* label(const QString& text, QWidget* parent, int left, int top) {
    auto* result = new QLabel(text, parent);
    result->move(left, top);
    result->adjustSize();
    return result;
}

QLineEdit* edit(QWidget* parent, QRect geometry, const QString& text) {
    auto* result = new QLineEdit(text, parent);
    result->setGeometry(geometry);
    return result;
}

QCheckBox* checkedBox(const QString& text, QWidget* parent, QRect geometry) {
    auto* result = new QCheckBox(text, parent);
    result->setGeometry(geometry);
    result->setChecked(true);
    return result;
}

QPushButton* pushButton(const QString& text, QWidget* parent, QRect geometry) {
    auto* result = new QPushButton(text, parent);
    result->setGeometry(geometry);
    result->setAutoDefault(false);
    return result;
}

namespace {

constexpr int CaptionIndent = 8;
constexpr int CaptionPadding = 2;

} // namespace

GroupBox::GroupBox(const QString& title, QWidget* parent, QRect geometry)
    : QGroupBox(title, parent) {
    setGeometry(geometry);
}

// The top line runs through the middle of the caption.
QRect GroupBox::frameRect() const {
    return rect().adjusted(0, fontMetrics().height() / 2, 0, 0);
}

QRect GroupBox::captionRect() const {
    const int width = fontMetrics().horizontalAdvance(title()) + 2 * CaptionPadding;
    return {CaptionIndent, 0, width, fontMetrics().height()};
}

// An etched frame, drawn here since some styles draw a group box frame below the caption.
void GroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.save();
    if (!title().isEmpty()) {
        painter.setClipRegion(QRegion(rect()) - captionRect());
    }
    qDrawShadeRect(&painter, frameRect(), palette(), true);
    painter.restore();
    style()->drawItemText(&painter, captionRect(), Qt::AlignCenter, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}

void setTabOrder(std::initializer_list<QWidget*> order) {
    for (auto it = order.begin(); it + 1 != order.end(); ++it) {
        QWidget::setTabOrder(*it, *(it + 1));
    }
}

bool handledAsDialogWithoutDefault(QWidget* dialog, QPushButton* cancel, const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        cancel->click();
        return true;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (auto* focused = qobject_cast<QPushButton*>(dialog->focusWidget())) {
            focused->click();
        }
        return true;
    default:
        return false;
    }
}

} // namespace kordel
