#pragma once
// Rounding to nearest with ties to even, independent of the floating-point
// environment's current rounding mode.

#include <cmath>

inline double RoundHalfEven(double x) {
    const double down = std::floor(x);
    const double rest = x - down;
    if (rest < 0.5) return down;
    if (rest > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}
