#include "Controls.h"

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

void setTabOrder(std::initializer_list<QWidget*> order) {
    for (auto it = order.begin(); it + 1 != order.end(); ++it) {
        QWidget::setTabOrder(*it, *(it + 1));
    }
}

bool handledAsDialogWithoutDefaults(QWidget* dialog, const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
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
