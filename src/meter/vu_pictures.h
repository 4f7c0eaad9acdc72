#pragma once
// The VU window's pictures, drawn in code once when the window is made:
// the needle faces, the lamps, the lamp columns' ground and the over-peak
// icon.

#include <QColor>
#include <QPixmap>

namespace vu {

constexpr int kFaceWidth = 173;
constexpr int kFaceHeight = 98;

QPixmap face(int index);                          // vuf0 ... vuf10: the needle at rest ... at full scale
QPixmap lamp(int number);                         // lamp 1 (lowest, green) ... 10 (top, red), 18 x 6
QPixmap lampColumn();                             // ground of a lamp column, 28 x 118
QPixmap overPeakIcon();                           // 32 x 32
inline const QColor kPanelColour{255, 255, 221};  // the meter panel's ivory

}  // namespace vu
