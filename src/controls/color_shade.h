#pragma once
// Colour shading: moves a colour's red, green and blue toward white
// (Percent > 0) or black (Percent < 0) by |Percent| per cent.

#include <QColor>

// Percent is clamped to -100..100; alpha is kept.
QColor ShadeColor(const QColor& Color, int Percent);
