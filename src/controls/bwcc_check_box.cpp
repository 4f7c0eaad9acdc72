#include "controls/bwcc_check_box.h"

#include "controls/color_shade.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

namespace {

constexpr int kTextFlags = Qt::TextWordWrap | Qt::TextShowMnemonic;
constexpr int kCaptionLeft = 18;

// Pixel lines that leave out the end point, so that a polyline's joints are
// drawn once. Every line of the box is straight or at 45 degrees.
void PolyLine(QPainter& canvas, std::initializer_list<QPoint> points) {
    const QPoint* from = points.begin();
    for (const QPoint* to = from + 1; to != points.end(); from = to++) {
        const QPoint d = *to - *from;
        const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
        if (steps == 0) continue;
        const QPoint step(d.x() / steps, d.y() / steps);
        canvas.drawLine(*from, *to - step);
    }
}

}  // namespace

TBWCCCheckBox::TBWCCCheckBox(QWidget* parent) : TCheckBoxBase(parent) { resize(113, 17); }

QColor TBWCCCheckBox::CheckColor() const {
    return checkColor_.value_or(palette().color(QPalette::Active, QPalette::WindowText));
}

void TBWCCCheckBox::SetCheckColor(const QColor& Value) {
    if (checkColor_ == Value) return;
    checkColor_ = Value;
    if (State() == cbChecked) update();
}

void TBWCCCheckBox::SetColor(const QColor& Value) {
    if (Value == Color()) return;
    QPalette p = palette();
    p.setColor(QPalette::Window, Value);
    setPalette(p);
    update();
}

TBWCCCheckBox::Layout TBWCCCheckBox::LayoutFor(QSize ClientSize) const {
    const int w = ClientSize.width(), h = ClientSize.height();
    Layout l;
    const int top = h / 2 - 6;
    l.box = QRect(QPoint(1, top), QPoint(1 + 13, top + 13));
    const QRect room(kCaptionLeft, 0, std::max(1, w - kCaptionLeft), 0);
    l.caption = fontMetrics().boundingRect(room, kTextFlags, Caption());
    l.caption.moveTo(kCaptionLeft, h / 2 - l.caption.height() / 2);
    return l;
}

void TBWCCCheckBox::Draw(QPainter& Canvas) {
    Canvas.fillRect(rect(), Color());
    Canvas.setFont(font());
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    const Layout l = LayoutFor(size());

    const QColor fontColor = palette().color(QPalette::Active, QPalette::WindowText);
    const QRect& t = l.caption;
    if (hasFocus()) {
        // One pixel left of the text to one pixel past its right and bottom edges.
        Canvas.setPen(QPen(fontColor, 0, Qt::DotLine));
        Canvas.setBrush(Qt::NoBrush);
        Canvas.drawRect(QRect(t.left() - 1, t.top(), t.width() + 1, t.height()));
    }
    Canvas.setPen(isEnabled() ? fontColor : ShadeColor(fontColor, 50));
    Canvas.drawText(t, kTextFlags, Caption());

    const int L = l.box.left(), T = l.box.top(), R = l.box.right(), B = l.box.bottom();
    if (State() != cbUnchecked) {
        Canvas.setPen(QPen(State() == cbChecked ? CheckColor() : palette().color(QPalette::Active, QPalette::Dark), 0));
        PolyLine(Canvas, {{L + 2, B - 6}, {L + 2, B - 1}});
        PolyLine(Canvas, {{L + 3, B - 7}, {L + 3, B - 2}, {R - 1, T + 2}});
        PolyLine(Canvas, {{R - 3, T + 3}, {L + 1, B - 1}});
    }
    if (Pressed()) {
        // A black frame two pixels thick over the box, one pixel down and right.
        Canvas.setPen(Qt::NoPen);
        Canvas.setBrush(Qt::NoBrush);
        const QRect outer(QPoint(L + 1, T + 1), QPoint(R + 1, B + 1));
        const QRect inner = outer.adjusted(2, 2, -2, -2);
        QRegion frame = QRegion(outer).subtracted(QRegion(inner));
        Canvas.setClipRegion(frame);
        Canvas.fillRect(outer, Qt::black);
        Canvas.setClipping(false);
    } else {
        Canvas.setPen(QPen(palette().color(QPalette::Active, QPalette::Dark), 0));
        PolyLine(Canvas, {{L + 1, B}, {R, B}, {R, T}});
        Canvas.setPen(QPen(palette().color(QPalette::Active, QPalette::Light), 0));
        PolyLine(Canvas, {{R - 1, T}, {L, T}, {L, B}});
    }
}
