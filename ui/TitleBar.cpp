#include "ui/TitleBar.h"

#include <QGuiApplication>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <xcb/xcb.h>

namespace kordel {

namespace {

// The window manager hints of the Motif toolkit, which X window managers read.
constexpr std::uint32_t HintsFunctions = 1 << 0;
constexpr std::uint32_t HintsDecorations = 1 << 1;
constexpr std::uint32_t FunctionResize = 1 << 1;
constexpr std::uint32_t FunctionMove = 1 << 2;
constexpr std::uint32_t DecorationBorder = 1 << 1;
constexpr std::uint32_t DecorationResizeHandles = 1 << 2;
constexpr std::uint32_t DecorationTitle = 1 << 3;
constexpr std::uint32_t None = 0;

xcb_atom_t atomNamed(xcb_connection_t* connection, std::string_view name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

} // namespace

void askForCaptionOnly(QWidget& window, bool resizable) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    const xcb_atom_t hints = atomNamed(connection, "_MOTIF_WM_HINTS");
    if (hints == XCB_ATOM_NONE) {
        return;
    }
    const std::array<std::uint32_t, 5> request{
        HintsFunctions | HintsDecorations,
        FunctionMove | (resizable ? FunctionResize : None),
        DecorationBorder | DecorationTitle | (resizable ? DecorationResizeHandles : None),
        0, // input mode
        0, // status
    };
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE,
                        static_cast<xcb_window_t>(window.winId()), hints, hints, 32,
                        static_cast<std::uint32_t>(request.size()), request.data());
    xcb_flush(connection);
}

} // namespace kordel
