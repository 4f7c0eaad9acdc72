#pragma once
// One tone knob of the playback window (treble or bass) with its read-out
// and step buttons. Knob and read-out hold each other in step and drive the
// playback destination's tone control when the card has one; without it
// the knob springs back to the middle and the rest is inert.

#include "controls/wheel_steps.h"

#include <cstdint>
#include <memory>

class AutoRepeat;
class TAudioMixer;
class TRotaryKnob;
class TStepButton;
class TTwoDigitEdit;
struct SharedState;

class ToneControl {
public:
    enum class Kind { Treble, Bass };
    struct Widgets {
        TRotaryKnob* knob;
        TTwoDigitEdit* readout;
        TStepButton* plus;
        TStepButton* minus;
    };

    // Takes over the widgets' events; the step buttons repeat through
    // `repeat` with codes 11/12 (treble) or 21/22 (bass).
    ToneControl(SharedState& state, TAudioMixer* mixer, Kind kind, Widgets widgets, AutoRepeat& repeat);

    // Start of a binding: no control, step buttons and read-out disabled,
    // read-out "50", knob in the middle.
    void reset();
    // The binding found the control at this index of the destination's list.
    void bind(int controlIndex);
    // The hint of a knob whose control the binding did not find.
    void markAbsent();
    // Shows the card's value (the knob change then writes it back).
    void refresh();

    bool present() const;
    void knobChanged();
    void readoutChanged();

private:
    bool& flag() const;
    void wheelStep(int direction);
    SharedState& state_;
    TAudioMixer* mixer_;
    Kind kind_;
    Widgets w_;
    std::unique_ptr<WheelSteps> wheel_;  // knob and read-out
    bool rereading_ = false;
};
