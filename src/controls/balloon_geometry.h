#pragma once
// Where a balloon hint goes and what it is made of, as pure functions of the
// cursor, the screen and the balloon's settings: the widget only draws what
// these say, and the rules can be checked without a display.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

// Where the balloon sits relative to the mouse pointer; the balloon's pointer
// then comes out of the opposite corner. Values as stored: below * 2 + right.
enum TBalloonPosition { bpAboveLeft = 0, bpAboveRight = 1, bpBelowLeft = 2, bpBelowRight = 3 };

// Margins around the text: the pointer's height above or below the body, the
// pointer's offset beside it, and the text's inset within the body.
inline constexpr int kBalloonPointerHeight = 19;
inline constexpr int kBalloonPointerSide = 15;
inline constexpr int kBalloonTextInset = 9;
inline constexpr int kBalloonMinWidth = 59;
// Width and height a balloon adds to its text, beside the shadow.
inline constexpr int kBalloonExtraWidth = kBalloonPointerSide + 2 * kBalloonTextInset;         // 33
inline constexpr int kBalloonExtraHeight = kBalloonPointerHeight + 2 * kBalloonTextInset + 1;  // 38

// MaxWidth as set (negative -k: a k-th of the screen) to pixels; never below 0.
int BalloonMaxWidth(int MaxWidth, int ScreenWidth);

// The width the hint text may wrap in with the cursor at CursorX: the larger
// side of the screen beside the cursor, capped by the maximum width, less the
// balloon's margins. At least 1, so a deep shadow never asks for a negative
// width.
int BalloonTextWidth(int EffectiveMaxWidth, int CursorX, const QRect& Screen, int ShadowDepth);

// The window that holds a text of TextSize: margins and shadow added, never
// narrower than the pointer needs.
QSize BalloonWindowSize(QSize TextSize, int ShadowDepth);

struct BalloonPlacement {
    QRect Rect;                    // the window on the screen
    TBalloonPosition Orientation;  // where it ended up
};

// Puts a balloon of Size beside Cursor as Position asks, flipping it below
// (above) when it would leave the screen at the top (bottom), and to the
// right (left) when it would leave it at the left (right).
BalloonPlacement PlaceBalloon(QPoint Cursor, QSize Size, const QRect& Screen, TBalloonPosition Position);

// The parts of a balloon in window coordinates, for a window of Size with
// ShadowDepth pixels of shadow right and below.
struct BalloonOutline {
    QRect Body;                     // the (round) rectangle
    std::array<QPoint, 3> Pointer;  // apex, then the two base points
    QRect Text;                     // where the text wraps
};
BalloonOutline BalloonOutlineFor(QSize Size, int ShadowDepth, TBalloonPosition Orientation);
