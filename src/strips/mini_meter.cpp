#include "strips/mini_meter.h"

#include <QPainter>

std::array<QPixmap, 11> drawMiniMeterFaces() {
    std::array<QPixmap, 11> faces;
    for (int lit = 0; lit < static_cast<int>(faces.size()); ++lit) {
        QPixmap p(25, 12);
        p.fill(QColor(20, 20, 20));
        QPainter g(&p);
        // Ten bars rising to the right: green, then yellow, then red.
        for (int i = 0; i < 10; ++i) {
            const QColor lamp = i < 6 ? QColor(0, 190, 0) : (i < 8 ? QColor(220, 200, 0) : QColor(230, 20, 20));
            const int h = 3 + (i * 7) / 9;
            g.fillRect(2 + 2 * i + (i > 4 ? 1 : 0), 10 - h, 1, h, i < lit ? lamp : lamp.darker(400));
        }
        faces[lit] = p;
    }
    return faces;
}
