// The range control's normalising rules and the rotary knob: pointer
// direction to position, the dead sector, the indicator and the painting;
// the wheel steps that turn knobs and faders.

#include "controls/rotary_knob.h"
#include "controls/wheel_steps.h"
#include "support/test_main.h"

#include <QLineEdit>
#include <QWheelEvent>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

bool IsRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }

// A knob with the tone panel's range, as the treble knob is set up.
void MakeToneKnob(TRotaryKnob& knob, int min = 0) {
    knob.SetMax(65535);
    knob.SetPosition(32767);
    knob.SetMin(min);
}

// Records every OnChange with the position it saw.
struct ChangeLog {
    QList<int> positions;
    void Attach(TRangeControl& c) {
        c.OnChange = [this](TRangeControl* sender) { positions << sender->Position(); };
    }
};

// A knob whose off-screen bitmap can never be made.
class DirectKnob : public TRotaryKnob {
protected:
    QPixmap MakeOffscreenBitmap(QSize) const override { return {}; }
};

}  // namespace

class TestRotaryKnob : public QObject {
    Q_OBJECT
private slots:
    // Range and position
    void startsAsDocumented();
    void maxBelowMinMovesMin();
    void minRaisedToMaxStaysBelowIt();
    void positionIsClampedAndChangeRaisedOnlyOnMove();
    void unchangedValuesRaiseNothing();
    void bottomOfIntRangeDoesNotOverflow();
    void controlShowsPositionAfterChange();
    void destroyedControlIsForgotten();
    void handlerMovingPositionSettles();
    void handlerMayDestroyKnob();

    // Pointer to position
    void pointerAngles_data();
    void pointerAngles();
    void valuesAtAngles_data();
    void valuesAtAngles();
    void wideRangeDoesNotOverflow();
    void pressSetsPositionFromDirection_data();
    void pressSetsPositionFromDirection();
    void dragFollowsPointerBeyondKnob();
    void otherButtonsAndOutsidePressesDoNothing();
    void pressOnCentreIsAngleZero();

    // Painting
    void indicatorPointsAtPosition_data();
    void indicatorPointsAtPosition();
    void indicatorRoundsTiesToEven_data();
    void indicatorRoundsTiesToEven();
    void paintsDirectlyWithoutOffscreenBitmap();
    void tinySizesPaintBackgroundOnly();
    void shimmerSwingsBetweenZeroAndEight();
    void repaintsOnlyOnChange();

    // The wheel
    void wheelDeltasAddUpToNotches_data();
    void wheelDeltasAddUpToNotches();
    void wheelStepsOverAWidgetAndItsParts();
};

void TestRotaryKnob::startsAsDocumented() {
    TRotaryKnob knob;
    QCOMPARE(knob.Min(), 0);
    QCOMPARE(knob.Max(), 10);
    QCOMPARE(knob.Position(), 5);
    QCOMPARE(knob.size(), QSize(30, 30));
    QCOMPARE(knob.IndicatorColor(), QColor(255, 0, 0));
    QCOMPARE(knob.Control(), nullptr);
    QCOMPARE(knob.focusPolicy(), Qt::NoFocus);
    // The published names reach the same values through Qt's properties.
    QVERIFY(knob.setProperty("Max", 65535));
    QCOMPARE(knob.property("Max").toInt(), 65535);
}

void TestRotaryKnob::maxBelowMinMovesMin() {
    TRotaryKnob knob;
    ChangeLog log;
    log.Attach(knob);
    knob.SetMin(4);
    knob.SetMax(-3);
    QCOMPARE(knob.Max(), -3);
    QCOMPARE(knob.Min(), -4);
    QCOMPARE(knob.Position(), -3);
    QCOMPARE(log.positions, QList<int>{-3});
}

void TestRotaryKnob::minRaisedToMaxStaysBelowIt() {
    TRotaryKnob knob;
    knob.SetMin(10);
    QCOMPARE(knob.Min(), 9);
    QCOMPARE(knob.Max(), 10);
    QCOMPARE(knob.Position(), 9);
    knob.SetMin(50);
    QCOMPARE(knob.Min(), 9);
    QCOMPARE(knob.Position(), 9);
}

void TestRotaryKnob::positionIsClampedAndChangeRaisedOnlyOnMove() {
    TRotaryKnob knob;
    MakeToneKnob(knob);
    ChangeLog log;
    log.Attach(knob);
    knob.SetPosition(70000);
    QCOMPARE(knob.Position(), 65535);
    QCOMPARE(log.positions, QList<int>{65535});
    // Already at the top: the clamped value equals the old one.
    knob.SetPosition(70000);
    QCOMPARE(knob.Position(), 65535);
    QCOMPARE(log.positions.size(), 1);
    knob.SetPosition(-5);
    QCOMPARE(knob.Position(), 0);
    QCOMPARE(log.positions, (QList<int>{65535, 0}));
}

void TestRotaryKnob::unchangedValuesRaiseNothing() {
    TRotaryKnob knob;
    QLineEdit readout;
    knob.SetControl(&readout);
    QCOMPARE(readout.text(), QStringLiteral("5"));
    ChangeLog log;
    log.Attach(knob);
    readout.setText(QStringLiteral("untouched"));
    knob.SetPosition(5);
    knob.SetMin(0);
    knob.SetMax(10);
    knob.SetControl(&readout);
    QVERIFY(log.positions.isEmpty());
    QCOMPARE(readout.text(), QStringLiteral("untouched"));
    // Narrowing the range around the position moves nothing either.
    knob.SetMin(2);
    knob.SetMax(8);
    QVERIFY(log.positions.isEmpty());
}

void TestRotaryKnob::bottomOfIntRangeDoesNotOverflow() {
    TRotaryKnob knob;
    knob.SetMax(kIntMin);
    QCOMPARE(knob.Min(), kIntMin);
    QCOMPARE(knob.Max(), kIntMin + 1);
    QCOMPARE(knob.Position(), kIntMin + 1);
    QVERIFY(!knob.grab().isNull());
}

void TestRotaryKnob::controlShowsPositionAfterChange() {
    TRotaryKnob knob;
    MakeToneKnob(knob);
    QLineEdit readout;
    knob.SetControl(&readout);
    QCOMPARE(readout.text(), QStringLiteral("32767"));
    QString seenByHandler;
    knob.OnChange = [&](TRangeControl*) { seenByHandler = readout.text(); };
    knob.SetPosition(100);
    QCOMPARE(seenByHandler, QStringLiteral("32767"));
    QCOMPARE(readout.text(), QStringLiteral("100"));
    knob.SetControl(nullptr);
    knob.SetPosition(200);
    QCOMPARE(readout.text(), QStringLiteral("100"));
}

void TestRotaryKnob::destroyedControlIsForgotten() {
    TRotaryKnob knob;
    {
        QLineEdit readout;
        knob.SetControl(&readout);
    }
    QCOMPARE(knob.Control(), nullptr);
    knob.SetPosition(7);
    QCOMPARE(knob.Position(), 7);
}

void TestRotaryKnob::handlerMovingPositionSettles() {
    // As the tone panel does: a change snaps the knob to its read-out's step,
    // which raises a second change from inside the first.
    TRotaryKnob knob;
    MakeToneKnob(knob);
    QLineEdit readout;
    knob.SetControl(&readout);
    QList<int> seen;
    knob.OnChange = [&](TRangeControl* sender) {
        seen << sender->Position();
        sender->SetPosition(sender->Position() / 655 * 655);
    };
    knob.SetPosition(30000);
    QCOMPARE(seen, (QList<int>{30000, 29475}));
    QCOMPARE(knob.Position(), 29475);
    QCOMPARE(readout.text(), QStringLiteral("29475"));
}

void TestRotaryKnob::handlerMayDestroyKnob() {
    auto knob = std::make_unique<TRotaryKnob>();
    QLineEdit readout;
    knob->SetControl(&readout);
    readout.setText(QStringLiteral("before"));
    knob->OnChange = [&](TRangeControl*) { knob.reset(); };
    knob->SetPosition(8);
    QVERIFY(!knob);
    QCOMPARE(readout.text(), QStringLiteral("before"));
}

void TestRotaryKnob::pointerAngles_data() {
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("angle");
    QTest::newRow("down") << 0 << 11 << 0;
    QTest::newRow("left") << -11 << 0 << 90;
    QTest::newRow("up") << 0 << -11 << 180;
    QTest::newRow("right") << 11 << 0 << 270;
    QTest::newRow("up left") << -5 << -5 << 135;
    QTest::newRow("up right") << 5 << -5 << 225;
    QTest::newRow("down right") << 5 << 5 << 315;
    QTest::newRow("down left") << -5 << 5 << 45;
    // atan(27/8) is 73.4956 degrees but 73.501 with the factor 57.3: 74.
    QTest::newRow("factor 57.3") << 8 << -27 << 196;
    QTest::newRow("factor 57.3 steep") << 3 << -49 << 183;
}

void TestRotaryKnob::pointerAngles() {
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(int, angle);
    QCOMPARE(TRotaryKnob::PointerAngle(dx, dy), angle);
}

void TestRotaryKnob::valuesAtAngles_data() {
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("value");
    QTest::newRow("left") << 0 << 65535 << 90 << 12429;
    QTest::newRow("up") << 0 << 65535 << 180 << 32767;
    QTest::newRow("right") << 0 << 65535 << 270 << 53105;
    QTest::newRow("start of sweep") << 0 << 65535 << 35 << 0;
    QTest::newRow("end of sweep") << 0 << 65535 << 325 << 65535;
    QTest::newRow("dead sector left") << 0 << 65535 << 20 << 0;
    QTest::newRow("dead sector right") << 0 << 65535 << 340 << 65535;
    QTest::newRow("straight down") << 0 << 65535 << 0 << 0;
    QTest::newRow("bass knob dead sector") << 1 << 65535 << 20 << 1;
    // -10 * 10 / 290 truncates toward zero: raw 0, not -1.
    QTest::newRow("truncation") << 0 << 10 << 36 << 0;
    QTest::newRow("negative range") << -100 << 100 << 180 << 0;
}

void TestRotaryKnob::valuesAtAngles() {
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, angle);
    QFETCH(int, value);
    QCOMPARE(TRotaryKnob::ValueAtAngle(min, max, angle), value);
}

void TestRotaryKnob::wideRangeDoesNotOverflow() {
    QCOMPARE(TRotaryKnob::ValueAtAngle(kIntMin, kIntMax, 180), -1);
    QCOMPARE(TRotaryKnob::ValueAtAngle(kIntMin, kIntMax, 325), kIntMax);
    QCOMPARE(TRotaryKnob::ValueAtAngle(kIntMin, kIntMax, 35), kIntMin);
    TRotaryKnob knob;
    knob.SetMin(kIntMin);
    knob.SetMax(kIntMax);
    knob.SetPosition(kIntMax);
    QVERIFY(IsRed(knob.grab().toImage().pixelColor(18, 20)));
}

void TestRotaryKnob::pressSetsPositionFromDirection_data() {
    // A 30 x 30 knob: radius 13, centre (13, 13).
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("position");
    QTest::newRow("left") << QPoint(2, 13) << 12429;
    QTest::newRow("up") << QPoint(13, 2) << 32767;
    QTest::newRow("right") << QPoint(24, 13) << 53105;
    QTest::newRow("below, slightly left") << QPoint(11, 24) << 0;
    QTest::newRow("below, slightly right") << QPoint(15, 24) << 65535;
    QTest::newRow("straight down") << QPoint(13, 24) << 0;
}

void TestRotaryKnob::pressSetsPositionFromDirection() {
    QFETCH(QPoint, point);
    QFETCH(int, position);
    TRotaryKnob knob;
    MakeToneKnob(knob);
    knob.SetPosition(1000);
    QTest::mousePress(&knob, Qt::LeftButton, {}, point);
    QCOMPARE(knob.Position(), position);
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, point);
}

void TestRotaryKnob::dragFollowsPointerBeyondKnob() {
    // Through the window, as the user's mouse arrives.
    QWidget window;
    window.resize(200, 200);
    TRotaryKnob knob;
    knob.setParent(&window);
    knob.move(50, 50);
    MakeToneKnob(knob);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* w = window.windowHandle();
    const QPoint centre(63, 63);

    QTest::mousePress(w, Qt::LeftButton, {}, centre + QPoint(-11, 0));
    QCOMPARE(knob.Position(), 12429);
    QTest::mouseMove(w, centre + QPoint(0, -40));
    QCOMPARE(knob.Position(), 32767);
    QTest::mouseMove(w, centre + QPoint(120, 0));
    QCOMPARE(knob.Position(), 53105);
    QTest::mouseMove(w, centre + QPoint(8, -27));
    QCOMPARE(knob.Position(), 36383);
    QTest::mouseRelease(w, Qt::LeftButton, {}, centre + QPoint(8, -27));

    // After the release a drag with the right button turns nothing.
    QTest::mousePress(w, Qt::RightButton, {}, centre + QPoint(11, 0));
    QTest::mouseMove(w, centre + QPoint(-11, 0));
    QTest::mouseRelease(w, Qt::RightButton, {}, centre + QPoint(-11, 0));
    QCOMPARE(knob.Position(), 36383);
}

void TestRotaryKnob::otherButtonsAndOutsidePressesDoNothing() {
    TRotaryKnob knob;
    MakeToneKnob(knob);
    ChangeLog log;
    log.Attach(knob);
    QTest::mousePress(&knob, Qt::RightButton, {}, QPoint(2, 13));
    QTest::mouseRelease(&knob, Qt::RightButton, {}, QPoint(2, 13));
    QTest::mousePress(&knob, Qt::MiddleButton, {}, QPoint(24, 13));
    QTest::mouseRelease(&knob, Qt::MiddleButton, {}, QPoint(24, 13));
    // Near the corner, 18 pixels from the centre, beyond the radius of 13.
    // (QTest takes the point (0, 0) for "the middle".)
    QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(1, 0));
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(1, 0));
    QVERIFY(log.positions.isEmpty());
    QCOMPARE(knob.Position(), 32767);
    // On the rim (13 pixels away) counts as inside.
    QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(0, 13));
    QCOMPARE(knob.Position(), 12429);
}

// The centre has no direction of its own: it counts as straight down, in
// the dead sector, so the knob goes to its Min (1 on the bass knob).
void TestRotaryKnob::pressOnCentreIsAngleZero() {
    for (const int min : {0, 1}) {
        TRotaryKnob knob;
        MakeToneKnob(knob);
        knob.SetMin(min);
        knob.SetPosition(40000);
        QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(13, 13));
        QCOMPARE(knob.Position(), min);
        knob.SetPosition(40000);
        QTest::mouseMove(&knob, QPoint(13, 13));
        QCOMPARE(knob.Position(), min);
        QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(13, 13));
    }
}

void TestRotaryKnob::indicatorPointsAtPosition_data() {
    // Radius 13, centre (13, 13); the dot sits at 0.7 of the radius.
    QTest::addColumn<int>("position");
    QTest::addColumn<QPoint>("dot");
    QTest::addColumn<QPoint>("elsewhere");
    QTest::newRow("middle: up") << 5 << QPoint(13, 4) << QPoint(13, 22);
    QTest::newRow("min: lower left") << 0 << QPoint(8, 20) << QPoint(18, 20);
    QTest::newRow("max: lower right") << 10 << QPoint(18, 20) << QPoint(8, 20);
}

void TestRotaryKnob::indicatorPointsAtPosition() {
    QFETCH(int, position);
    QFETCH(QPoint, dot);
    QFETCH(QPoint, elsewhere);
    TRotaryKnob knob;
    knob.SetPosition(position);
    QCOMPARE(TRotaryKnob::IndicatorCentre(TRotaryKnob::GeometryFor(knob.size()), 0, 10, position), dot);
    const QImage image = knob.grab().toImage();
    QVERIFY(IsRed(image.pixelColor(dot)));
    QVERIFY(!IsRed(image.pixelColor(elsewhere)));
    // Outside the face and its shadow: the background colour.
    QCOMPARE(image.pixelColor(29, 0), QColor(192, 192, 192));
}

void TestRotaryKnob::indicatorRoundsTiesToEven_data() {
    // A 33 x 33 knob: radius 15, centre (15, 15), reach 10.5 pixels.
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("position");
    QTest::addColumn<QPoint>("dot");
    QTest::newRow("left: x 15 - 10.5") << 290 << 55 << QPoint(5, 15);
    QTest::newRow("up: y 15 - 10.5") << 2 << 1 << QPoint(15, 5);
}

void TestRotaryKnob::indicatorRoundsTiesToEven() {
    QFETCH(int, max);
    QFETCH(int, position);
    QFETCH(QPoint, dot);
    QCOMPARE(TRotaryKnob::IndicatorCentre(TRotaryKnob::GeometryFor(QSize(33, 33)), 0, max, position), dot);
}

void TestRotaryKnob::paintsDirectlyWithoutOffscreenBitmap() {
    DirectKnob knob;
    const QImage image = knob.grab().toImage();
    QVERIFY(IsRed(image.pixelColor(13, 4)));
    QCOMPARE(image.pixelColor(29, 0), QColor(192, 192, 192));
    // The shadow disc, lower right of the face, is darker than the face.
    QVERIFY(image.pixelColor(28, 22).lightness() < 192);
}

void TestRotaryKnob::tinySizesPaintBackgroundOnly() {
    const QList<QSize> sizes{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {1, 40}, {40, 1}};
    for (const QSize size : sizes) {
        for (bool direct : {false, true}) {
            std::unique_ptr<TRotaryKnob> knob =
                direct ? std::make_unique<DirectKnob>() : std::make_unique<TRotaryKnob>();
            knob->resize(size);
            knob->SetColor(QColor(0, 0, 255));
            const QImage image = knob->grab().toImage();
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) QCOMPARE(image.pixelColor(x, y), QColor(0, 0, 255));
            // Pointer handling on a knob too small for a face changes nothing.
            const int before = knob->Position();
            QTest::mousePress(knob.get(), Qt::LeftButton, {}, QPoint(1, 0));
            QTest::mouseMove(knob.get(), QPoint(1, 1));
            QTest::mouseRelease(knob.get(), Qt::LeftButton, {}, QPoint(1, 1));
            QCOMPARE(knob->Position(), before);
        }
    }
    // Radius 1 still draws a face and a dot.
    TRotaryKnob small;
    small.resize(5, 5);
    QVERIFY(!small.grab().isNull());
}

void TestRotaryKnob::shimmerSwingsBetweenZeroAndEight() {
    TRotaryKnob knob;
    QList<int> offsets;
    for (int i = 0; i < 11; ++i) {
        offsets << knob.ShimmerOffset();
        knob.grab();
    }
    QCOMPARE(offsets, (QList<int>{0, 2, 4, 6, 8, 6, 4, 2, 0, 2, 4}));
}

void TestRotaryKnob::repaintsOnlyOnChange() {
    // Every paint advances the shimmer, so the offset counts the paints.
    TRotaryKnob knob;
    knob.show();
    QVERIFY(QTest::qWaitForWindowExposed(&knob));
    QCoreApplication::processEvents();
    const int before = knob.ShimmerOffset();
    knob.SetIndicatorColor(QColor(255, 0, 0));
    knob.SetColor(knob.Color());
    knob.SetPosition(knob.Position());
    knob.SetMin(knob.Min());
    knob.SetMax(knob.Max());
    QCoreApplication::processEvents();
    QCOMPARE(knob.ShimmerOffset(), before);
    knob.SetIndicatorColor(QColor(0, 0, 255));
    QCoreApplication::processEvents();
    QVERIFY(knob.ShimmerOffset() != before);
}

TAVLO_TEST_MAIN(TestRotaryKnob)
#include "test_rotary_knob.moc"

void TestRotaryKnob::wheelDeltasAddUpToNotches_data() {
    QTest::addColumn<int>("remainder");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("notches");
    QTest::addColumn<int>("left");
    QTest::newRow("a notch up") << 0 << 120 << 1 << 0;
    QTest::newRow("a notch down") << 0 << -120 << -1 << 0;
    QTest::newRow("three at once") << 0 << 360 << 3 << 0;
    QTest::newRow("a quarter is kept") << 0 << 30 << 0 << 30;
    QTest::newRow("the fourth quarter") << 90 << 30 << 1 << 0;
    QTest::newRow("past a notch") << 100 << 50 << 1 << 30;
    QTest::newRow("down past a notch") << -100 << -50 << -1 << -30;
    QTest::newRow("back by half") << 60 << -60 << 0 << -60;
    QTest::newRow("back by a notch") << 90 << -120 << -1 << 0;
    QTest::newRow("up after down") << -60 << 60 << 0 << 60;
    QTest::newRow("nothing") << 45 << 0 << 0 << 45;
    QTest::newRow("end of int") << 119 << kIntMax << 17895698 << 6;
    QTest::newRow("start of int") << -119 << kIntMin << -17895698 << -7;
}

void TestRotaryKnob::wheelDeltasAddUpToNotches() {
    QFETCH(int, remainder);
    QFETCH(int, delta);
    QFETCH(int, notches);
    QFETCH(int, left);
    const WheelNotches turn = addWheelDelta(remainder, delta);
    QCOMPARE(turn.notches, notches);
    QCOMPARE(turn.remainder, left);
}

namespace {

// Turns the wheel over the middle of a widget, up or down (or sideways);
// gives whether the event was taken.
bool Wheel(QWidget& over, QPoint delta) {
    const QPointF at = over.rect().center();
    QWheelEvent event(at, over.mapToGlobal(at), QPoint(), delta, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(&over, &event);
    return event.isAccepted();
}

}  // namespace

void TestRotaryKnob::wheelStepsOverAWidgetAndItsParts() {
    QWidget window;
    auto* knob = new TRotaryKnob(&window);
    auto part = std::make_unique<QWidget>(knob);
    auto* other = new QWidget(&window);
    QList<int> steps;
    WheelSteps wheel;
    bool allowed = true;
    wheel.Allowed = [&allowed] { return allowed; };
    wheel.watch(knob, [&steps](int direction) { steps << direction; });

    QVERIFY(Wheel(*knob, {0, 240}));
    QVERIFY(Wheel(*part, {0, -120}));
    QCOMPARE(steps, (QList<int>{1, 1, -1}));
    // Sideways, or over another widget: not taken.
    QVERIFY(!Wheel(*knob, {120, 0}));
    QVERIFY(!Wheel(*other, {0, 120}));
    // Reversed by the system: the step follows the fingers.
    QWheelEvent inverted(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, true);
    QCoreApplication::sendEvent(knob, &inverted);
    QCOMPARE(steps, (QList<int>{1, 1, -1, 1}));

    // Held back: swallowed, and the half notch before is forgotten.
    QVERIFY(Wheel(*knob, {0, 60}));
    allowed = false;
    QVERIFY(Wheel(*knob, {0, 120}));
    allowed = true;
    QVERIFY(Wheel(*knob, {0, 60}));
    QCOMPARE(steps.size(), 4);
    QVERIFY(Wheel(*knob, {0, 60}));
    QCOMPARE(steps, (QList<int>{1, 1, -1, 1, 1}));

    // A part destroyed is forgotten; the widget still steps.
    part.reset();
    QVERIFY(Wheel(*knob, {0, -120}));
    QCOMPARE(steps.size(), 6);
}
