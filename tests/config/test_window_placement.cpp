// Restoring window positions against given screen layouts.

#include "config/window_placement.h"
#include "support/test_main.h"

#include <QtTest>

#include <limits>

namespace {

const QSize kWindow(300, 200);
const QList<QRect> kOneScreen{QRect(0, 0, 1920, 1080)};
// A wide screen on the left and a shorter one to its right, tops aligned.
const QList<QRect> kTwoScreens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720)};

bool visibleOnSome(QPoint p, QSize size, const QList<QRect>& screens) {
    for (const QRect& s : screens)
        if (s.intersects(QRect(p, size))) return true;
    return false;
}

}  // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void keptWhenAnyPartIsOnScreen_data() {
        QTest::addColumn<QPoint>("stored");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::newRow("inside") << QPoint(106, 269) << kOneScreen;
        QTest::newRow("partly off the left and top") << QPoint(-250, -150) << kOneScreen;
        QTest::newRow("one pixel column left") << QPoint(-299, 10) << kOneScreen;
        QTest::newRow("one pixel row at the bottom") << QPoint(10, 1079) << kOneScreen;
        QTest::newRow("on the second screen") << QPoint(2500, 100) << kTwoScreens;
        QTest::newRow("across both screens") << QPoint(1800, 600) << kTwoScreens;
        QTest::newRow("below the short screen, on the tall one") << QPoint(1700, 900) << kTwoScreens;
        QTest::newRow("no screens known") << QPoint(-5000, 99999) << QList<QRect>{};
    }
    void keptWhenAnyPartIsOnScreen() {
        QFETCH(QPoint, stored);
        QFETCH(QList<QRect>, screens);
        QCOMPARE(reachablePosition(stored, kWindow, screens), stored);
    }

    // Entirely off every screen: onto the nearest one, fully visible when it
    // fits, moved as little as possible.
    void broughtBackWhenEntirelyOff_data() {
        QTest::addColumn<QPoint>("stored");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("just off the left edge") << QPoint(-300, 500) << kOneScreen << QPoint(0, 500);
        QTest::newRow("far left") << QPoint(-5000, 500) << kOneScreen << QPoint(0, 500);
        QTest::newRow("above") << QPoint(800, -200) << kOneScreen << QPoint(800, 0);
        QTest::newRow("right") << QPoint(1920, 100) << kOneScreen << QPoint(1620, 100);
        QTest::newRow("below and right") << QPoint(4000, 3000) << kOneScreen << QPoint(1620, 880);
        QTest::newRow("extreme coordinates") << QPoint(std::numeric_limits<int>::max(), std::numeric_limits<int>::min())
                                             << kOneScreen << QPoint(1620, 0);
        QTest::newRow("right of the second screen") << QPoint(3500, 100) << kTwoScreens << QPoint(2900, 100);
        // Under the short screen: the tall one is 20 px away, the short one 80.
        QTest::newRow("in the gap under the short screen") << QPoint(1940, 800) << kTwoScreens << QPoint(1620, 800);
        QTest::newRow("screen not at the origin")
            << QPoint(0, 0) << QList<QRect>{QRect(-1280, 200, 1280, 1024)} << QPoint(-300, 200);
        QTest::newRow("window larger than the screen")
            << QPoint(-900, 50) << QList<QRect>{QRect(0, 0, 200, 100)} << QPoint(0, 0);
    }
    void broughtBackWhenEntirelyOff() {
        QFETCH(QPoint, stored);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, expected);
        const QPoint p = reachablePosition(stored, kWindow, screens);
        QCOMPARE(p, expected);
        QVERIFY(visibleOnSome(p, kWindow, screens));
    }

    // A window without a size yet still counts as one pixel.
    void emptyWindowSize() {
        QCOMPARE(reachablePosition(QPoint(5, 5), QSize(), kOneScreen), QPoint(5, 5));
        QCOMPARE(reachablePosition(QPoint(1920, 5), QSize(), kOneScreen), QPoint(1919, 5));
    }

    // Each stored coordinate replaces the current one; without a Left,
    // nothing is restored (a Top alone is not applied).
    void restoredFromStoredCoordinates() {
        const QPoint current(810, 440);
        QCOMPARE(restoredPosition({}, current, kWindow, kOneScreen), std::nullopt);
        QCOMPARE(restoredPosition({106, 269}, current, kWindow, kOneScreen), QPoint(106, 269));
        QCOMPARE(restoredPosition({106, std::nullopt}, current, kWindow, kOneScreen), QPoint(106, 440));
        QCOMPARE(restoredPosition({std::nullopt, -20}, current, kWindow, kOneScreen), std::nullopt);
        QCOMPARE(restoredPosition({-9000, std::nullopt}, current, kWindow, kOneScreen), QPoint(0, 440));
    }
};

TAVLO_TEST_GUILESS_MAIN(WindowPlacementTest)
#include "test_window_placement.moc"
