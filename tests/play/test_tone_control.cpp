// Treble and bass: knob and read-out in step with each other and the card.

#include "controls/auto_repeat.h"
#include "controls/rotary_knob.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "mixer/audio_mixer.h"
#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"
#include "play/tone_control.h"
#include "strips/shared_state.h"
#include "support/sim_fixture.h"
#include "support/test_main.h"

#include <QTest>
#include <QWheelEvent>

namespace {

const char* kCard = R"({"devices":[{"name":"Tone","destinations":[{"type":"speakers","name":"Play","controls":[
    {"type":"volume"},{"type":"treble","uniform":true,"values":1000},{"type":"bass","uniform":true,"values":2000}]}]},
  {"name":"Flat","destinations":[{"type":"speakers","name":"Play","controls":[{"type":"volume"}]}]}]})";

struct Panel {
    explicit Panel(int device = 0) : fixture(kCard), driver(fixture.driver) {
        mixer = std::make_unique<TAudioMixer>(*fixture.service);
        mixer->SetMixerId(device);
        knob->SetMax(65535);
        knob->SetPosition(32767);
        knob->resize(30, 30);
        readout->setText(QStringLiteral("50"));
        repeat = std::make_unique<AutoRepeat>(state.RepeatCode, 75);
        tone = std::make_unique<ToneControl>(state, mixer.get(), ToneControl::Kind::Treble,
                                             ToneControl::Widgets{knob, readout, plus, minus}, *repeat);
        tone->reset();
        state.StepSize = 1;
    }
    std::vector<DWORD> treble() const { return driver->values(0, 2); }  // control ids follow the description
    SimFixture fixture;
    SimDriver* driver;
    SharedState state;
    std::unique_ptr<TAudioMixer> mixer;
    QWidget window;
    TRotaryKnob* knob = new TRotaryKnob(&window);
    TTwoDigitEdit* readout = new TTwoDigitEdit(&window);
    TStepButton* plus = new TStepButton(&window);
    TStepButton* minus = new TStepButton(&window);
    std::unique_ptr<AutoRepeat> repeat;
    std::unique_ptr<ToneControl> tone;
};

// Turns the wheel over the middle of a widget; 120 is a notch.
bool turnWheel(QWidget* over, int delta) {
    const QPointF at = over->rect().center();
    QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(over, &event);
    return event.isAccepted();
}

}  // namespace

class TestToneControl : public QObject {
    Q_OBJECT
private slots:
    // The binding resets the knobs under its own hold: the knob's spring
    // back must not let go of it.
    void resetKeepsTheCallersGuard() {
        Panel p;
        p.tone->bind(1);
        p.knob->SetPosition(1000);
        {
            const ChangeGuard::Hold binding = p.state.ChangeGuard.hold();
            p.tone->reset();
            QCOMPARE(int(p.state.ChangeGuard.level()), 1);
        }
        QCOMPARE(int(p.state.ChangeGuard.level()), 0);
    }

    void knobAndReadoutHoldEachOtherInStep() {
        Panel p;
        p.tone->bind(1);
        const int writes = p.driver->writeCount(0);
        p.knob->SetPosition(30000);  // shows 45, then moves to 45 x 655 and writes that too
        QCOMPARE(p.readout->text(), QStringLiteral("45"));
        QCOMPARE(p.knob->Position(), 29475);
        QCOMPARE(p.treble(), std::vector<DWORD>{29475});
        QCOMPARE(p.driver->writeCount(0), writes + 2);
        p.knob->SetPosition(29900);  // same read-out step: the knob stays
        QCOMPARE(p.knob->Position(), 29900);
        QCOMPARE(p.treble(), std::vector<DWORD>{29900});
        QCOMPARE(p.readout->text(), QStringLiteral("45"));
        p.knob->SetPosition(65535);
        QCOMPARE(p.readout->text(), QStringLiteral("99"));
        QCOMPARE(p.knob->Position(), 65535);
        QCOMPARE(int(p.state.ChangeGuard.level()), 0);
    }

    void typedValuesAreBroughtIntoRange() {
        Panel p;
        p.tone->bind(1);
        p.readout->setText(QStringLiteral("99"));
        QCOMPARE(p.knob->Position(), 65535);
        QCOMPARE(p.treble(), std::vector<DWORD>{65535});
        p.readout->setText(QString());
        QCOMPARE(p.readout->text(), QStringLiteral("0"));
        QCOMPARE(p.knob->Position(), 0);
        QCOMPARE(p.treble(), std::vector<DWORD>{0});
    }

    void stepsAtTheTop() {
        Panel p;
        p.tone->bind(1);
        p.readout->setText(QStringLiteral("98"));
        p.plus->Click();
        QCOMPARE(p.readout->text(), QStringLiteral("99"));
        QCOMPARE(p.knob->Position(), 65535);
        const int writes = p.driver->writeCount(0);
        p.plus->Click();
        QCOMPARE(p.driver->writeCount(0), writes);
    }

    void withoutTheControlTheKnobSpringsBack() {
        Panel p(1);
        p.tone->markAbsent();
        QVERIFY(!p.readout->isEnabled());
        QVERIFY(!p.plus->isEnabled());
        const int writes = p.driver->writeCount(1);
        p.knob->SetPosition(50000);
        QCOMPARE(p.knob->Position(), 32767);
        QCOMPARE(p.driver->writeCount(1), writes);
        QCOMPARE(p.knob->toolTip(), QStringLiteral("No treble edition with that soundcard..."));
        QCOMPARE(int(p.state.ChangeGuard.level()), 0);
    }

    // A notch over the knob or its read-out is a click of a step button.
    void wheelStepsTheKnob() {
        Panel p;
        p.tone->bind(1);
        p.readout->setText(QStringLiteral("50"));
        QVERIFY(turnWheel(p.knob, 120));
        QCOMPARE(p.readout->text(), QStringLiteral("51"));
        QCOMPARE(p.knob->Position(), 51 * 655);
        QCOMPARE(p.treble(), std::vector<DWORD>{51 * 655});
        turnWheel(p.readout, -240);
        QCOMPARE(p.treble(), std::vector<DWORD>{49 * 655});
        turnWheel(p.knob, 60);
        QCOMPARE(p.readout->text(), QStringLiteral("49"));
        turnWheel(p.knob, 60);
        QCOMPARE(p.readout->text(), QStringLiteral("50"));
        QCOMPARE(int(p.state.ChangeGuard.level()), 0);
        QCOMPARE(p.knob->toolTip(), QStringLiteral("Turn the knob to ajust the treble volume..."));

        p.readout->setText(QStringLiteral("99"));
        int writes = p.driver->writeCount(0);
        turnWheel(p.knob, 120);
        QCOMPARE(p.driver->writeCount(0), writes);
        QCOMPARE(p.readout->text(), QStringLiteral("99"));

        // A fader drag owns the card meanwhile.
        writes = p.driver->writeCount(0);
        {
            const ChangeGuard::Hold drag = p.state.ChangeGuard.hold(ChangeGuard::Dragging);
            turnWheel(p.knob, -120);
        }
        QCOMPARE(p.driver->writeCount(0), writes);
        QCOMPARE(p.readout->text(), QStringLiteral("99"));
    }

    void wheelLeavesAKnobWithoutControlAlone() {
        Panel p(1);
        p.tone->markAbsent();
        const int writes = p.driver->writeCount(1);
        turnWheel(p.knob, 120);
        turnWheel(p.readout, -120);
        QCOMPARE(p.knob->Position(), 32767);
        QCOMPARE(p.readout->text(), QStringLiteral("50"));
        QCOMPARE(p.driver->writeCount(1), writes);
    }

    void refreshShowsTheCardsValue() {
        Panel p;
        p.tone->bind(1);
        p.driver->changeExternally(0, 2, {30000});
        p.tone->refresh();
        QCOMPARE(p.readout->text(), QStringLiteral("45"));
        QCOMPARE(p.knob->Position(), 29475);
        QCOMPARE(p.treble(), std::vector<DWORD>{29475});  // written back, as the knob change does
    }
};

TAVLO_TEST_MAIN(TestToneControl)
#include "test_tone_control.moc"
