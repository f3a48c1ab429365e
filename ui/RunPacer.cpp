#include "RunPacer.h"

#include <QApplication>
#include <QInputEvent>
#include <algorithm>

namespace kordel {

namespace {

constexpr std::int32_t RepaintIntervalMs = 50;
constexpr double RepaintInterval = RepaintIntervalMs / 1000.0;
// Pairs between two looks at the clock: far below 50 ms even on the slowest bus.
constexpr std::int32_t PairsPerLook = 64;

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

void RunPacer::pairRead(std::int32_t pairs) {
    if (pairs % PairsPerLook == 0) {
        repaintIfDue();
    }
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
