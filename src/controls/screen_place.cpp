#include "controls/screen_place.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct X11Window {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_window_t root = 0;
};

std::optional<X11Window> x11Window(const QWidget& widget) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    const QWindow* handle = widget.windowHandle();
    if (!x11 || !x11->connection() || !handle || !handle->handle()) return std::nullopt;
    xcb_connection_t* c = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen) return std::nullopt;
    return X11Window{c, static_cast<xcb_window_t>(handle->winId()), screen->root};
}

}  // namespace

std::optional<QRect> GeometryOnScreen(const QWidget& window) {
    const auto w = x11Window(window);
    if (!w) return std::nullopt;
    auto geometry = std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)>(
        xcb_get_geometry_reply(w->connection, xcb_get_geometry(w->connection, w->window), nullptr), &std::free);
    auto origin = std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)>(
        xcb_translate_coordinates_reply(w->connection,
                                        xcb_translate_coordinates(w->connection, w->window, w->root, 0, 0), nullptr),
        &std::free);
    if (!geometry || !origin) return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

void ResizeOnScreen(const QWidget& window, const QSize& size) {
    const auto w = x11Window(window);
    if (!w || size.isEmpty()) return;
    const uint32_t values[] = {static_cast<uint32_t>(size.width()), static_cast<uint32_t>(size.height())};
    xcb_configure_window(w->connection, w->window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(w->connection);
}
