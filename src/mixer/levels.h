#pragma once
// The level scales every window shares: mixer levels 0..65535, two-digit
// read-outs 0..99 and fader cursor positions 0..50 pixels (0 loudest).

constexpr int kLevelMax = 65535;
constexpr int kReadoutMax = 99;
constexpr int kLevelPerReadout = 655;
constexpr int kFaderTravel = 50;

constexpr int readoutFromLevel(int level) {
    const int r = (level < 0 ? 0 : level) / kLevelPerReadout;
    return r > kReadoutMax ? kReadoutMax : r;
}
constexpr int levelFromReadout(int readout) {
    if (readout >= kReadoutMax) return kLevelMax;
    return readout <= 0 ? 0 : readout * kLevelPerReadout;
}
constexpr int readoutFromPosition(int position) {
    const int r = kReadoutMax - 2 * position;
    return r < 0 ? 0 : (r > kReadoutMax ? kReadoutMax : r);
}
constexpr int positionFromLevel(int level) {
    const int p = kFaderTravel - ((level < 0 ? 0 : level) / kLevelPerReadout) / 2;
    return p < 0 ? 0 : (p > kFaderTravel ? kFaderTravel : p);
}

static_assert(readoutFromLevel(30000) == 45 && levelFromReadout(45) == 29475);
static_assert(levelFromReadout(99) == kLevelMax && readoutFromPosition(50) == 0 && readoutFromPosition(0) == 99);
