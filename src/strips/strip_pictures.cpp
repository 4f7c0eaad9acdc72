#include "strips/strip_pictures.h"

#include <QLinearGradient>
#include <QPainter>

namespace strip_pictures {

namespace {

QPixmap knob(const QColor& face, const QColor& line) {
    QPixmap p(18, 13);
    p.fill(Qt::transparent);
    QPainter g(&p);
    QLinearGradient shade(0, 0, 0, 13);
    shade.setColorAt(0, face.lighter(150));
    shade.setColorAt(1, face.darker(160));
    g.fillRect(1, 1, 16, 11, shade);
    g.setPen(face.darker(220));
    g.drawRect(0, 0, 17, 12);
    g.setPen(line);
    g.drawLine(3, 6, 14, 6);  // the mark that points at the level
    return p;
}

QPixmap groove(const QColor& slot, const QColor& ticks) {
    QPixmap p(15, 57);
    p.fill(Qt::black);
    QPainter g(&p);
    g.fillRect(6, 0, 3, 57, slot);
    g.setPen(ticks);
    for (int y = 2; y < 57; y += 6) {
        g.drawLine(0, y, 3, y);
        g.drawLine(11, y, 14, y);
    }
    return p;
}

}  // namespace

QPixmap cursor() { return knob(QColor(170, 170, 180), QColor(0, 200, 0)); }
QPixmap shadow() { return knob(QColor(90, 200, 90), QColor(255, 255, 255)); }
QPixmap track() { return groove(QColor(70, 70, 70), QColor(0, 140, 0)); }
QPixmap trackHighlight() { return groove(QColor(0, 200, 0), QColor(0, 255, 0)); }

QPixmap vuImage() {
    QPixmap p(25, 12);
    p.fill(QColor(20, 20, 20));
    QPainter g(&p);
    for (int i = 0; i < 7; ++i) {
        const QColor lamp = i < 4 ? QColor(0, 160, 0) : (i < 6 ? QColor(200, 200, 0) : QColor(200, 0, 0));
        g.fillRect(2 + 3 * i, 8 - i, 2, 2 + i, lamp);
    }
    return p;
}

QPixmap fill(QSize size, const QColor& color) {
    QPixmap p(size);
    p.fill(color);
    return p;
}

QPixmap border(QSize size, bool horizontal) {
    QPixmap p(size);
    QPainter g(&p);
    QLinearGradient shade(0, 0, horizontal ? 0 : size.width(), horizontal ? size.height() : 0);
    shade.setColorAt(0, QColor(150, 150, 160));
    shade.setColorAt(0.5, QColor(210, 210, 220));
    shade.setColorAt(1, QColor(110, 110, 120));
    g.fillRect(p.rect(), shade);
    return p;
}

}  // namespace strip_pictures
