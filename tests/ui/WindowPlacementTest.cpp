#include "ui/Centring.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>
#include <xcb/xcb.h>

namespace kordel {
namespace {

using testing_support::KordelWindows;
using testing_support::ModalAnswer;

struct CentringCase {
    QRect area;
    QSize client;
    QMargins frame;
    QPoint frameTopLeft;
};

class CentredFramePosition : public testing::TestWithParam<CentringCase> {};

TEST_P(CentredFramePosition, PutsTheMiddleOfTheFrameOnTheMiddleOfTheArea) {
    const CentringCase& c = GetParam();
    EXPECT_EQ(centredFramePosition(c.area, c.client, c.frame), c.frameTopLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CentredFramePosition,
    testing::Values(
        // the main window on a screen, with a title bar of 20 and borders of 1
        CentringCase{{0, 0, 1280, 1024}, {640, 461}, {1, 20, 1, 1}, {319, 271}},
        // the options dialog on that main window's frame
        CentringCase{{319, 271, 642, 482}, {473, 248}, {1, 20, 1, 1}, {402, 377}},
        // an area that does not start at the origin, thick borders
        CentringCase{{100, 50, 800, 600}, {225, 100}, {5, 24, 5, 5}, {382, 285}},
        CentringCase{{0, 0, 800, 600}, {640, 461}, {}, {80, 69}}));

QPoint frameCentre(const QWidget& window) {
    return window.frameGeometry().center();
}

// The middle of a frame with an even side lies between two pixels.
void expectCentredOn(QPoint centre, QPoint middle) {
    EXPECT_LE(std::abs(centre.x() - middle.x()), 1) << centre.x() << " against " << middle.x();
    EXPECT_LE(std::abs(centre.y() - middle.y()), 1) << centre.y() << " against " << middle.y();
}

struct DialogCase {
    const char* name;
    QDialog& (*dialogOf)(KordelWindows&);
    QToolButton* TForm1::*opener;
    std::uint32_t functions;   // move, and resize where the border is sizeable
    std::uint32_t decorations; // border and title, and resize handles where sizeable
};

void PrintTo(const DialogCase& c, std::ostream* out) {
    *out << c.name;
}

class DialogWindow : public testing::TestWithParam<DialogCase> {
protected:
    QDialog& dialog() { return GetParam().dialogOf(windows); }

    KordelWindows windows;
};

// What the window asks an X window manager for, as it reads it: flags, functions, decorations.
std::vector<std::uint32_t> motifHints(QWidget& window) {
    xcb_connection_t* connection =
        qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), atom->atom,
                         atom->atom, 0, 5),
        nullptr);
    std::vector<std::uint32_t> hints;
    if (property != nullptr && property->format == 32) {
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(property));
        hints.assign(values, values + std::min(xcb_get_property_value_length(property) / 4, 3));
    }
    std::free(property);
    std::free(atom);
    return hints;
}

TEST_P(DialogWindow, AsksTheXWindowManagerForACaptionAndNoTitleBarButtons) {
    if (QGuiApplication::platformName() != "xcb") {
        GTEST_SKIP() << "needs an X server: QT_QPA_PLATFORM=xcb";
    }
    for (int showing = 1; showing <= 2; ++showing) {
        dialog().show();
        EXPECT_EQ(motifHints(dialog()),
                  (std::vector<std::uint32_t>{3, GetParam().functions, GetParam().decorations}))
            << "showing " << showing;
        dialog().hide();
    }
}

TEST_P(DialogWindow, OpensCentredOnTheMainWindowTheFirstTime) {
    QPoint centre;
    ModalAnswer answer([&](QWidget* window) {
        centre = frameCentre(*window);
        ModalAnswer::closeIt(window);
    });
    QTest::mouseClick(windows.Form1.*GetParam().opener, Qt::LeftButton);
    ASSERT_TRUE(answer.seen().shown);
    expectCentredOn(centre, frameCentre(windows.Form1));
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogWindow,
    testing::Values(DialogCase{"Options", [](KordelWindows& w) -> QDialog& { return w.FNgr; },
                               &TForm1::SpeedButton3, 0x4, 0x2 | 0x8},
                    DialogCase{"Save", [](KordelWindows& w) -> QDialog& { return w.FSave; },
                               &TForm1::SpeedButton2, 0x4 | 0x2, 0x2 | 0x4 | 0x8}));

TEST(SaveWarning, IsCentredOnTheScreen) {
    KordelWindows windows;
    windows.FSave.show();
    windows.FSave.Edit1->setText("a");
    QPoint centre;
    ModalAnswer answer([&](QWidget* box) {
        centre = frameCentre(*box);
        ModalAnswer::closeIt(box);
    });
    QTest::mouseClick(windows.FSave.Button1, Qt::LeftButton);
    ASSERT_TRUE(answer.seen().shown);
    expectCentredOn(centre, QGuiApplication::primaryScreen()->availableGeometry().center());
}

} // namespace
} // namespace kordel
