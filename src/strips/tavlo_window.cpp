#include "strips/tavlo_window.h"

#include "controls/screen_place.h"
#include "controls/whole_update.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QWindow>

TavloWindow::TavloWindow(const QString& objectName, const QString& caption)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(objectName);
    setWindowTitle(caption);
    // Hints show over every window of the program, not only the active one:
    // the mixers sit on top of whatever the user works in.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void TavloWindow::centre() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TavloWindow::centreUntilPlaced() {
    if (!shownOnce_ && !designedPlacement_) centre();
}

void TavloWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window system's word on where we are: under a reparenting window
    // manager it is sometimes not where the server has us (a window resized
    // while hidden comes back believed at (0,0)), and everything placed
    // from it (the magnet, the saved places) would go wrong. The server
    // itself is asked; our own moves are taken as made.
    if (event->spontaneous()) keepGeometryTrue();
}

void TavloWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->spontaneous()) keepGeometryTrue();
}

void TavloWindow::keepGeometryTrue() {
    if (!isVisible() || drag_ != Drag::None || keepingTrue_) return;
    const std::optional<QRect> real = GeometryOnScreen(*this);
    if (!real) return;
    keepingTrue_ = true;
    if (real->topLeft() != pos()) move(real->topLeft());
    // Narrower on the screen than laid out: the server is told the size.
    if (real->size() != size()) ResizeOnScreen(*this, size());
    keepingTrue_ = false;
}

void TavloWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    shownOnce_ = true;
    // While the window manager takes the window in, it sits for a moment in
    // a new frame at (0,0); a place Qt learns then, and the server's answer
    // to keepGeometryTrue, may be that one, and no later event says
    // otherwise. Once the window is on the screen it has been placed: the
    // server is asked again.
    placeCheckDue_ = true;
    if (QWindow* handle = windowHandle()) handle->installEventFilter(this);  // once per window, however often
    // Qt drops the repaints of a hidden window's widgets and shows the picture
    // the window had when it hid: what changed meanwhile (a refresh, another
    // card, the channel dialog's choice) is drawn now.
    UpdateWholeWindow(*this);
}

bool TavloWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && placeCheckDue_ && watched == windowHandle() && windowHandle()->isExposed()) {
        placeCheckDue_ = false;
        keepGeometryTrue();
    }
    return QWidget::eventFilter(watched, event);
}

void TavloWindow::setStayOnTop(bool onTop) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    // Through the native window when there is one: QWidget::setWindowFlag
    // would hide the window and show it again, running its hide handlers.
    if (QWindow* handle = windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
        overrideWindowFlags(handle->flags());
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
}

void TavloWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            emit activated();
        else
            emit deactivated();
    } else if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        emit minimized();
    }
}

void TavloWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Only the window's own hiding, not a minimise by the window manager.
    if (!event->spontaneous()) emit hidden();
}

void TavloWindow::contextMenuEvent(QContextMenuEvent* event) {
    emit menuRequested(event->globalPos());
    event->accept();
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
