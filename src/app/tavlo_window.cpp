#include "app/tavlo_window.h"

#include <QMouseEvent>
#include <QWindow>

TavloWindow::TavloWindow(AppContext& context, const QString& objectName, const QString& caption)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), context_(context) {
    setObjectName(objectName);
    setWindowTitle(caption);
}

void TavloWindow::setStayOnTop(bool onTop) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) show();  // changing flags hides a window
}

void TavloWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    grabOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    // Let the window manager move us; without one, move ourselves.
    QWindow* handle = windowHandle();
    drag_ = handle && handle->startSystemMove() ? Drag::System : Drag::Manual;
    event->accept();
}

void TavloWindow::mouseMoveEvent(QMouseEvent* event) {
    if (drag_ == Drag::Manual && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - grabOffset_);
    event->accept();
}

void TavloWindow::mouseReleaseEvent(QMouseEvent* event) {
    // The release that ends a system move is not a click on the surface.
    drag_ = Drag::None;
    event->accept();
}

void TavloWindow::setBlackBackground() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
}
