#include "controls/color_shade.h"

#include <algorithm>
#include <cstdlib>

QColor ShadeColor(const QColor& Color, int Percent) {
    // Beyond 100 % a component would overshoot its target and leave 0..255.
    const int p = std::clamp(Percent, -100, 100);
    const int target = p > 0 ? 255 : 0;
    const QColor rgb = Color.toRgb();
    auto shade = [&](int c) { return c + std::abs(p) * (target - c) / 100; };
    return QColor(shade(rgb.red()), shade(rgb.green()), shade(rgb.blue()), rgb.alpha());
}
