#include "controls/app_icon.h"

#include "controls/tray_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Below this the speaker and the corner button would be a smudge.
constexpr int kDetailedFrom = 48;

const QColor kTitleBlue{0, 0, 170};
const QColor kRim{150, 150, 150};
const QColor kSilver{192, 192, 192};
// Light ink: the glyphs stand on the window's black face.
const QColor kLightInk{215, 215, 215};

// The window's small "X" corner button, at the right end of the title band.
void DrawCornerButton(QPainter& p, const QRectF& band) {
    // On whole pixels: a small cross blurs otherwise.
    const double side = std::round(band.height() * 0.7);
    const QRectF button(std::round(band.right() - (band.height() + side) / 2),
                        std::round(band.top() + (band.height() - side) / 2), side, side);
    p.setPen(Qt::NoPen);
    p.setBrush(kSilver);
    p.drawRect(button);
    const double inset = std::max(1.0, std::round(side / 5));
    const QRectF cross = button.adjusted(inset, inset, -inset, -inset);
    p.setPen(QPen(Qt::black, std::max(1.0, std::round(side / 7)), Qt::SolidLine, Qt::FlatCap));
    p.drawLine(cross.topLeft(), cross.bottomRight());
    p.drawLine(cross.topRight(), cross.bottomLeft());
}

}  // namespace

void DrawAppIcon(QPainter& p, int size) {
    const double s = std::max(1, size);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    // The rim is a whole number of pixels, centred on pixel edges.
    const double rim = std::max(1.0, std::round(s / 32));
    const QRectF body(rim / 2, rim / 2, s - rim, s - rim);
    const double radius = s * 0.16;
    QPainterPath outline;
    outline.addRoundedRect(body, radius, radius);

    QLinearGradient face(0, 0, 0, s);
    face.setColorAt(0, QColor(64, 64, 64));
    face.setColorAt(1, Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawPath(outline);

    // The title band, cut to the rounded outline (no clipping: the SVG
    // writer keeps paths better than clips).
    const double bandHeight = std::round(s * 3 / 16);
    const QRectF band(rim, rim, s - 2 * rim, bandHeight);
    QPainterPath bandPath;
    bandPath.addRect(band);
    p.setBrush(kTitleBlue);
    p.drawPath(bandPath.intersected(outline));

    const bool detailed = size >= kDetailedFrom;
    if (detailed) DrawCornerButton(p, band);

    p.setPen(QPen(kRim, rim));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);

    const double pad = s / 24;
    const QRectF content(rim + pad, band.bottom() + pad, s - 2 * (rim + pad), s - band.bottom() - rim - 2 * pad);
    if (detailed) {
        // The faders are the mixer: they get the larger share.
        const double speaker = content.width() * 0.42;
        DrawTrayGlyph(p, TrayGlyph::SpeakerSounding, QRectF(content.left(), content.top(), speaker, content.height()),
                      kLightInk);
        DrawTrayGlyph(p, TrayGlyph::Faders,
                      QRectF(content.left() + speaker, content.top(), content.width() - speaker, content.height()),
                      kLightInk);
    } else {
        DrawTrayGlyph(p, TrayGlyph::Faders, content, kLightInk);
    }
    p.restore();
}

QImage AppIconImage(int size) {
    QImage image(std::max(1, size), std::max(1, size), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    DrawAppIcon(p, image.width());
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}
