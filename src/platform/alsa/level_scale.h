#pragma once
// Linear mapping between an element's raw range and the mixer's 0..65535,
// rounding to nearest both ways. Reading a raw value and writing the level
// back gives the same raw value when the range has at most 65536 steps, and
// the same level when it is wider: a read-modify-write never drifts.

#include "platform/mmsystem.h"

#include <algorithm>

inline constexpr DWORD kLevelTop = 65535;

constexpr DWORD levelFromRaw(long raw, long min, long max) {
    if (max <= min) return 0;
    raw = std::clamp(raw, min, max);
    using Wide = __int128;
    const Wide range = Wide(max) - min;
    return static_cast<DWORD>((2 * (Wide(raw) - min) * kLevelTop + range) / (2 * range));
}

constexpr long rawFromLevel(DWORD level, long min, long max) {
    if (max <= min) return min;
    level = std::min(level, kLevelTop);
    using Wide = __int128;
    const Wide range = Wide(max) - min;
    return static_cast<long>(min + (2 * Wide(level) * range + kLevelTop) / (2 * Wide(kLevelTop)));
}

static_assert(levelFromRaw(0, 0, 31) == 0 && levelFromRaw(31, 0, 31) == kLevelTop);
static_assert(rawFromLevel(0, -20, 10) == -20 && rawFromLevel(kLevelTop, -20, 10) == 10);
