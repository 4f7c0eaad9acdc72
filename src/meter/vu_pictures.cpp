#include "meter/vu_pictures.h"

#include "meter/meter_levels.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace vu {

namespace {

// The needle turns about a pivot below the face's lower edge, as on a
// panel meter, so the scale is a shallow arc.
constexpr QPointF kPivot(kFaceWidth / 2.0, kFaceHeight + 18.0);
constexpr double kScaleRadius = 92.0;
constexpr double kNeedleLength = 100.0;

QPointF onArc(double degrees, double radius) {
    const double a = qDegreesToRadians(degrees);
    return kPivot + QPointF(radius * std::sin(a), -radius * std::cos(a));
}

QColor lampColour(int number) {
    if (number >= 9) return QColor(230, 30, 20);
    if (number >= 7) return QColor(240, 200, 0);
    return QColor(40, 200, 40);
}

}  // namespace

QPixmap face(int index) {
    QPixmap p(kFaceWidth, kFaceHeight);
    p.fill(kPanelColour);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(90, 90, 80), 1));
    g.drawRect(QRectF(0.5, 0.5, kFaceWidth - 1, kFaceHeight - 1));

    // Scale: black up to the over-peak mark, red beyond it.
    const double start = needleAngle(0), over = needleAngle(kOverPeakAbove), end = needleAngle(kFaceCount - 1);
    const QRectF arc(kPivot.x() - kScaleRadius, kPivot.y() - kScaleRadius, 2 * kScaleRadius, 2 * kScaleRadius);
    auto sweep = [&](double from, double to, const QColor& colour, double width) {
        g.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
        // QPainter counts degrees from three o'clock, anticlockwise.
        g.drawArc(arc, qRound((90.0 - from) * 16), qRound((from - to) * 16));
    };
    sweep(start, over, QColor(30, 30, 30), 2);
    sweep(over, end, QColor(210, 20, 20), 4);
    for (int k = 0; k < kFaceCount; ++k) {
        const double a = needleAngle(k);
        g.setPen(QPen(k > kOverPeakAbove ? QColor(210, 20, 20) : QColor(30, 30, 30), k % 5 == 0 ? 2 : 1));
        g.drawLine(onArc(a, kScaleRadius), onArc(a, kScaleRadius + (k % 5 == 0 ? 9 : 6)));
    }
    QFont f = g.font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPixelSize(14);
    f.setBold(true);
    g.setFont(f);
    g.setPen(QColor(60, 60, 50));
    g.drawText(QRectF(0, 52, kFaceWidth, 18), Qt::AlignCenter, QStringLiteral("VU"));

    // Needle.
    const double a = needleAngle(index);
    g.setPen(QPen(QColor(20, 20, 20), 1.6, Qt::SolidLine, Qt::RoundCap));
    g.drawLine(onArc(a, 12.0), onArc(a, kNeedleLength));
    return p;
}

QPixmap lamp(int number) {
    QPixmap p(18, 6);
    QPainter g(&p);
    const QColor c = lampColour(number);
    g.fillRect(p.rect(), c.darker(170));
    g.fillRect(1, 1, 16, 4, c);
    g.fillRect(2, 1, 14, 1, c.lighter(140));
    return p;
}

QPixmap lampColumn() {
    QPixmap p(28, 118);
    p.fill(QColor(24, 24, 24));
    QPainter g(&p);
    g.setPen(QColor(70, 70, 70));
    for (int k = 0; k < kLampCount; ++k) g.drawRect(4, 82 - 8 * k, 19, 7);  // an unlit slot behind each lamp
    return p;
}

QPixmap overPeakIcon() {
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    QPainterPath sign;
    sign.moveTo(16, 2);
    sign.lineTo(30, 29);
    sign.lineTo(2, 29);
    sign.closeSubpath();
    g.setPen(QPen(QColor(120, 0, 0), 2));
    g.setBrush(QColor(235, 30, 20));
    g.drawPath(sign);
    g.setPen(Qt::NoPen);
    g.setBrush(Qt::white);
    g.drawRoundedRect(QRectF(14, 10, 4, 11), 1.5, 1.5);
    g.drawEllipse(QRectF(14, 23, 4, 4));
    return p;
}

}  // namespace vu
