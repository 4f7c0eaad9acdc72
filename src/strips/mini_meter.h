#pragma once
// The faces of a strip's mini-meter (25 x 12, the size of its VU images):
// face 0 dark, face 10 every bar lit. Drawn once by whoever drives the
// meter, then only swapped.

#include <QPixmap>

#include <array>

std::array<QPixmap, 11> drawMiniMeterFaces();
