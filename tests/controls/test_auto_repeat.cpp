// Step buttons with auto-repeat, driven by real presses and by the timer's
// ticks (never by waiting).

#include "controls/auto_repeat.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "support/test_main.h"

#include <QTest>

class TestAutoRepeat : public QObject {
    Q_OBJECT
    std::int32_t repeatCode = 0;
    int guard = 0;  // what the owner's guard would read: 1 while held

    void watch(AutoRepeat& repeat) {
        repeat.OnHeld = [this](bool held) { guard = held ? 1 : 0; };
    }

    struct Rig {
        QWidget window;
        TStepButton* plus = new TStepButton(&window);
        TStepButton* minus = new TStepButton(&window);
        TTwoDigitEdit* readout = new TTwoDigitEdit(&window);
        int writes = 0;
        Rig() {
            window.resize(100, 60);
            plus->setGeometry(10, 10, 10, 8);
            minus->setGeometry(10, 30, 10, 8);
            readout->setGeometry(40, 10, 20, 14);
            readout->OnChange = [this](TTwoDigitEdit*) { ++writes; };
            window.show();
        }
    };

private slots:
    void init() {
        repeatCode = 0;
        guard = 0;
    }

    void shortClickIsOneStep() {
        Rig r;
        AutoRepeat repeat(repeatCode, 75);
        watch(repeat);
        repeat.attach(r.plus, 111, [&] { stepReadout(r.readout, +1, 1); });
        r.readout->setText(QStringLiteral("40"));
        QTest::mousePress(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
        QCOMPARE(repeatCode, 111);
        QCOMPARE(guard, 1);
        QVERIFY(repeat.timer()->isActive());
        QTest::mouseRelease(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
        QCOMPARE(r.readout->text(), QStringLiteral("41"));
        QCOMPARE(repeatCode, 0);
        QCOMPARE(guard, 0);
        QVERIFY(!repeat.timer()->isActive());
    }

    void holdingRepeatsAndStopsAtTheEnd() {
        Rig r;
        AutoRepeat repeat(repeatCode, 75);
        watch(repeat);
        repeat.attach(r.plus, 111, [&] { stepReadout(r.readout, +1, 1); });
        r.readout->setText(QStringLiteral("10"));
        QTest::mousePress(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
        // A second held: 13 ticks of 75 ms, then the click at release.
        for (int i = 0; i < 13; ++i) repeat.tick();
        QCOMPARE(r.readout->text(), QStringLiteral("23"));
        QTest::mouseRelease(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
        QCOMPARE(r.readout->text(), QStringLiteral("24"));

        r.readout->setText(QStringLiteral("97"));
        QTest::mousePress(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
        for (int i = 0; i < 5; ++i) repeat.tick();
        QTest::mouseRelease(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
        QCOMPARE(r.readout->text(), QStringLiteral("99"));
    }

    void releasedOutsideMakesNoFinalStep() {
        Rig r;
        AutoRepeat repeat(repeatCode, 75);
        watch(repeat);
        repeat.attach(r.minus, 112, [&] { stepReadout(r.readout, -1, 1); });
        r.readout->setText(QStringLiteral("5"));
        const int writes = r.writes;
        QTest::mousePress(r.minus, Qt::LeftButton, {}, QPoint(5, 4));
        // The button holds the mouse: the move and the release come to it,
        // at a point outside it.
        QTest::mouseMove(r.minus, QPoint(60, 30));
        QTest::mouseRelease(r.minus, Qt::LeftButton, {}, QPoint(60, 30));
        QCOMPARE(r.readout->text(), QStringLiteral("5"));
        QCOMPARE(r.writes, writes);
        QCOMPARE(repeatCode, 0);
        QCOMPARE(guard, 0);
        QVERIFY(!repeat.timer()->isActive());
    }

    void ticksStepOnlyTheHeldButton() {
        Rig r;
        AutoRepeat repeat(repeatCode, 75);
        watch(repeat);
        int plus = 0, minus = 0;
        repeat.attach(r.plus, 211, [&] { ++plus; });
        repeat.attach(r.minus, 212, [&] { ++minus; });
        repeat.press(r.minus, 212);
        repeat.tick();
        repeat.tick();
        QCOMPARE(minus, 2);
        QCOMPARE(plus, 0);
        repeatCode = 999;  // a code no button has
        repeat.tick();
        QCOMPARE(minus + plus, 2);
    }

    // A held button that hides or is disabled sees no release: the repeat
    // stops there and its owner lets go of the guard.
    void hiddenOrDisabledHeldButtonStops() {
        for (const bool hide : {true, false}) {
            Rig r;
            AutoRepeat repeat(repeatCode, 75);
            watch(repeat);
            repeat.attach(r.plus, 111, [&] { stepReadout(r.readout, +1, 1); });
            r.readout->setText(QStringLiteral("40"));
            QTest::mousePress(r.plus, Qt::LeftButton, {}, QPoint(5, 4));
            QCOMPARE(guard, 1);
            if (hide)
                r.window.hide();  // the window going hides the button too
            else
                r.plus->setEnabled(false);
            QCOMPARE(guard, 0);
            QCOMPARE(repeatCode, 0);
            QVERIFY(!repeat.timer()->isActive());
            repeat.tick();
            QCOMPARE(r.readout->text(), QStringLiteral("40"));
        }
    }

    void stepsStayInRange() {
        Rig r;
        r.readout->setText(QStringLiteral("0"));
        stepReadout(r.readout, -1, 1);
        QCOMPARE(r.readout->text(), QStringLiteral("0"));
        r.readout->setText(QStringLiteral("99"));
        const int writes = r.writes;
        stepReadout(r.readout, +1, 1);
        QCOMPARE(r.writes, writes);
        r.readout->setText(QStringLiteral("98"));
        stepReadout(r.readout, +1, 5);
        QCOMPARE(r.readout->text(), QStringLiteral("99"));
    }
};

TAVLO_TEST_MAIN(TestAutoRepeat)
#include "test_auto_repeat.moc"
