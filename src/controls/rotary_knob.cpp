#include "controls/rotary_knob.h"

#include "controls/color_shade.h"
#include "controls/round_half_even.h"
#include "controls/system_colors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// Counter-clockwise angle of a ray from the centre through p, in degrees,
// with y growing upwards as QPainter's pie angles expect.
double RayAngle(QPointF centre, QPointF p) {
    return std::atan2(centre.y() - p.y(), p.x() - centre.x()) * 180.0 / std::numbers::pi;
}

// A pie of the face drawn counter-clockwise from the start ray to the end ray.
void DrawPie(QPainter& canvas, const QRectF& face, QPointF from, QPointF to) {
    const QPointF centre = face.center();
    const double start = RayAngle(centre, from);
    double span = RayAngle(centre, to) - start;
    while (span <= 0) span += 360.0;
    canvas.drawPie(face, qRound(start * 16), qRound(span * 16));
}

}  // namespace

TRotaryKnob::TRotaryKnob(QWidget* parent) : TRangeControl(parent) { resize(30, 30); }

void TRotaryKnob::SetIndicatorColor(const QColor& Value) {
    if (Value == indicatorColor_) return;
    indicatorColor_ = Value;
    update();
}

TRotaryKnob::Geometry TRotaryKnob::GeometryFor(QSize ClientSize) {
    const int w = ClientSize.width() - 3;
    const int h = ClientSize.height() - 3;
    const int d = std::min(w, h);
    Geometry g{};
    g.left = (w - d) / 2;
    g.top = (h - d) / 2;
    g.radius = d / 2;
    g.cx = g.left + g.radius;
    g.cy = g.top + g.radius;
    g.right = g.left + d;
    g.bottom = g.top + d;
    return g;
}

int TRotaryKnob::PointerAngle(int Dx, int Dy) {
    // 57.3, not 180/pi: the knob's established pointer-to-position mapping uses it.
    const int a = Dx == 0 ? 90 : static_cast<int>(std::abs(RoundHalfEven(std::atan(double(Dy) / Dx) * 57.3)));
    if (Dx > 0) return Dy > 0 ? a + 270 : 270 - a;
    if (Dx < 0) return Dy < 0 ? a + 90 : 90 - a;
    return Dy < 0 ? 180 : 0;
}

int TRotaryKnob::ValueAtAngle(int Min, int Max, int Angle) {
    // 64-bit so that wide ranges cannot overflow; the division truncates.
    const qint64 span = qint64(Max) - Min;
    const qint64 value = Min + span * (Angle - 35) / 290;
    return static_cast<int>(std::clamp<qint64>(value, Min, Max));
}

QPoint TRotaryKnob::IndicatorCentre(const Geometry& G, int Min, int Max, int Position) {
    const double sweep = double(qint64(Position) - Min) * 290.0 / double(qint64(Max) - Min) + 35.0;
    const double theta = Radians(sweep > 270.0 ? sweep - 270.0 : sweep + 90.0);
    const double reach = G.radius * 0.7;
    return {static_cast<int>(RoundHalfEven(std::cos(theta) * reach)) + G.cx,
            static_cast<int>(RoundHalfEven(std::sin(theta) * reach)) + G.cy};
}

void TRotaryKnob::SetPositionFromPoint(QPoint Point) {
    const Geometry g = GeometryFor(size());
    // Too small to show a face: nothing to turn.
    if (g.radius <= 0) return;
    const int dx = Point.x() - g.cx;
    const int dy = Point.y() - g.cy;
    // The centre itself counts as straight down: angle 0, the dead sector.
    SetPosition(ValueAtAngle(Min(), Max(), PointerAngle(dx, dy)));
}

bool TRotaryKnob::PointInside(QPoint Point) const {
    const Geometry g = GeometryFor(size());
    const double dx = Point.x() - g.cx;
    const double dy = Point.y() - g.cy;
    return RoundHalfEven(std::sqrt(dx * dx + dy * dy)) <= g.radius;
}

void TRotaryKnob::Draw(QPainter& Canvas) {
    Canvas.fillRect(rect(), Color());
    const Geometry g = GeometryFor(size());
    if (g.radius > 0) {
        Canvas.setRenderHint(QPainter::Antialiasing);
        const QRectF face(g.left, g.top, g.right - g.left, g.bottom - g.top);

        Canvas.setPen(Qt::NoPen);
        Canvas.setBrush(ShadeColor(kButtonShadow, -25));
        Canvas.drawEllipse(face.translated(3, 3));
        Canvas.setBrush(kButtonFace);
        Canvas.drawEllipse(face);

        // Highlights and shadows on the face; the shimmer turns them a few
        // degrees at every paint.
        const double phi = Radians(45 - shimmerOffset_);
        const double gx = std::abs(RoundHalfEven(std::cos(phi) * g.radius));
        const double m = std::abs(RoundHalfEven(std::sin(phi) * g.radius));
        const double cx = g.cx, cy = g.cy;
        Canvas.setBrush(kButtonShadow);
        DrawPie(Canvas, face, {cx + gx, cy - m}, {cx, double(g.top)});
        DrawPie(Canvas, face, {cx - gx, cy + m}, {cx, double(g.bottom)});
        Canvas.setBrush(kButtonHighlight);
        DrawPie(Canvas, face, {cx - gx, cy - m}, {double(g.left), cy});
        DrawPie(Canvas, face, {cx + gx, cy + m}, {double(g.right), cy});

        Canvas.setPen(ShadeColor(kButtonShadow, -50));
        Canvas.setBrush(Qt::NoBrush);
        Canvas.drawEllipse(face);

        const QPoint dot = IndicatorCentre(g, Min(), Max(), Position());
        const int k = std::max(1, g.radius / 6);
        Canvas.setPen(indicatorColor_);
        Canvas.setBrush(indicatorColor_);
        Canvas.drawEllipse(QRect(dot.x() - k, dot.y() - k, 2 * k, 2 * k));
    }
    AdvanceShimmer();
}

void TRotaryKnob::AdvanceShimmer() {
    shimmerOffset_ += shimmerStep_;
    if (shimmerOffset_ > 9) {
        shimmerOffset_ = 6;
        shimmerStep_ = -2;
    } else if (shimmerOffset_ < 0) {
        shimmerOffset_ = 2;
        shimmerStep_ = 2;
    }
}
