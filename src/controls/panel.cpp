#include "controls/panel.h"

#include "controls/system_colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TPanel::TPanel(QWidget* parent) : QWidget(parent), color_(kButtonFace) { setAttribute(Qt::WA_OpaquePaintEvent); }

void TPanel::SetCaption(const QString& Value) {
    if (Value == caption_) return;
    caption_ = Value;
    update();
}

void TPanel::SetColor(const QColor& Value) {
    if (Value == color_) return;
    color_ = Value;
    update();
}

void TPanel::SetBevel(BevelKind Value) {
    if (Value == bevel_) return;
    bevel_ = Value;
    update();
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    canvas.fillRect(rect(), color_);
    if (bevel_ != BevelKind::None && width() > 1 && height() > 1) {
        const bool raised = bevel_ == BevelKind::Raised;
        const int r = width() - 1, b = height() - 1;
        canvas.setPen(raised ? kButtonHighlight : kButtonShadow);
        canvas.drawLine(0, b, 0, 0);
        canvas.drawLine(0, 0, r, 0);
        canvas.setPen(raised ? kButtonShadow : kButtonHighlight);
        canvas.drawLine(r, 0, r, b);
        canvas.drawLine(r, b, 0, b);
    }
    if (!caption_.isEmpty()) {
        canvas.setPen(kWindowText);
        canvas.drawText(rect(), Qt::AlignCenter, caption_);
    }
}

void TPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftDown_ = true;
    const QPoint p = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TPanel::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && leftDown_ && rect().contains(p);
    if (event->button() == Qt::LeftButton) leftDown_ = false;
    // The release handler may delete the panel; then no click follows.
    QPointer<TPanel> alive(this);
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    if (alive && click && OnClick) OnClick(this);
}
