// The mapping between element ranges and mixer levels: ends, rounding,
// clamping, and read-modify-write cycles that must never drift.

#include "platform/alsa/level_scale.h"

#include <QTest>

class TestAlsaLevelScale : public QObject {
    Q_OBJECT
private slots:
    void endsAndMiddle_data();
    void endsAndMiddle();
    void narrowRangesKeepEveryRawValue_data();
    void narrowRangesKeepEveryRawValue();
    void wideRangesKeepEveryLevel_data();
    void wideRangesKeepEveryLevel();
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

void TestAlsaLevelScale::narrowRangesKeepEveryRawValue_data() {
    QTest::addColumn<long>("min");
    QTest::addColumn<long>("max");
    QTest::newRow("switch-like 0..1") << 0L << 1L;
    QTest::newRow("boost 0..3") << 0L << 3L;
    QTest::newRow("ac97 0..31") << 0L << 31L;
    QTest::newRow("hda 0..87") << 0L << 87L;
    QTest::newRow("usb -12800..0") << -12800L << 0L;
    QTest::newRow("just below the scale 0..65534") << 0L << 65534L;
    QTest::newRow("as wide as the scale 0..65535") << 0L << 65535L;
}

// A range with at most as many steps as the scale: every raw value read and
// written back gives itself.
void TestAlsaLevelScale::narrowRangesKeepEveryRawValue() {
    QFETCH(long, min);
    QFETCH(long, max);
    for (long raw = min; raw <= max; ++raw) {
        const long back = rawFromLevel(levelFromRaw(raw, min, max), min, max);
        if (back != raw) QFAIL(qPrintable(QStringLiteral("raw %1 came back as %2").arg(raw).arg(back)));
    }
}

void TestAlsaLevelScale::wideRangesKeepEveryLevel_data() {
    QTest::addColumn<long>("min");
    QTest::addColumn<long>("max");
    QTest::newRow("pulse 0..65536") << 0L << 65536L;
    QTest::newRow("wide and negative") << -20000L << 100000L;
    QTest::newRow("very wide") << -2147483647L << 2147483647L;
}

// A wider range: every level written and read back gives itself, so a
// value read and written back never moves the card.
void TestAlsaLevelScale::wideRangesKeepEveryLevel() {
    QFETCH(long, min);
    QFETCH(long, max);
    for (DWORD level = 0; level <= kLevelTop; ++level) {
        const long raw = rawFromLevel(level, min, max);
        QVERIFY(raw >= min && raw <= max);
        const DWORD back = levelFromRaw(raw, min, max);
        if (back != level) QFAIL(qPrintable(QStringLiteral("level %1 came back as %2").arg(level).arg(back)));
        // The raw value the card keeps is stable under a second cycle too.
        if (rawFromLevel(back, min, max) != raw) QFAIL("second write moved the card");
    }
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

QTEST_APPLESS_MAIN(TestAlsaLevelScale)
#include "tst_alsa_level_scale.moc"
