#include "controls/tray_pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Glyphs are drawn on a 16 × 16 unit grid.
constexpr double kGrid = 16.0;

// The tray's ink: dark outlines on a light panel.
const QColor kInk{40, 40, 40};

QPen Stroke(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawSpeaker(QPainter& p, const QColor& ink, bool sounding) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRect(QRectF(1, 5.5, 3.5, 5));
    p.drawPolygon(QPolygonF({{4.5, 5.5}, {8.5, 1.5}, {8.5, 14.5}, {4.5, 10.5}}));
    p.setBrush(Qt::NoBrush);
    if (sounding) {
        p.setPen(Stroke(QColor(0, 150, 0), 1.6));
        p.drawArc(QRectF(6, 5, 6, 6), -50 * 16, 100 * 16);
        p.drawArc(QRectF(3, 2, 12, 12), -50 * 16, 100 * 16);
    } else {
        p.setPen(Stroke(QColor(220, 0, 0), 2.0));
        p.drawLine(QPointF(10.5, 5), QPointF(15, 11));
        p.drawLine(QPointF(10.5, 11), QPointF(15, 5));
    }
}

// Three faders at different heights: the mixers.
void DrawFaders(QPainter& p, const QColor& ink) {
    const double x[] = {3, 8, 13};
    const double knob[] = {4, 10, 6.5};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Stroke(ink, 1.2));
        p.drawLine(QPointF(x[i], 1.5), QPointF(x[i], 14.5));
        p.setPen(QPen(ink, 0.8));
        p.setBrush(QColor(0, 210, 0));
        p.drawRect(QRectF(x[i] - 2.2, knob[i] - 1.4, 4.4, 2.8));
    }
}

// A red record dot: the recording mixer.
void DrawRecordDot(QPainter& p, const QColor&) {
    p.setPen(QPen(QColor(110, 0, 0), 1.0));
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(QPointF(8, 8), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 150, 150));
    p.drawEllipse(QPointF(6, 6), 1.6, 1.6);
}

// A needle meter face with its red zone: the VU window.
void DrawMeter(QPainter& p, const QColor& ink) {
    const QPointF pivot(8, 13);
    const QRectF face(pivot.x() - 7.5, pivot.y() - 7.5, 15, 15);
    p.setPen(QPen(ink, 1.0));
    p.setBrush(QColor(255, 240, 180));
    p.drawPie(face, 0, 180 * 16);
    p.setPen(Stroke(QColor(220, 0, 0), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(face.adjusted(1.5, 1.5, -1.5, -1.5), 8 * 16, 40 * 16);
    p.setPen(Stroke(Qt::black, 1.2));
    p.drawLine(pivot, QPointF(12.5, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(pivot, 1.3, 1.3);
}

// The lit window behind a "shown" glyph; returns where the glyph goes.
QRectF DrawWindowTile(QPainter& p) {
    p.setPen(QPen(QColor(70, 70, 70), 1.0));
    p.setBrush(QColor(232, 232, 232));
    p.drawRect(QRectF(0.5, 0.5, 15, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 170));
    p.drawRect(QRectF(1, 1, 14, 3));
    return QRectF(1, 4, 14, 11.5);
}

}  // namespace

void DrawTrayGlyph(QPainter& p, TrayGlyph glyph, const QRectF& area, const QColor& ink) {
    const double k = std::min(area.width(), area.height()) / kGrid;
    p.save();
    p.translate(area.center().x() - k * kGrid / 2, area.center().y() - k * kGrid / 2);
    p.scale(k, k);
    switch (glyph) {
        case TrayGlyph::SpeakerSounding:
            DrawSpeaker(p, ink, true);
            break;
        case TrayGlyph::SpeakerMuted:
            DrawSpeaker(p, ink, false);
            break;
        case TrayGlyph::Faders:
            DrawFaders(p, ink);
            break;
        case TrayGlyph::RecordDot:
            DrawRecordDot(p, ink);
            break;
        case TrayGlyph::Meter:
            DrawMeter(p, ink);
            break;
    }
    p.restore();
}

QPixmap DrawTrayPicture(TrayPicture Picture, int Size) {
    QPixmap pixmap(std::max(1, Size), std::max(1, Size));
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixmap.width() / kGrid, pixmap.height() / kGrid);

    bool shown = false;
    TrayGlyph glyph = TrayGlyph::Faders;
    switch (Picture) {
        case TrayPicture::soundyesno:
            shown = true;
            [[fallthrough]];
        case TrayPicture::soundyesi:
            glyph = TrayGlyph::SpeakerSounding;
            break;
        case TrayPicture::soundnoi:
            glyph = TrayGlyph::SpeakerMuted;
            break;
        case TrayPicture::recplayno:
            shown = true;
            [[fallthrough]];
        case TrayPicture::recplay:
            glyph = TrayGlyph::Faders;
            break;
        case TrayPicture::recino:
            shown = true;
            [[fallthrough]];
        case TrayPicture::reci:
            glyph = TrayGlyph::RecordDot;
            break;
        case TrayPicture::vuino:
            shown = true;
            [[fallthrough]];
        case TrayPicture::vui:
            glyph = TrayGlyph::Meter;
            break;
    }
    const QRectF area = shown ? DrawWindowTile(p) : QRectF(0, 0, kGrid, kGrid);
    DrawTrayGlyph(p, glyph, area, kInk);
    return pixmap;
}

QIcon TrayPictureIcon(TrayPicture Picture) {
    QIcon icon;
    for (int size : {16, 22, 32}) icon.addPixmap(DrawTrayPicture(Picture, size));
    return icon;
}
