#pragma once
// The magnet between the two mixer windows: the recording window hangs
// directly below the playback window, centred under it, and whichever of
// the two leads pulls the other along. Halves truncate toward zero.

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the recording window goes when the playback window leads.
inline QPoint recordingBelow(const QRect& play, const QSize& rec) {
    return {play.left() + (play.width() - rec.width()) / 2, play.top() + play.height()};
}

// Where the playback window goes when the recording window leads.
inline QPoint playbackAbove(const QRect& rec, const QSize& play) {
    return {rec.left() - (play.width() - rec.width()) / 2, rec.top() - play.height()};
}
