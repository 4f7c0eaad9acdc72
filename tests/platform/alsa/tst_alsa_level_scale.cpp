// The mapping between element ranges and mixer levels: ends, rounding,
// clamping, read-modify-write cycles that must never drift, and the
// windows' refreshes at read-out resolution that must never lower a card.

#include "mixer/levels.h"
#include "platform/alsa/level_scale.h"
#include "support/test_main.h"

#include <QTest>

#include <cstdlib>

static_assert(kLevelsPerReadout == DWORD(kLevelPerReadout) && kTopReadout == DWORD(kReadoutMax));

class TestAlsaLevelScale : public QObject {
    Q_OBJECT
private slots:
    void endsAndMiddle_data();
    void endsAndMiddle();
    void readoutWritesNeverReadLower_data();
    void readoutWritesNeverReadLower();
    void refreshSettlesAfterOneCycle_data();
    void refreshSettlesAfterOneCycle();
    void readAndWrittenBackStaysPut_data();
    void readAndWrittenBackStaysPut();
    void fullScaleIsExact();
    void outOfRangeValuesAreClamped();
    void emptyRangeStaysAtItsOnlyValue();
};

void TestAlsaLevelScale::endsAndMiddle_data() {
    QTest::addColumn<long>("min");
    QTest::addColumn<long>("max");
    QTest::addColumn<long>("raw");
    QTest::addColumn<uint>("level");
    QTest::newRow("ac97 bottom") << 0L << 31L << 0L << 0u;
    QTest::newRow("ac97 top") << 0L << 31L << 31L << 65535u;
    QTest::newRow("ac97 step 14") << 0L << 31L << 14L << 29596u;            // 14 * 65535 / 31 = 29596.45
    QTest::newRow("ac97 step 16 rounds up") << 0L << 31L << 16L << 33825u;  // 33824.52
    QTest::newRow("negative range bottom") << -20000L << 100000L << -20000L << 0u;
    QTest::newRow("negative range zero") << -20000L << 100000L << 0L << 10923u;  // 10922.5 rounds up
    QTest::newRow("negative range top") << -20000L << 100000L << 100000L << 65535u;
    QTest::newRow("pulse half") << 0L << 65536L << 32768L << 32768u;  // 32767.5 rounds up
    QTest::newRow("identity") << 0L << 65535L << 1234L << 1234u;
}

void TestAlsaLevelScale::endsAndMiddle() {
    QFETCH(long, min);
    QFETCH(long, max);
    QFETCH(long, raw);
    QFETCH(uint, level);
    QCOMPARE(levelFromRaw(raw, min, max), DWORD(level));
    // Only a range no wider than the scale has a level for every raw value.
    if (max - min <= long(kLevelTop)) QCOMPARE(rawFromLevel(level, min, max), raw);
}

// Ranges seen on cards (switch-like, boosts, AC97, HDA, USB in 1/256 dB,
// PulseAudio's 0..65536) and ones far wider than the scale. maxMove is how
// far one refresh may move a raw value: one step where a read-out spans at
// most two raw steps, else anywhere within the raw steps of its read-out (-1).
static void addRanges() {
    QTest::addColumn<long>("min");
    QTest::addColumn<long>("max");
    QTest::addColumn<long>("maxMove");
    QTest::newRow("switch-like 0..1") << 0L << 1L << 1L;
    QTest::newRow("boost 0..3") << 0L << 3L << 1L;
    QTest::newRow("ac97 0..31") << 0L << 31L << 1L;
    QTest::newRow("capture 0..63") << 0L << 63L << 1L;
    QTest::newRow("hda 0..87") << 0L << 87L << 1L;
    QTest::newRow("below zero -20..10") << -20L << 10L << 1L;
    QTest::newRow("two steps a read-out 0..150") << 0L << 150L << 1L;
    QTest::newRow("hda pcm 0..255") << 0L << 255L << -1L;
    QTest::newRow("usb -12800..0") << -12800L << 0L << -1L;
    QTest::newRow("just below the scale 0..65534") << 0L << 65534L << -1L;
    QTest::newRow("as wide as the scale 0..65535") << 0L << 65535L << -1L;
    QTest::newRow("pulse 0..65536") << 0L << 65536L << -1L;
    QTest::newRow("wide and negative") << -20000L << 100000L << -1L;
    QTest::newRow("very wide") << -2147483647L << 2147483647L << -1L;
}

// Checks every raw value of a range, or on a very wide one an even spread
// with both ends; the first failure found, or an empty text.
template <typename F>
static QString firstFailure(long min, long max, F&& check) {
    const long stride = max - min > 200000 ? (max - min) / 150001 : 1;
    for (long raw = min; raw <= max - stride; raw += stride)
        if (QString failure = check(raw); !failure.isEmpty()) return failure;
    return check(max);
}

static long refreshed(long raw, long min, long max) {
    return rawFromLevel(DWORD(levelFromReadout(readoutFromLevel(int(levelFromRaw(raw, min, max))))), min, max);
}

static int readoutOfRaw(long raw, long min, long max) { return readoutFromLevel(int(levelFromRaw(raw, min, max))); }

void TestAlsaLevelScale::readoutWritesNeverReadLower_data() { addRanges(); }

// Each read-out the windows can write reads back as itself, or higher when
// no raw step shows it; and it lands on the step nearest its level among
// those that show it.
void TestAlsaLevelScale::readoutWritesNeverReadLower() {
    QFETCH(long, min);
    QFETCH(long, max);
    for (int readout = 0; readout <= kReadoutMax; ++readout) {
        const DWORD level = DWORD(levelFromReadout(readout));
        const long raw = rawFromLevel(level, min, max);
        QVERIFY(raw >= min && raw <= max);
        const int shown = readoutOfRaw(raw, min, max);
        const QString where = QStringLiteral("read-out %1 went to raw %2").arg(readout).arg(raw);
        QVERIFY2(shown >= readout, qPrintable(where));
        // Higher only when no step shows it, and then the lowest step above.
        if (shown > readout) QVERIFY2(raw == min || readoutOfRaw(raw - 1, min, max) < readout, qPrintable(where));
        // No neighbour that shows the same read-out is nearer the level.
        auto fartherOrOther = [&](long other) {
            return other < min || other > max || readoutOfRaw(other, min, max) != readout ||
                   std::abs(long(levelFromRaw(other, min, max)) - long(level)) >=
                       std::abs(long(levelFromRaw(raw, min, max)) - long(level));
        };
        if (shown == readout) QVERIFY2(fartherOrOther(raw - 1) && fartherOrOther(raw + 1), qPrintable(where));
    }
}

void TestAlsaLevelScale::refreshSettlesAfterOneCycle_data() { addRanges(); }

// Read, shown as a read-out, written back: the first refresh keeps the
// read-out (and moves the raw value at most maxMove), the second changes
// nothing.
void TestAlsaLevelScale::refreshSettlesAfterOneCycle() {
    QFETCH(long, min);
    QFETCH(long, max);
    QFETCH(long, maxMove);
    const QString failure = firstFailure(min, max, [&](long raw) {
        const long once = refreshed(raw, min, max);
        const long twice = refreshed(once, min, max);
        const bool keepsReadout = readoutOfRaw(once, min, max) == readoutOfRaw(raw, min, max);
        const bool nearEnough = maxMove < 0 || std::abs(once - raw) <= maxMove;
        if (keepsReadout && nearEnough && twice == once) return QString();
        return QStringLiteral("raw %1 refreshed to %2, then %3").arg(raw).arg(once).arg(twice);
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestAlsaLevelScale::readAndWrittenBackStaysPut_data() { addRanges(); }

// A range with at most 65536 values has a level for each raw value, which
// writes back to it; a wider one writes each level back to a raw value
// that reads as that level.
void TestAlsaLevelScale::readAndWrittenBackStaysPut() {
    QFETCH(long, min);
    QFETCH(long, max);
    if (max - min <= long(kLevelTop)) {
        const QString failure = firstFailure(min, max, [&](long raw) {
            const long back = rawFromLevel(levelFromRaw(raw, min, max), min, max);
            return back == raw ? QString() : QStringLiteral("raw %1 came back as %2").arg(raw).arg(back);
        });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    for (DWORD level = 0; level <= kLevelTop; ++level) {
        const long raw = rawFromLevel(level, min, max);
        QVERIFY(raw >= min && raw <= max);
        const DWORD back = levelFromRaw(raw, min, max);
        if (back != level) QFAIL(qPrintable(QStringLiteral("level %1 came back as %2").arg(level).arg(back)));
        if (rawFromLevel(back, min, max) != raw) QFAIL("second write moved the card");
    }
}

// The width of the scale itself: every level is its own raw value.
void TestAlsaLevelScale::fullScaleIsExact() {
    for (DWORD level = 0; level <= kLevelTop; ++level)
        if (rawFromLevel(level, 0, 65535) != long(level)) QFAIL(qPrintable(QString::number(level)));
}

void TestAlsaLevelScale::outOfRangeValuesAreClamped() {
    QCOMPARE(levelFromRaw(-5, 0, 31), DWORD(0));
    QCOMPARE(levelFromRaw(40, 0, 31), kLevelTop);
    QCOMPARE(rawFromLevel(70000, 0, 31), 31L);
    QCOMPARE(rawFromLevel(0xFFFFFFFFu, -100, -10), -10L);
}

void TestAlsaLevelScale::emptyRangeStaysAtItsOnlyValue() {
    QCOMPARE(levelFromRaw(7, 7, 7), DWORD(0));
    QCOMPARE(rawFromLevel(kLevelTop, 7, 7), 7L);
}

TAVLO_TEST_APPLESS_MAIN(TestAlsaLevelScale)
#include "tst_alsa_level_scale.moc"
