#pragma once
// TTrayIconF: one icon in the desktop's notification area (tray). Clicks on
// it come back as events, a right click pops up the menu, it can cycle
// through a list of pictures, and it can take the whole application into
// the tray when a window of it is minimised.
//
// Clicks: a left click raises OnClick. A double click raises OnClick,
// OnDblClick and OnClick again, in the order the button-up, double-click and
// second button-up happen; a middle click counts as a double click, because
// StatusNotifier hosts (KDE, GNOME's extension) report no double click.
// A right click pops up PopupMenu at the cursor, then raises OnRightClick.
//
// The wheel over the icon reaches Tray() as a QEvent::Wheel: Qt's XEmbed
// icon sends it there, and so does the icon's own StatusNotifierItem (see
// WantsWheel) for a host's scroll.

#include "controls/events.h"

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class TStatusNotifierItem;

class TTrayIconF : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(bool Animate READ Animate WRITE SetAnimate)
    Q_PROPERTY(int AnimateInterval READ AnimateInterval WRITE SetAnimateInterval)
    Q_PROPERTY(QIcon Icon READ Icon WRITE SetIcon)
    Q_PROPERTY(QString ToolTip READ ToolTip WRITE SetToolTip)
    Q_PROPERTY(bool MinimizeApp READ MinimizeApp WRITE SetMinimizeApp)
    Q_PROPERTY(bool HostMenu READ HostMenu WRITE SetHostMenu)
    Q_PROPERTY(bool WantsWheel READ WantsWheel WRITE SetWantsWheel)
public:
    static constexpr int kToolTipLength = 62;

    explicit TTrayIconF(QObject* parent = nullptr);
    ~TTrayIconF() override;

    // Shown in the tray. With no Icon, the application's icon is taken.
    bool Active() const { return active_; }
    void SetActive(bool Value);

    // An icon that is the object already shown (a copy of it included)
    // sends nothing to the tray.
    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon& Value);

    // Keeps the first 62 characters.
    QString ToolTip() const { return toolTip_; }
    void SetToolTip(const QString& Value);

    // Animation frames. Animate turns on only with at least one image and
    // the icon active; turning it off brings back the icon shown before.
    // An empty list stops the animation.
    QList<QIcon> Images() const { return images_; }
    void SetImages(const QList<QIcon>& Value);
    bool Animate() const { return animate_; }
    void SetAnimate(bool Value);
    // Milliseconds per frame; values <= 0 are ignored.
    int AnimateInterval() const { return animateTimer_.interval(); }
    void SetAnimateInterval(int Value);

    // When a window of the application is minimised, hide the application
    // into this icon (only while the icon is not yet active).
    bool MinimizeApp() const { return minimizeApp_; }
    void SetMinimizeApp(bool Value) { minimizeApp_ = Value; }

    // The menu for a right click; not owned.
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* Value);

    // StatusNotifier hosts show the menu themselves and report no right
    // click to pop it up on: set this there, and the menu is handed to the
    // host. Off, the icon pops the menu up itself (an XEmbed tray would
    // otherwise show it twice).
    bool HostMenu() const { return hostMenu_; }
    void SetHostMenu(bool Value);

    // Qt's own StatusNotifierItem drops the host's wheel. Set this on an
    // icon that wants it, and where a StatusNotifier host shows the tray
    // (TStatusNotifierItem::HostAvailable when the icon goes up) the icon
    // is an item of its own instead: clicks, menu, pictures and tooltip as
    // before, and the host's scroll sent to Tray() as a wheel event (120 a
    // notch, up positive). Elsewhere this changes nothing.
    bool WantsWheel() const { return wantsWheel_; }
    void SetWantsWheel(bool Value);
    // That item while it stands in for Tray(), else null.
    TStatusNotifierItem* StatusNotifier() const;

    // Shows again the windows the minimise hid (or the minimised ones),
    // brings them to the front and takes the icon out of the tray; only
    // while active. OnDblClick does this until the program sets its own.
    void RestoreApp();

    TNotifyEvent<TTrayIconF> OnClick;
    TNotifyEvent<TTrayIconF> OnDblClick;
    // Right button, no shift keys, the cursor's screen position.
    TMouseEvent<TTrayIconF> OnRightClick;

    // The icon in the tray (object name "tray"); tests emit its activated().
    QSystemTrayIcon* Tray() const { return tray_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Add();
    void Modify();
    void Activated(QSystemTrayIcon::ActivationReason Reason);
    void RightClick(QPoint at, bool popUp);
    bool ShowItem();
    void Scrolled(int delta, bool horizontal);
    void AnimateStep();
    void ApplicationMinimized();

    QSystemTrayIcon* tray_;  // child
    bool active_ = false;
    QIcon icon_;
    QIcon savedIcon_;  // shown again when the animation stops
    QString toolTip_;
    QList<QIcon> images_;
    bool animate_ = false;
    int frame_ = 0;
    QTimer animateTimer_;
    bool minimizeApp_ = false;
    bool hostMenu_ = false;
    bool wantsWheel_ = false;
    TStatusNotifierItem* item_ = nullptr;  // child, made when first wanted
    QPointer<QMenu> popupMenu_;
    QList<QPointer<QWidget>> hidden_;  // windows the minimise took into the tray
};
