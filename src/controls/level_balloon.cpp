#include "controls/level_balloon.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QScreen>

namespace {

// A tray icon's own edge and the balloon's pointer keep this apart.
constexpr int kIconGap = 2;
constexpr int kCornerInset = 8;

}  // namespace

LevelBalloonAnchor LevelBalloonAnchorFor(const QRect& Icon, const QRect& Available) {
    if (Icon.isEmpty())
        return {QPoint(Available.right() - kCornerInset, Available.bottom() - kCornerInset), bpAboveLeft};
    const int x = Icon.center().x();
    if (Icon.center().y() < Available.center().y()) return {QPoint(x, Icon.bottom() + kIconGap), bpBelowLeft};
    return {QPoint(x, Icon.top() - kIconGap), bpAboveLeft};
}

TLevelBalloon::TLevelBalloon(QWidget* parent) : TBalloonWindow(parent) {
    setObjectName(QStringLiteral("LevelBalloon"));
    setWindowTitle(QStringLiteral("Tavlo level"));
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(kShownMs);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void TLevelBalloon::ShowLevel(const QString& Text, const QRect& Icon) {
    const QScreen* screen = Icon.isEmpty() ? nullptr : QGuiApplication::screenAt(Icon.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    const QRect available = screen ? screen->availableGeometry() : area;
    const LevelBalloonAnchor anchor = LevelBalloonAnchorFor(Icon, available);
    const BalloonLook look = settings_.Look();
    const int width = BalloonTextWidth(settings_.EffectiveMaxWidth(), anchor.Point.x(), area, look.ShadowDepth);
    const QSize size = BalloonWindowSize(MeasureBalloonText(Text, look.Font, width), look.ShadowDepth);
    const BalloonPlacement place = PlaceBalloon(anchor.Point, size, area, anchor.Position);
    SetBalloon(look, size, place.Orientation, Text);
    setGeometry(place.Rect);
    // Cut to what is drawn, with or without a compositor.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        setMask(QRegion(QBitmap::fromImage(Picture().createAlphaMask())));
    show();
    hideTimer_.start();
}
