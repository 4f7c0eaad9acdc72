#include "controls/tray_icon.h"

#include "controls/status_notifier_item.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

Q_LOGGING_CATEGORY(lcTray, "tavlo.tray", QtWarningMsg)

TTrayIconF::TTrayIconF(QObject* parent) : QObject(parent), tray_(new QSystemTrayIcon(this)) {
    tray_->setObjectName(QStringLiteral("tray"));
    connect(tray_, &QSystemTrayIcon::activated, this, &TTrayIconF::Activated);

    animateTimer_.setInterval(100);
    connect(&animateTimer_, &QTimer::timeout, this, &TTrayIconF::AnimateStep);

    OnDblClick = [](TTrayIconF* Sender) { Sender->RestoreApp(); };
    // Every icon watches for a minimised window, whether it hides the
    // application or not; the newest filter sees the event first.
    if (qApp) qApp->installEventFilter(this);
}

TTrayIconF::~TTrayIconF() {
    if (active_) tray_->hide();
}

TStatusNotifierItem* TTrayIconF::StatusNotifier() const { return item_ && item_->IsShown() ? item_ : nullptr; }

void TTrayIconF::SetActive(bool Value) {
    if (Value == active_) return;
    active_ = Value;
    if (active_) {
        Add();
    } else {
        tray_->hide();
        if (item_) item_->Hide();
    }
}

void TTrayIconF::SetWantsWheel(bool Value) {
    if (Value == wantsWheel_) return;
    wantsWheel_ = Value;
    if (!active_) return;
    // Up again the way the icon now wants.
    SetActive(false);
    SetActive(true);
}

void TTrayIconF::SetIcon(const QIcon& Value) {
    // Copies of one icon share its key; a changed icon gets a new one.
    if (Value.cacheKey() == icon_.cacheKey()) return;
    icon_ = Value;
    Modify();
}

void TTrayIconF::SetToolTip(const QString& Value) {
    int length = std::min<int>(Value.size(), kToolTipLength);
    // Never keep half of a character that takes two code units.
    if (length < Value.size() && length > 0 && Value.at(length - 1).isHighSurrogate()) --length;
    toolTip_ = Value.left(length);
    Modify();
}

void TTrayIconF::SetImages(const QList<QIcon>& Value) {
    if (Value.isEmpty()) SetAnimate(false);
    images_ = Value;
}

void TTrayIconF::SetAnimate(bool Value) {
    if (Value == animate_) return;
    if (Value) {
        if (images_.isEmpty() || !active_) return;
        savedIcon_ = icon_;
        frame_ = 0;
        animate_ = true;
        animateTimer_.start();
    } else {
        animate_ = false;
        animateTimer_.stop();
        SetIcon(savedIcon_);
    }
}

void TTrayIconF::SetAnimateInterval(int Value) {
    if (Value <= 0) return;
    animateTimer_.setInterval(Value);
}

void TTrayIconF::SetPopupMenu(QMenu* Value) {
    popupMenu_ = Value;
    tray_->setContextMenu(hostMenu_ ? Value : nullptr);
}

void TTrayIconF::SetHostMenu(bool Value) {
    hostMenu_ = Value;
    tray_->setContextMenu(hostMenu_ ? popupMenu_.data() : nullptr);
}

void TTrayIconF::Add() {
    if (icon_.isNull()) icon_ = QApplication::windowIcon();
    tray_->setToolTip(toolTip_);
    if (icon_.isNull()) {
        // Qt refuses an icon without a picture; it goes up with the first one.
        qCWarning(lcTray) << "tray icon" << objectName() << "has no picture yet";
        return;
    }
    if (wantsWheel_ && TStatusNotifierItem::HostAvailable() && ShowItem()) {
        tray_->hide();
        return;
    }
    if (item_) item_->Hide();
    tray_->setIcon(icon_);
    tray_->show();
    // No need to watch for a tray that comes up later: Qt embeds a shown
    // icon in an XEmbed tray started after the program by itself.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) qCDebug(lcTray) << "no tray yet for" << objectName();
}

bool TTrayIconF::ShowItem() {
    if (!item_) {
        item_ = new TStatusNotifierItem(this);
        connect(item_, &TStatusNotifierItem::activated, this, [this] { Activated(QSystemTrayIcon::Trigger); });
        connect(item_, &TStatusNotifierItem::secondaryActivated, this,
                [this] { Activated(QSystemTrayIcon::MiddleClick); });
        // No menu goes to the host: it asks, and the icon pops its own.
        connect(item_, &TStatusNotifierItem::contextMenuRequested, this, [this](QPoint at) { RightClick(at, true); });
        connect(item_, &TStatusNotifierItem::scrolled, this, &TTrayIconF::Scrolled);
    }
    item_->SetIcon(icon_);
    item_->SetToolTip(toolTip_);
    return item_->Show();
}

void TTrayIconF::Scrolled(int delta, bool horizontal) {
    // As Qt's XEmbed icon hands the wheel on: to the QSystemTrayIcon.
    const QPoint angle = horizontal ? QPoint(delta, 0) : QPoint(0, delta);
    const QPointF at = QCursor::pos();
    QWheelEvent wheel(at, at, QPoint(), angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(tray_, &wheel);
}

void TTrayIconF::Modify() {
    if (!active_) return;
    if (StatusNotifier()) {
        item_->SetToolTip(toolTip_);
        if (!icon_.isNull()) item_->SetIcon(icon_);
        return;
    }
    tray_->setToolTip(toolTip_);
    if (icon_.isNull()) return;
    tray_->setIcon(icon_);
    if (!tray_->isVisible()) tray_->show();
}

void TTrayIconF::Activated(QSystemTrayIcon::ActivationReason Reason) {
    // A handler may delete the icon (a window closing); stop there.
    QPointer<TTrayIconF> alive(this);
    switch (Reason) {
        case QSystemTrayIcon::Trigger:
            if (OnClick) OnClick(this);
            break;
        case QSystemTrayIcon::DoubleClick:
            // Qt has already reported the first click; the second button-up
            // follows the double click.
            if (OnDblClick) OnDblClick(this);
            if (alive && OnClick) OnClick(this);
            break;
        case QSystemTrayIcon::MiddleClick:
            if (OnClick) OnClick(this);
            if (alive && OnDblClick) OnDblClick(this);
            if (alive && OnClick) OnClick(this);
            break;
        case QSystemTrayIcon::Context:
            RightClick(QCursor::pos(), !hostMenu_);
            break;
        case QSystemTrayIcon::Unknown:
            break;
    }
}

void TTrayIconF::RightClick(QPoint at, bool popUp) {
    if (popupMenu_ && popUp) popupMenu_->popup(at);
    if (OnRightClick) OnRightClick(this, Qt::RightButton, Qt::NoModifier, at.x(), at.y());
}

void TTrayIconF::AnimateStep() {
    if (images_.isEmpty()) return;
    frame_ = frame_ + 1 >= images_.size() ? 0 : frame_ + 1;
    SetIcon(images_.at(frame_));
}

bool TTrayIconF::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
        const auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->isMinimized()) {
            // Hide after the window system has finished minimising.
            QTimer::singleShot(0, this, &TTrayIconF::ApplicationMinimized);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TTrayIconF::ApplicationMinimized() {
    if (!minimizeApp_ || active_) return;
    hidden_.clear();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) continue;
        hidden_.append(w);
        w->hide();
    }
    SetActive(true);
}

void TTrayIconF::RestoreApp() {
    if (!active_) return;
    QList<QPointer<QWidget>> windows = hidden_;
    hidden_.clear();
    if (windows.isEmpty()) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isMinimized()) windows.append(w);
    }
    for (const QPointer<QWidget>& w : windows) {
        if (!w) continue;
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
        w->raise();
        w->activateWindow();
    }
    SetActive(false);
}
