#pragma once

#include <QString>
#include <QWidget>
#include <exception>

namespace kordel {

// The program's title: the error box's caption and the name the task bar shows.
inline const QString ApplicationTitle = QStringLiteral("Kordel (com)");

// The error box: the application's title as caption, the stop icon, one OK button; the
// other windows are disabled while it is up.
void showErrorBox(QWidget* parent, const std::string& message);

void showErrorOf(QWidget* parent, const std::exception_ptr& error);

// Runs one event handler: an error it raises ends it and is shown in the error box, so no
// exception leaves the handler.
template <typename Handler> void guarded(QWidget* parent, Handler handler) {
    try {
        handler();
    } catch (...) {
        showErrorOf(parent, std::current_exception());
    }
}

} // namespace kordel
