#include "RunPacer.h"

#include <QApplication>
#include <QInputEvent>
#include <algorithm>

namespace kordel {

namespace {

constexpr std::int32_t RepaintIntervalMs = 50;
constexpr double RepaintInterval = RepaintIntervalMs / 1000.0;

bool isInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::DragMove:
        return true;
    default:
        return dynamic_cast<const QInputEvent*>(event) != nullptr;
    }
}

} // namespace

RunPacer::RunPacer(Clock& time, std::function<void()> showProgress)
    : time_(time), showProgress_(std::move(showProgress)), lastRepaint_(time.now()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

RunPacer::~RunPacer() {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

void RunPacer::wait(std::int32_t milliseconds) {
    for (std::int32_t left = milliseconds; left > 0; left -= RepaintIntervalMs) {
        time_.wait(std::min(left, RepaintIntervalMs));
        repaintIfDue();
    }
}

// A look at the clock after every pair: a pair can take 50 ms on a USB adapter.
void RunPacer::pairRead(std::int32_t) {
    repaintIfDue();
}

void RunPacer::repaintIfDue() {
    if (now() - lastRepaint_ < RepaintInterval) {
        return;
    }
    showProgress_();
    QCoreApplication::processEvents();
    lastRepaint_ = now();
}

bool RunPacer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LocaleChange) {
        localeChanged_ = true;
        return true;
    }
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return isInput(event) || QObject::eventFilter(watched, event);
}

} // namespace kordel
