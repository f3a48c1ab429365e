#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>

namespace kordel {

// Controls at their place in the window, as the three windows lay them out.
QLabel* label(const QString& text, QWidget* parent, int left, int top);
QLineEdit* edit(QWidget* parent, QRect geometry, const QString& text = {});
QCheckBox* checkedBox(const QString& text, QWidget* parent, QRect geometry);
// A button that Enter presses only while it has the focus: the dialogs have no default button.
QPushButton* pushButton(const QString& text, QWidget* parent, QRect geometry);

// A group box whose caption stands on its frame's top line, a little in from the left, with
// the line broken behind it.
class GroupBox : public QGroupBox {
public:
    GroupBox(const QString& title, QWidget* parent, QRect geometry);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect frameRect() const;
    QRect captionRect() const;
};

void setTabOrder(std::initializer_list<QWidget*> order);

// The keys of a dialog without a default button: Esc presses `cancel` and Enter presses the
// focused push button only. Returns whether the key was one of those.
bool handledAsDialogWithoutDefault(QWidget* dialog, QPushButton* cancel, const QKeyEvent* event);

} // namespace kordel
