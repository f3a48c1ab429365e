#include "ui/RunPacer.h"

#include <QApplication>
#include <QInputEvent>
#include <algorithm>

namespace kordel {

namespace {

constexpr double RepaintInterval = 0.050; // seconds

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

RunPacer::RunPacer(Clock& time, Progress showProgress)
    : time_(time), showProgress_(std::move(showProgress)), lastRepaint_(time.now()) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

RunPacer::~RunPacer() {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

void RunPacer::wait(std::int32_t milliseconds) {
    waitUntil(now() + milliseconds / 1000.0);
}

// A repaint is started only when the time left is at least twice what a repaint typically takes
// (the next may be slower, on a busy machine), so the wait still ends at its deadline however
// slowly the window paints.
void RunPacer::waitUntil(double deadline) {
    waitedSincePair_ = true;
    for (double due = lastRepaint_ + RepaintInterval; due < deadline;
         due = lastRepaint_ + RepaintInterval) {
        time_.waitUntil(due);
        if (deadline - now() < 2 * typicalRepaint()) {
            break;
        }
        repaint();
    }
    time_.waitUntil(deadline);
}

void RunPacer::readingsStarted() {
    readingsStart_ = now();
}

// With a pause the window repaints inside it. Without one it repaints between pairs, after a
// look at the clock: a pair can take 50 ms on a USB adapter.
void RunPacer::pairRead(std::int32_t pairs) {
    pairs_ = pairs;
    if (!waitedSincePair_ && now() - lastRepaint_ >= RepaintInterval) {
        repaint();
    }
    waitedSincePair_ = false;
}

void RunPacer::repaint() {
    const double start = now();
    showProgress_(pairs_, readingsStart_ ? start - *readingsStart_ : 0.0);
    QCoreApplication::processEvents();
    lastRepaint_ = now();
    repaintCosts_[repaints_++ % repaintCosts_.size()] = lastRepaint_ - start;
}

// The median of the last repaints: one slow repaint (the whole live picture drawn again) must
// not keep the window from repainting for the rest of the run.
double RunPacer::typicalRepaint() const {
    const std::size_t known = std::min(repaints_, repaintCosts_.size());
    std::array<double, 5> costs = repaintCosts_;
    std::sort(costs.begin(), costs.begin() + known);
    return known == 0 ? 0.0 : costs[known / 2];
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
