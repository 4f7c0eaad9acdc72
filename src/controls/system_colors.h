#pragma once
// Fixed greys standing in for the desktop's button colours, so every skin
// and every test sees the same pixels whatever the desktop theme is.

#include <QColor>

inline const QColor kButtonFace{192, 192, 192};
inline const QColor kButtonShadow{128, 128, 128};
inline const QColor kButtonHighlight{255, 255, 255};
inline const QColor kWindowText{0, 0, 0};
