// Colour shading and tie-to-even rounding, the two small pure helpers the
// knob's drawing and pointer rules rest on.

#include "controls/color_shade.h"
#include "controls/round_half_even.h"
#include "support/test_main.h"

#include <QtTest>

#include <cfenv>

class TestHelpers : public QObject {
    Q_OBJECT
private slots:
    void shadeTowardBlackTruncates_data();
    void shadeTowardBlackTruncates();
    void shadeTowardWhite();
    void shadeKeepsRangeAndAlpha();
    void roundTiesGoToEven();
    void roundIgnoresRoundingMode();
};

void TestHelpers::shadeTowardBlackTruncates_data() {
    QTest::addColumn<int>("component");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("expected");
    // The knob's shadow disc and outline come from the button shadow grey.
    QTest::newRow("shadow -25") << 128 << -25 << 96;
    QTest::newRow("shadow -50") << 128 << -50 << 64;
    // 201 * 25 / 100 = 50.25: the fraction is dropped, not rounded.
    QTest::newRow("201 -25") << 201 << -25 << 151;
    // 3 * 50 / 100 = 1.5 drops to 1, leaving 2 (rounding would give 1).
    QTest::newRow("3 -50") << 3 << -50 << 2;
    QTest::newRow("zero percent") << 77 << 0 << 77;
}

void TestHelpers::shadeTowardBlackTruncates() {
    QFETCH(int, component);
    QFETCH(int, percent);
    QFETCH(int, expected);
    const QColor shaded = ShadeColor(QColor(component, component, component), percent);
    QCOMPARE(shaded.red(), expected);
    QCOMPARE(shaded.green(), expected);
    QCOMPARE(shaded.blue(), expected);
}

void TestHelpers::shadeTowardWhite() {
    // Each component moves on its own: 0 + 50*255/100 = 127 (127.5 truncated).
    QCOMPARE(ShadeColor(QColor(0, 100, 255), 50), QColor(127, 177, 255));
    // A disabled caption of black text shaded 50 % lighter.
    QCOMPARE(ShadeColor(Qt::black, 50), QColor(127, 127, 127));
}

void TestHelpers::shadeKeepsRangeAndAlpha() {
    QCOMPARE(ShadeColor(QColor(10, 20, 30), 250), QColor(255, 255, 255));
    QCOMPARE(ShadeColor(QColor(10, 20, 30), -250), QColor(0, 0, 0));
    QCOMPARE(ShadeColor(QColor(200, 100, 50, 80), -50).alpha(), 80);
    // Colours given in another model are shaded through their RGB values.
    // 255 - 127.5 truncates toward zero to 128.
    QCOMPARE(ShadeColor(QColor::fromHsv(0, 255, 255), -50), QColor(128, 0, 0));
}

void TestHelpers::roundTiesGoToEven() {
    QCOMPARE(RoundHalfEven(0.5), 0.0);
    QCOMPARE(RoundHalfEven(1.5), 2.0);
    QCOMPARE(RoundHalfEven(2.5), 2.0);
    QCOMPARE(RoundHalfEven(-2.5), -2.0);
    QCOMPARE(RoundHalfEven(-3.5), -4.0);
    QCOMPARE(RoundHalfEven(-10.5), -10.0);
    QCOMPARE(RoundHalfEven(2.4999999), 2.0);
    QCOMPARE(RoundHalfEven(2.5000001), 3.0);
    QCOMPARE(RoundHalfEven(-0.4), 0.0);
    QCOMPARE(RoundHalfEven(89.9), 90.0);
}

void TestHelpers::roundIgnoresRoundingMode() {
    // Another library switching the FPU's mode must not move the knob.
    const int saved = std::fegetround();
    std::fesetround(FE_UPWARD);
    const double up = RoundHalfEven(2.5);
    std::fesetround(FE_DOWNWARD);
    const double down = RoundHalfEven(3.5);
    std::fesetround(saved);
    QCOMPARE(up, 2.0);
    QCOMPARE(down, 4.0);
}

TAVLO_TEST_APPLESS_MAIN(TestHelpers)
#include "test_helpers.moc"
