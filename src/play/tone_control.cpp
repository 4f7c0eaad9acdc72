#include "play/tone_control.h"

#include "controls/auto_repeat.h"
#include "controls/rotary_knob.h"
#include "controls/step_button.h"
#include "controls/two_digit_edit.h"
#include "mixer/audio_mixer.h"
#include "mixer/levels.h"
#include "strips/shared_state.h"

namespace {
constexpr int kMiddle = 32767;
}

ToneControl::ToneControl(SharedState& state, TAudioMixer* mixer, Kind kind, Widgets widgets, AutoRepeat& repeat)
    : state_(state), mixer_(mixer), kind_(kind), w_(widgets) {
    w_.knob->OnChange = [this](TRangeControl*) { knobChanged(); };
    w_.readout->OnChange = [this](TTwoDigitEdit*) { readoutChanged(); };
    const int base = kind_ == Kind::Treble ? 10 : 20;
    const auto step = [this](int direction) {
        return [this, direction] { stepReadout(w_.readout, direction, state_.StepSize); };
    };
    repeat.attach(w_.plus, base + 1, step(+1));
    repeat.attach(w_.minus, base + 2, step(-1));
    wheel_ = std::make_unique<WheelSteps>();
    // A knob without its control stays still; a fader drag owns the card.
    wheel_->Allowed = [this] { return present() && !state_.ChangeGuard.dragging(); };
    for (QWidget* w : std::initializer_list<QWidget*>{w_.knob, w_.readout})
        wheel_->watch(w, [this](int direction) { wheelStep(direction); });
}

// One notch is one click of the step button that way.
void ToneControl::wheelStep(int direction) {
    const ChangeGuard::Hold writing = state_.ChangeGuard.hold();
    stepReadout(w_.readout, direction, state_.StepSize);
}

bool& ToneControl::flag() const { return kind_ == Kind::Treble ? state_.HasTreble : state_.HasBass; }

bool ToneControl::present() const { return flag(); }

void ToneControl::reset() {
    flag() = false;
    w_.plus->setEnabled(false);
    w_.minus->setEnabled(false);
    w_.readout->setEnabled(false);
    w_.readout->setText(QStringLiteral("50"));
    w_.knob->SetPosition(kMiddle);
}

void ToneControl::bind(int controlIndex) {
    w_.knob->SetTag(controlIndex);
    flag() = true;
    w_.knob->setEnabled(true);
    w_.readout->setEnabled(true);
    w_.plus->setEnabled(true);
    w_.minus->setEnabled(true);
    w_.knob->setToolTip(kind_ == Kind::Treble ? QStringLiteral("Turn the knob to ajust the treble volume...")
                                              : QStringLiteral("Turn the knob to ajust the bass volume..."));
}

void ToneControl::markAbsent() {
    w_.knob->setToolTip(kind_ == Kind::Treble ? QStringLiteral("No treble edition with that soundcard...")
                                              : QStringLiteral("No bass edition with that soundcard..."));
}

void ToneControl::refresh() {
    if (!flag()) return;
    w_.knob->SetPosition(mixer_->GetControlValue(state_.PlayDestIndex, -1, w_.knob->Tag()));
}

void ToneControl::knobChanged() {
    SharedState& s = state_;
    const ChangeGuard::Hold writing = s.ChangeGuard.hold();
    if (!flag()) {
        w_.knob->SetPosition(kMiddle);  // springs back; the change this raises stops here
        return;
    }
    // A refused write leaves the knob where the card is.
    if (!mixer_->SetControlValue(s.PlayDestIndex, -1, w_.knob->Tag(), w_.knob->Position())) {
        if (!rereading_) {
            rereading_ = true;
            refresh();
            rereading_ = false;
        }
    }
    w_.readout->setText(QString::number(readoutFromLevel(w_.knob->Position())));
}

void ToneControl::readoutChanged() {
    if (!flag()) return;
    if (w_.readout->text().trimmed().isEmpty() || w_.readout->Value() < 1) w_.readout->setText(QStringLiteral("0"));
    const int value = w_.readout->Value();
    if (value >= kReadoutMax) {
        w_.readout->setText(QStringLiteral("99"));
        w_.knob->SetPosition(kLevelMax);
    } else {
        w_.knob->SetPosition(value * kLevelPerReadout);
    }
}
