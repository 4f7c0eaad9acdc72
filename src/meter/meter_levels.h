#pragma once
// What a peak reading shows in the VU window: the level of one channel, the
// face, the lamps, the held lamp, and when it counts as an over-peak. Pure
// functions, so the window only swaps pictures and toggles lamps.

#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace vu {

constexpr int kValuePerStep = 2000;  // meter value per level step
constexpr int kLevelCap = 40;
constexpr int kFaceCount = 11;  // vuf0 (rest) ... vuf10 (full scale)
constexpr int kLampCount = 10;
constexpr int kOverPeakAbove = 8;  // level 9 (a value of 18000) and up
constexpr int kLogLimit = 100;     // over-peaks counted and listed
constexpr int kEntryLength = 40;

// Level of one channel: |value| / 2000, at most 40. A 16-bit meter gives
// 0 ... 16. Wide on purpose: a meter's raw 32-bit word may read as INT_MIN.
constexpr int meterLevel(std::int64_t value) {
    const std::int64_t steps = (value < 0 ? -value : value) / kValuePerStep;
    return steps > kLevelCap ? kLevelCap : static_cast<int>(steps);
}

// Face shown for a level: vuf0 ... vuf10, the last one for anything above.
constexpr int faceFor(int level) { return level < 0 ? 0 : (level > kFaceCount - 1 ? kFaceCount - 1 : level); }

// Lamp 1 ... 10 of a column: lit up to the level, and the held lamp.
constexpr int heldLamp(int hold) { return hold <= 0 ? 0 : (hold > kLampCount - 1 ? kLampCount : hold); }
constexpr bool lampLit(int lamp, int level, int hold) { return lamp <= faceFor(level) || lamp == heldLamp(hold); }

constexpr bool isOverPeak(int level) { return level > kOverPeakAbove; }
constexpr bool logsOverPeak(int count) { return count < kLogLimit; }

// The held level after a reading: a reading at or above it takes its place
// and restarts the 5 s release. Silence over nothing held holds nothing, so
// no release runs (its only effect would be to darken dark lamps, and a
// meter at rest would wake the program every 5 s).
struct Hold {
    int level;
    bool restart;
};
constexpr Hold holdAfter(int held, int level) { return held <= level ? Hold{level, level > 0} : Hold{held, false}; }

// Needle of face 0 ... 10, in degrees from upright (negative: left).
constexpr double needleAngle(int face) { return -50.0 + 10.0 * faceFor(face); }

// "L 9 at <short date> <long time>", at most 40 characters.
QString overPeakEntry(QChar side, int level, const QDateTime& at, const QLocale& locale);
// Title clock: the channel, then "<long date>  hh:mm:ss".
QString clockTitle(const QString& channel, const QDateTime& now, const QLocale& locale);

}  // namespace vu
