#include "ui/RunLoop.h"

#include <QApplication>
#include <QInputEvent>
#include <QKeyEvent>
#include <QWindow>
#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace kordel {

namespace {

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

RunLoop::RunLoop(QWidget& window, QWidget& exitButton) : window_(window), exitButton_(exitButton) {
    if (pipe2(wakeUp_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category());
    }
    woken_ = std::make_unique<QSocketNotifier>(wakeUp_[0], QSocketNotifier::Read);
    connect(woken_.get(), &QSocketNotifier::activated, this, [this] { showWhatCame(); });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

RunLoop::~RunLoop() {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    woken_.reset();
    close(wakeUp_[0]);
    close(wakeUp_[1]);
}

std::exception_ptr RunLoop::exec(const std::function<void()>& run,
                                 const std::function<void()>& showProgress) {
    showProgress_ = showProgress;
    std::exception_ptr failure;
    std::thread thread([&] {
        try {
            run();
        } catch (...) {
            failure = std::current_exception();
        }
        ended_ = true;
        wake();
    });
    loop_.exec();
    // The loop ends early only when the program is ending.
    if (!ended_) {
        stop();
    }
    thread.join();
    return failure;
}

// A full pipe already holds a wake.
void RunLoop::wake() {
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(wakeUp_[1], &byte, 1);
}

void RunLoop::showWhatCame() {
    char bytes[64];
    while (read(wakeUp_[0], bytes, sizeof bytes) > 0) {
    }
    try {
        showProgress_();
    } catch (const std::exception&) {
        // The window shows less of the run (no memory left for it, say); the run goes on.
    }
    if (ended_) {
        loop_.quit();
    }
}

bool RunLoop::asksToStop(const QObject* watched, const QEvent* event) const {
    switch (event->type()) {
    case QEvent::Close:
        return watched == &window_ || watched == window_.windowHandle();
    case QEvent::KeyPress:
        return watched->isWidgetType() &&
               static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
    default:
        return false;
    }
}

// A window hands its input on to its widgets, where it is judged; only the exit button takes
// any.
bool RunLoop::eventFilter(QObject* watched, QEvent* event) {
    if (asksToStop(watched, event)) {
        stop();
        if (event->type() == QEvent::Close) {
            event->ignore();
        }
        return true;
    }
    if (event->type() == QEvent::LocaleChange) {
        localeChanged_ = true;
        return true;
    }
    return isInput(event) && !watched->isWindowType() && watched != &exitButton_;
}

} // namespace kordel
