#include "controls/range_control.h"

#include "controls/offscreen_paint.h"
#include "controls/system_colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <limits>

TRangeControl::TRangeControl(QWidget* parent) : QWidget(parent), color_(kButtonFace) {
    // The control paints every pixel itself and takes no keyboard focus.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void TRangeControl::SetMin(int Value) {
    if (Value == min_) return;
    min_ = Value;
    Normalize(position_);
}

void TRangeControl::SetMax(int Value) {
    if (Value == max_) return;
    max_ = Value;
    Normalize(position_);
}

void TRangeControl::SetPosition(int Value) {
    if (Value == position_) return;
    const int old = position_;
    position_ = Value;
    Normalize(old);
}

void TRangeControl::SetControl(QWidget* Value) {
    if (Value == control_) return;
    control_ = Value;
    WriteControl();
}

void TRangeControl::SetColor(const QColor& Value) {
    if (Value == color_) return;
    color_ = Value;
    update();
}

void TRangeControl::Normalize(int OldPosition) {
    if (min_ >= max_) {
        // Max - 1 would overflow at the bottom of the int range; the range
        // then becomes the two lowest values.
        if (max_ == std::numeric_limits<int>::min()) max_ = std::numeric_limits<int>::min() + 1;
        min_ = max_ - 1;
    }
    if (position_ > max_) position_ = max_;
    if (position_ < min_) position_ = min_;
    if (position_ != OldPosition) {
        // A handler may delete the control; nothing of it is touched then.
        QPointer<TRangeControl> alive(this);
        if (OnChange) OnChange(this);
        if (!alive) return;
        WriteControl();
    }
    update();
}

void TRangeControl::WriteControl() {
    if (control_) control_->setProperty("text", QString::number(position_));
}

void TRangeControl::SetPositionFromPoint(QPoint) {}

void TRangeControl::MouseDownHandler(Qt::MouseButton Button, Qt::KeyboardModifiers, QPoint Point) {
    if (Button == Qt::LeftButton && PointInside(Point)) SetPositionFromPoint(Point);
}

void TRangeControl::MouseMoveHandler(Qt::KeyboardModifiers, QPoint Point) {
    if (capture_) SetPositionFromPoint(Point);
}

void TRangeControl::Draw(QPainter& Canvas) { Canvas.fillRect(rect(), color_); }

bool TRangeControl::PointInside(QPoint Point) const { return rect().contains(Point); }

QPixmap TRangeControl::MakeOffscreenBitmap(QSize Size) const { return offscreenBitmap(*this, Size); }

void TRangeControl::paintEvent(QPaintEvent*) {
    paintThroughBitmap(*this, MakeOffscreenBitmap(size()), [this](QPainter& canvas) { Draw(canvas); });
}

void TRangeControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) capture_ = true;
    MouseDownHandler(event->button(), event->modifiers(), event->position().toPoint());
}

void TRangeControl::mouseMoveEvent(QMouseEvent* event) {
    MouseMoveHandler(event->modifiers(), event->position().toPoint());
}

void TRangeControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) capture_ = false;
}

void TRangeControl::hideEvent(QHideEvent*) {
    // A hidden control gets no release; a later drag must start afresh.
    capture_ = false;
}
