#pragma once
// Where the X server has a top-level window, asked of the server itself.
// Qt's own idea of a window's geometry can go wrong under a reparenting
// window manager: a window resized while hidden may come back believed at
// (0,0), or narrower on the screen than Qt laid it out. These let a window
// notice and put it right. Off X11 (tests offscreen, Wayland) they answer
// nothing and do nothing.

#include <QRect>

#include <optional>

class QWidget;

// The window's rectangle on the screen as the X server has it.
std::optional<QRect> GeometryOnScreen(const QWidget& window);

// Asks the X server to give the window this size, whatever Qt believes it
// has already.
void ResizeOnScreen(const QWidget& window, const QSize& size);
