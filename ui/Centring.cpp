#include "ui/Centring.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>

namespace kordel {

namespace {

QMargins frameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The window manager frames top-level windows alike: a window not framed yet will get the
// frame of one that is.
QMargins expectedFrame(const QWidget& window) {
    if (!frameOf(window).isNull()) {
        return frameOf(window);
    }
    for (const QWidget* shown : QApplication::topLevelWidgets()) {
        if (shown->isVisible() && !frameOf(*shown).isNull()) {
            return frameOf(*shown);
        }
    }
    return {};
}

QRect screenArea(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

// The window manager frames a window before it shows it: it has been mapped when it is
// painted or activated, or moved by the frame.
bool isAfterMapping(QEvent::Type type) {
    return type == QEvent::Paint || type == QEvent::WindowActivate || type == QEvent::Move;
}

// Centres the window again as soon as the window manager has framed it.
class CentreWhenFramed : public QObject {
public:
    explicit CentreWhenFramed(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (isAfterMapping(event->type()) && !frameOf(window_).isNull()) {
            window_.removeEventFilter(this);
            centreWithFrame(window_, screenArea(window_));
            deleteLater();
        }
        return false;
    }

private:
    QWidget& window_;
};

} // namespace

QPoint centredFramePosition(QRect area, QSize client, QMargins frame) {
    const QSize outer = client.grownBy(frame);
    return {area.left() + (area.width() - outer.width()) / 2,
            area.top() + (area.height() - outer.height()) / 2};
}

// The window is placed by its client area: a frame position before the window manager has
// framed the window would be taken as the client's.
void centreWithFrame(QWidget& window, QRect area) {
    const QMargins frame = expectedFrame(window);
    const QPoint client =
        centredFramePosition(area, window.size(), frame) + QPoint(frame.left(), frame.top());
    window.setGeometry(QRect(client, window.size()));
}

void centreOnScreen(QWidget& window) {
    const QRect area = screenArea(window);
    if (area.isEmpty()) {
        return;
    }
    centreWithFrame(window, area);
    if (frameOf(window).isNull()) {
        new CentreWhenFramed(window);
    }
}

} // namespace kordel
