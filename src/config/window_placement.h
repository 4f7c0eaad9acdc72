#pragma once
// Where a window goes when its stored position is restored. Pure geometry, so
// it can be checked without real screens: pass the screens' available
// geometries (QScreen::availableGeometry() of every QGuiApplication::screens()).

#include "config/config_format.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// `stored` as is when the window would show at least one pixel on some screen
// (negative coordinates that leave it partly visible included). A window that
// would be entirely off every screen could never be reached by the user, so it
// is moved onto the nearest screen, as far inside as its size allows. With no
// screens known, `stored` is kept.
QPoint reachablePosition(QPoint stored, QSize windowSize, const QList<QRect>& screens);

// The position to move a window to after reading `stored`: each coordinate the
// file gave replaces that of `current`, then reachablePosition applies. Absent
// when the file gave no Left (a Top alone is not applied); the window then
// keeps its own (centred) placement.
std::optional<QPoint> restoredPosition(const StoredPosition& stored, QPoint current, QSize windowSize,
                                       const QList<QRect>& screens);
