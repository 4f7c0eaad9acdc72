#pragma once
// Mapping between an element's raw range and the mixer's 0..65535.
//
// Reading rounds to nearest. Writing is shaped by how the windows use it:
// they show a level as a read-out (level div 655, at most 99) and write the
// read-out back as read-out × 655 (99 giving 65535) on every refresh. On a
// small raw range plain rounding can land on a step that reads back one
// read-out lower, and each refresh then lowers the card again. So a written
// level goes to the raw step nearest to it among the steps that read back
// as the same read-out; when no step does, to the lowest step that reads
// back higher. It never lands on a step that reads back lower.
//
// Consequences: a raw value read and written back gives itself whenever the
// range has at most 65536 values; a wider range gives back the same level;
// a 0..65535 range maps each level to itself.

#include "platform/mmsystem.h"

#include <algorithm>

inline constexpr DWORD kLevelTop = 65535;
// The windows' read-out step and highest read-out (kept equal to mixer/levels.h).
inline constexpr DWORD kLevelsPerReadout = 655;
inline constexpr DWORD kTopReadout = 99;

constexpr DWORD levelFromRaw(long raw, long min, long max) {
    if (max <= min) return 0;
    raw = std::clamp(raw, min, max);
    using Wide = __int128;
    const Wide range = Wide(max) - min;
    return static_cast<DWORD>((2 * (Wide(raw) - min) * kLevelTop + range) / (2 * range));
}

constexpr DWORD readoutOfLevel(DWORD level) { return std::min(level / kLevelsPerReadout, kTopReadout); }

namespace level_scale_detail {

using Wide = __int128;

// The lowest raw value whose level is at least the given one, or max + 1
// when there is none (levels grow with the raw value).
constexpr Wide firstRawReaching(DWORD level, long min, long max) {
    Wide lo = min, hi = Wide(max) + 1;
    while (lo < hi) {
        const Wide mid = lo + (hi - lo) / 2;
        if (levelFromRaw(static_cast<long>(mid), min, max) >= level)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

constexpr DWORD distance(DWORD a, DWORD b) { return a > b ? a - b : b - a; }

}  // namespace level_scale_detail

constexpr long rawFromLevel(DWORD level, long min, long max) {
    using namespace level_scale_detail;
    if (max <= min) return min;
    level = std::min(level, kLevelTop);
    const DWORD readout = readoutOfLevel(level);
    const DWORD bandLow = readout * kLevelsPerReadout;
    const DWORD bandHigh = readout >= kTopReadout ? kLevelTop : bandLow + kLevelsPerReadout - 1;
    // The steps [first, past) read back as this read-out. The top step reads
    // 65535, so the top read-out always has one and every other band has a
    // step above it.
    const Wide first = firstRawReaching(bandLow, min, max);
    const Wide past = firstRawReaching(bandHigh + 1, min, max);
    if (first >= past) return static_cast<long>(past);
    const Wide above = std::clamp(firstRawReaching(level, min, max), first, past - 1);
    if (above == first) return static_cast<long>(above);
    const long below = static_cast<long>(above - 1);
    const bool belowIsNearer = distance(levelFromRaw(below, min, max), level) <
                               distance(levelFromRaw(static_cast<long>(above), min, max), level);
    return belowIsNearer ? below : static_cast<long>(above);
}

static_assert(levelFromRaw(0, 0, 31) == 0 && levelFromRaw(31, 0, 31) == kLevelTop);
static_assert(rawFromLevel(0, -20, 10) == -20 && rawFromLevel(kLevelTop, -20, 10) == 10);
// 53 of 0..87 shows read-out 60; plain rounding of 60 × 655 gave 52 (read-out 59).
static_assert(rawFromLevel(60 * kLevelsPerReadout, 0, 87) == 53);
