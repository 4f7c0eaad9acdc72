#include "controls/offscreen_paint.h"

#include <QPainter>
#include <QWidget>

QPixmap offscreenBitmap(const QWidget& widget, QSize size) {
    QPixmap bitmap(size * widget.devicePixelRatio());
    bitmap.setDevicePixelRatio(widget.devicePixelRatio());
    return bitmap;
}

void paintThroughBitmap(QWidget& widget, QPixmap bitmap, const std::function<void(QPainter&)>& draw) {
    if (bitmap.isNull()) {
        QPainter direct(&widget);
        draw(direct);
        return;
    }
    {
        QPainter offscreen(&bitmap);
        draw(offscreen);
    }
    QPainter screen(&widget);
    screen.drawPixmap(0, 0, bitmap);
}
