#pragma once
// The controls paint into an off-screen bitmap copied to the screen in one
// go (no flicker), and straight onto the widget when no bitmap can be made.

#include <QPixmap>
#include <QSize>

#include <functional>

class QPainter;
class QWidget;

// A bitmap of `size` for `widget`'s screen (device pixel ratio included).
QPixmap offscreenBitmap(const QWidget& widget, QSize size);

// Runs `draw` on `bitmap` and copies it to `widget`; on the widget itself
// when the bitmap is null.
void paintThroughBitmap(QWidget& widget, QPixmap bitmap, const std::function<void(QPainter&)>& draw);
