#include "controls/step_button.h"

#include "controls/system_colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TStepButton::TStepButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(10, 8);
}

void TStepButton::SetGlyph(GlyphKind Value) {
    if (Value == glyph_) return;
    glyph_ = Value;
    update();
}

void TStepButton::Click() {
    if (OnClick) OnClick(this);
}

void TStepButton::SetDown(bool Value) {
    if (Value == down_) return;
    down_ = Value;
    update();
}

void TStepButton::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    canvas.fillRect(rect(), kButtonFace);
    const int r = width() - 1, b = height() - 1;
    if (r < 1 || b < 1) return;
    canvas.setPen(down_ ? kButtonShadow : kButtonHighlight);
    canvas.drawLine(0, b, 0, 0);
    canvas.drawLine(0, 0, r, 0);
    canvas.setPen(down_ ? kButtonHighlight : kButtonShadow);
    canvas.drawLine(r, 0, r, b);
    canvas.drawLine(r, b, 0, b);

    // A small solid triangle, shifted by a pixel while pressed.
    const double shift = down_ ? 1.0 : 0.0;
    const double cx = width() / 2.0 + shift, cy = height() / 2.0 + shift;
    const double half = std::max(1.0, std::min(width(), height()) / 2.0 - 1.5);
    const double dir = glyph_ == GlyphKind::Up ? -1.0 : 1.0;
    const QPointF arrow[3] = {
        {cx - half, cy - dir * half / 2}, {cx + half, cy - dir * half / 2}, {cx, cy + dir * half / 2}};
    canvas.setRenderHint(QPainter::Antialiasing);
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(isEnabled() ? kWindowText : kButtonShadow);
    canvas.drawPolygon(arrow, 3);
}

void TStepButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        tracking_ = true;
        SetDown(true);
    }
    const QPoint p = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TStepButton::mouseMoveEvent(QMouseEvent* event) {
    if (tracking_) SetDown(rect().contains(event->position().toPoint()));
}

void TStepButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && tracking_ && rect().contains(p);
    if (event->button() == Qt::LeftButton) {
        tracking_ = false;
        SetDown(false);
    }
    // The release handler may delete the button; then no click follows.
    QPointer<TStepButton> alive(this);
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    if (alive && click) Click();
}

void TStepButton::hideEvent(QHideEvent*) {
    // A hidden button gets no release: forget the press.
    tracking_ = false;
    SetDown(false);
}
