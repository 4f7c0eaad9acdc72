#include "controls/picture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWindow>

TPicture::TPicture(QWidget* parent) : QWidget(parent) {}

TPicture::~TPicture() { EndCapture(); }

void TPicture::SetPicture(const QPixmap& Value) {
    // Equal cache keys mean the same pixels: any change detaches the copy.
    if (Value.cacheKey() == picture_.cacheKey()) return;
    picture_ = Value;
    UpdateOpacity();
    update();
}

void TPicture::UpdateOpacity() {
    // A picture without transparency that covers the whole control hides
    // what lies under it: Qt then leaves that unpainted, so swapping a
    // picture repaints the picture alone (a meter face, a lamp).
    const QSizeF shown = picture_.deviceIndependentSize();
    setAttribute(Qt::WA_OpaquePaintEvent, !picture_.isNull() && !picture_.hasAlphaChannel() &&
                                              shown.width() >= width() && shown.height() >= height());
}

void TPicture::resizeEvent(QResizeEvent* event) {
    UpdateOpacity();
    QWidget::resizeEvent(event);
}

void TPicture::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter canvas(this);
    canvas.drawPixmap(0, 0, picture_);
}

void TPicture::mousePressEvent(QMouseEvent* event) {
    held_ |= event->button();
    if (!watchedWindow_) {
        watchedWindow_ = window();
        watchedWindow_->installEventFilter(this);
    }
    const QPoint p = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TPicture::mouseMoveEvent(QMouseEvent* event) { RaiseMove(*event, event->position().toPoint()); }

void TPicture::mouseReleaseEvent(QMouseEvent* event) { RaiseUp(*event, event->position().toPoint()); }

void TPicture::RaiseMove(const QMouseEvent& event, QPoint local) {
    if (OnMouseMove) OnMouseMove(this, event.buttons(), event.modifiers(), local.x(), local.y());
}

void TPicture::RaiseUp(const QMouseEvent& event, QPoint local) {
    held_ &= ~Qt::MouseButtons(event.button());
    if (!held_) EndCapture();
    if (OnMouseUp) OnMouseUp(this, event.button(), event.modifiers(), local.x(), local.y());
}

void TPicture::hideEvent(QHideEvent*) {
    // Qt drops the implicit grab of a widget that hides; follow the mouse
    // through the application until the buttons pressed here go up.
    if (held_ && !filtering_) {
        filtering_ = true;
        qApp->installEventFilter(this);
    }
}

void TPicture::EndCapture() {
    if (watchedWindow_) {
        watchedWindow_->removeEventFilter(this);
        watchedWindow_ = nullptr;
    }
    if (!filtering_) return;
    filtering_ = false;
    qApp->removeEventFilter(this);
}

void TPicture::LoseCapture() {
    if (!held_) return;
    held_ = {};
    EndCapture();
    if (OnCaptureLost) OnCaptureLost(this);
}

bool TPicture::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == watchedWindow_ && (type == QEvent::Hide || type == QEvent::WindowDeactivate)) {
        LoseCapture();
        return false;
    }
    if (!filtering_) return false;  // the window alone is watched
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (!press && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) return false;
    // Qt hands a hidden grabber's mouse events to no widget, so they are
    // taken where they enter this picture's window. Events sent straight to
    // another widget of the window are taken too; those for the picture
    // itself go their normal way.
    if (watched != static_cast<QObject*>(window()->windowHandle())) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (!target || target == this || target->window() != window()) return false;
    }
    auto& mouse = static_cast<QMouseEvent&>(*event);
    if (type == QEvent::MouseMove && !(mouse.buttons() & held_)) {
        // The buttons went up where this picture could not see it.
        LoseCapture();
        return false;
    }
    if (type == QEvent::MouseButtonRelease && !(held_ & mouse.button())) return false;
    mouse.accept();  // stops Qt from offering it to the target's parents
    const QPoint local = mapFromGlobal(mouse.globalPosition().toPoint());
    if (press) {
        // Like a captured window, further presses come here too.
        held_ |= mouse.button();
        if (OnMouseDown) OnMouseDown(this, mouse.button(), mouse.modifiers(), local.x(), local.y());
    } else if (type == QEvent::MouseMove) {
        RaiseMove(mouse, local);
    } else {
        RaiseUp(mouse, local);
    }
    return true;
}
