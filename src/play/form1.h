#pragma once
// The playback mixer window. It owns the mixer objects through which both
// mixer windows reach the card, its twelve channel strips, the tone panel
// and the hidden name stores. The sequences that span windows (binding,
// refresh, card choice) belong to the controller, which uses what this
// window exposes.

#include "strips/tavlo_window.h"

#include <QTimer>

#include <memory>
#include <vector>

class AutoRepeat;
class ChannelStrip;
class MixerService;
class ToneControl;
class QComboBox;
class TAudioMixer;
struct SharedState;
struct TonePanel;
struct WindowFrame;

class TForm1 : public TavloWindow {
    Q_OBJECT
public:
    TForm1(SharedState& state, MixerService& service);
    ~TForm1() override;

    TAudioMixer* Mixer;   // the card in use (MixerIndex)
    TAudioMixer* Mixer1;  // the second card, watched for changes
    QTimer* Timer1;       // ends the splash phase

    // Hidden name stores: every destination, the playback lines, the
    // recording destination and its sources.
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QComboBox* ComboBox3;

    std::unique_ptr<WindowFrame> frame;
    std::unique_ptr<TonePanel> tone;
    AutoRepeat* repeat;  // the step buttons' auto-repeat (Timer4)
    std::unique_ptr<ToneControl> treble;
    std::unique_ptr<ToneControl> bass;
    // cha0, cha2 ... cha12 in strip order.
    const std::vector<ChannelStrip*>& strips() const { return strips_; }

    void lrrlMouseDown();

signals:
    // A strip's VU image chose the line the VU window is to meter.
    void meterRequested();

private:
    void FormCreate();

    SharedState& state_;
    std::vector<ChannelStrip*> strips_;
};
