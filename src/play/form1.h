#pragma once
// The playback mixer window. It owns the mixer objects through which both
// mixer windows reach the card, its twelve channel strips and tone panel,
// and the initialisation procedures of both mixer windows.

#include "app/tavlo_window.h"

#include <QTimer>

#include <memory>
#include <vector>

class AutoRepeat;
class ChannelStrip;
class ToneControl;
class QComboBox;
class TAudioMixer;
struct TonePanel;
struct WindowFrame;

class TForm1 : public TavloWindow {
    Q_OBJECT
public:
    explicit TForm1(AppContext& context);
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

    // Full (re)initialisation of both mixer windows for MixerIndex.
    void Button1Click();
    // Names and stereo/mono layout of the bound strips.
    void Button3Click();
    // Binding of lines and controls to the strips of both windows.
    void Button4Click();
    // Reads every bound strip of both windows back from the card.
    void Button5Click();
    void ComboBox1Change();

    // Reads the configuration file into the dialog's boxes, the menu
    // checks, the animation switch and the windows' places
    // (config/config_apply.cpp).
    void optionsClick();
    // Hooks of later parts of the program: the meter scan and the colour
    // schemes of both windows.
    void button2Click() {}
    void imageplayClick() {}
    void imagerecClick() {}

    void MixerControlChange(TAudioMixer* Sender, int MixerH, int ID);
    void Mixer1ControlChange(TAudioMixer* Sender, int MixerH, int ID);
    void Timer1Timer();
    void lrrlMouseDown();

private:
    void FormCreate();
    void BindLine(TAudioMixer& mixer, int D, int C);

    std::vector<ChannelStrip*> strips_;
};
