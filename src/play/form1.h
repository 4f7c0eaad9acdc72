#pragma once
// The playback mixer window. It owns the mixer objects through which both
// mixer windows reach the card, and the initialisation procedures.

#include "app/tavlo_window.h"

#include <QTimer>

class TAudioMixer;

class TForm1 : public TavloWindow {
    Q_OBJECT
public:
    explicit TForm1(AppContext& context);
    ~TForm1() override;

    TAudioMixer* Mixer;   // the card in use (MixerIndex)
    TAudioMixer* Mixer1;  // the second card, watched for changes
    QTimer* Timer1;       // ends the splash phase

    // Full (re)initialisation of both mixer windows for MixerIndex.
    void Button1Click();
    // Names and stereo/mono layout of the bound strips.
    void Button3Click();
    // Binding of lines and controls to strips.
    void Button4Click();
    // Reads every bound strip of both windows back from the card.
    void Button5Click();

    void MixerControlChange(TAudioMixer* Sender, int MixerH, int ID);
    void Mixer1ControlChange(TAudioMixer* Sender, int MixerH, int ID);
    void Timer1Timer();

private:
    void FormCreate();
};
