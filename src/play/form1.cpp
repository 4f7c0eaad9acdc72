#include "play/form1.h"

#include "app/app_context.h"
#include "app/splash.h"
#include "mixer/audio_mixer.h"

#include <QApplication>
#include <QMessageBox>

TForm1::TForm1(AppContext& context) : TavloWindow(context, QStringLiteral("Form1"), QStringLiteral("Tavlo by Varnel")) {
    Mixer = new TAudioMixer(context.service(), this);
    Mixer->setObjectName(QStringLiteral("Mixer"));
    Mixer1 = new TAudioMixer(context.service(), this);
    Mixer1->setObjectName(QStringLiteral("Mixer1"));
    Mixer1->SetMixerId(1);
    Mixer->OnControlChange = [this](TAudioMixer* s, int h, int id) { MixerControlChange(s, h, id); };
    Mixer1->OnControlChange = [this](TAudioMixer* s, int h, int id) { Mixer1ControlChange(s, h, id); };

    // Runs from creation: the splash phase ends 3 s after this window was
    // made, or at the first turn of the event loop if start-up took longer.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    SharedState& s = context().state();
    s.FirstBinding = true;
    s.StartingUp = true;
    s.InitDone = false;
    hide();
    s.StepSize = 1;
    s.MixerIndex = 0;
    s.RecHasMasterLevel = false;
    s.MeterSourceIndex = 255;
    s.HasTreble = false;
    s.HasBass = false;
    s.ChangeGuard = 1;
    Mixer->SetMixerId(s.MixerIndex);
    s.OverPeakCount = 0;
    s.LeftPeakHold = 0;
    s.RightPeakHold = 0;
}

void TForm1::Button1Click() {
    SharedState& s = context().state();
    context().trace(QStringLiteral("debut button1"));
    Mixer->SetMixerId(s.MixerIndex);
    Button4Click();
    Button3Click();
    if (!s.InitDone) Timer1->start();
    s.InitDone = true;
    s.MeterSourceIndex = 255;
    s.MeterDestIndex = s.PlayDestIndex;
    s.BoundProductName = Mixer->ProductName();
    s.ChangeGuard = 0;
}

void TForm1::Button3Click() {
    context().trace(QStringLiteral("debut button3"));
    Mixer->SetMixerId(context().state().MixerIndex);
    if (Mixer->MixerCount() < 1) {
        QMessageBox::information(nullptr, QStringLiteral("Tavlo"), QStringLiteral("No mixer present in the system !"));
        return;
    }
}

void TForm1::Button4Click() { context().state().FirstBinding = false; }

void TForm1::Button5Click() {
    SharedState& s = context().state();
    s.ChangeGuard = 1;
    Mixer->SetMixerId(s.MixerIndex);
    s.ChangeGuard = 0;
}

void TForm1::MixerControlChange(TAudioMixer*, int, int) {
    SharedState& s = context().state();
    if (s.ChangeGuard != 0) return;
    if (s.BoundProductName != Mixer->ProductName()) {
        QMessageBox::warning(nullptr, QStringLiteral("Tavlo"),
                             QStringLiteral("Your System Sound-Cards has changed outside Tavlo. You have to "
                                            "terminate Tavlo and reload it again..."));
        QApplication::exit(0);
        return;
    }
    Button5Click();
}

void TForm1::Mixer1ControlChange(TAudioMixer*, int, int) {
    if (Mixer1->MixerCount() <= 1 || context().state().ChangeGuard != 0) return;
    Button5Click();
}

void TForm1::Timer1Timer() {
    SharedState& s = context().state();
    s.StartingUp = false;
    Timer1->stop();
    if (TForm3* splash = context().Form3()) splash->hideSplash();
}
