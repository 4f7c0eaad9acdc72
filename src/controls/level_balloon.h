#pragma once
// TLevelBalloon: the on-screen level. A balloon like the program's hints,
// pointing at the tray icon (or sitting in a corner of the screen where
// there is none), that shows one short text for a moment and goes by
// itself. Shown again while up, it changes its text in place and stays
// for the full time from then. It takes no focus and no clicks.

#include "controls/balloon.h"

#include <QTimer>

// Where the balloon points and which way it opens, for an icon at Icon on
// a screen whose free area is Available: below an icon in the upper half
// of the screen, above one in the lower half; without an icon, at the
// bottom right corner of the free area.
struct LevelBalloonAnchor {
    QPoint Point;
    TBalloonPosition Position;
};
LevelBalloonAnchor LevelBalloonAnchorFor(const QRect& Icon, const QRect& Available);

class TLevelBalloon : public TBalloonWindow {
    Q_OBJECT
public:
    static constexpr int kShownMs = 1500;

    explicit TLevelBalloon(QWidget* parent = nullptr);

    // Shows Text beside Icon (the tray icon's rectangle on the screen; empty
    // for none) for kShownMs.
    void ShowLevel(const QString& Text, const QRect& Icon);

private:
    TBalloonBase settings_;
    QTimer hideTimer_;
};
