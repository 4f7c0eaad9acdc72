#include "controls/balloon_geometry.h"

#include <algorithm>

int BalloonMaxWidth(int MaxWidth, int ScreenWidth) {
    if (MaxWidth >= 0) return MaxWidth;
    // -k: a k-th of the screen; the widest negative value still divides.
    return std::max(0, ScreenWidth / -std::max(MaxWidth, -ScreenWidth - 1));
}

int BalloonTextWidth(int EffectiveMaxWidth, int CursorX, const QRect& Screen, int ShadowDepth) {
    const int x = CursorX - Screen.x();
    const int available = std::max(x, Screen.width() - x);
    return std::max(1, std::min(EffectiveMaxWidth, available) - ShadowDepth - kBalloonExtraWidth);
}

QSize BalloonWindowSize(QSize TextSize, int ShadowDepth) {
    return {std::max(kBalloonMinWidth, TextSize.width() + ShadowDepth + kBalloonExtraWidth),
            TextSize.height() + ShadowDepth + kBalloonExtraHeight};
}

namespace {

QRect placed(QPoint Cursor, QSize Size, int Orientation) {
    const bool below = Orientation / 2 != 0;
    const bool right = Orientation % 2 != 0;
    // Below-right starts one pixel off the cursor so the hot spot stays clear.
    if (below && right) return {Cursor + QPoint(1, 1), Size};
    const int x = right ? Cursor.x() : Cursor.x() - Size.width();
    const int y = below ? Cursor.y() : Cursor.y() - Size.height();
    return {QPoint(x, y), Size};
}

}  // namespace

BalloonPlacement PlaceBalloon(QPoint Cursor, QSize Size, const QRect& Screen, TBalloonPosition Position) {
    const QRect first = placed(Cursor, Size, Position);
    int below = Position / 2;
    int right = Position % 2;
    // Right and bottom are exclusive here, as the screen's are.
    if (first.y() + first.height() > Screen.y() + Screen.height()) below = 0;
    if (first.y() < Screen.y()) below = 1;
    if (first.x() + first.width() > Screen.x() + Screen.width()) right = 0;
    if (first.x() < Screen.x()) right = 1;
    const auto orientation = static_cast<TBalloonPosition>(below * 2 + right);
    if (orientation == Position) return {first, Position};
    return {placed(Cursor, Size, orientation), orientation};
}

BalloonOutline BalloonOutlineFor(QSize Size, int ShadowDepth, TBalloonPosition Orientation) {
    const int w = Size.width() - ShadowDepth;  // the balloon without its shadow
    const int h = Size.height() - ShadowDepth;
    const bool below = Orientation / 2 != 0;
    const bool right = Orientation % 2 != 0;
    QRect body(0, 0, w - kBalloonPointerSide, h - kBalloonPointerHeight);
    body.translate(right ? kBalloonPointerSide : 0, below ? kBalloonPointerHeight : 0);
    // The apex is the balloon's corner nearest the cursor; the base lies
    // just inside the body so the two join without a seam.
    const int apexX = right ? 0 : w;
    const int apexY = below ? 0 : h;
    const int baseY = below ? kBalloonPointerHeight : h - kBalloonPointerHeight - 1;
    const int near = right ? 21 : w - 21;
    const int far = right ? 41 : w - 41;
    BalloonOutline outline;
    outline.Body = body;
    outline.Pointer = {QPoint(apexX, apexY), QPoint(near, baseY), QPoint(far, baseY)};
    outline.Text = body.adjusted(kBalloonTextInset, kBalloonTextInset, -kBalloonTextInset, -kBalloonTextInset);
    return outline;
}
