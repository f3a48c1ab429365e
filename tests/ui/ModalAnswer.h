#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <ostream>

// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}

namespace kordel::testing_support {

// What a modal window showed when it came up.
struct ModalSeen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText; // how a message box reads its text
};

// Waits, without blocking, for the next modal window to come up, hands it to `answer`
// (which must close it), and records what it showed. Arm it right before the action that
// opens the window; a window that never comes up leaves `shown` false.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer = closeIt)
        : answer_(std::move(answer)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    const ModalSeen& seen() const { return seen_; }

    // Presses the only or the default button of a message box, or closes a dialog.
    static void closeIt(QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            box->button(box->standardButtons() & QMessageBox::Ok ? QMessageBox::Ok
                                                                 : QMessageBox::Close)
                ->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->reject();
        }
    }

private:
    void poll() {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible()) {
            return;
        }
        timer_.stop();
        seen_.shown = true;
        seen_.title = window->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            seen_.text = box->text();
            seen_.icon = box->icon();
            seen_.format = box->textFormat();
        }
        answer_(window);
    }

    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    ModalSeen seen_;
};

// Presses the button of a message box that reads `text`.
inline std::function<void(QWidget*)> pressing(const QString& text) {
    return [text](QWidget* window) {
        for (QAbstractButton* button : qobject_cast<QMessageBox*>(window)->buttons()) {
            if (button->text() == text) {
                button->click();
            }
        }
    };
}

} // namespace kordel::testing_support
