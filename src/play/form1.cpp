#include "play/form1.h"

#include "app/app_context.h"
#include "app/splash.h"
#include "controls/auto_repeat.h"
#include "controls/panel.h"
#include "controls/step_button.h"
#include "mixer/audio_mixer.h"
#include "play/channel_strip.h"
#include "play/name_zoom.h"
#include "play/strip_buttons.h"
#include "play/tone_control.h"
#include "play/tone_panel.h"
#include "play/window_frame.h"
#include "rec/rec_window.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace {

QComboBox* nameStore(QWidget* window, const char* name) {
    auto* box = new QComboBox(window);
    box->setObjectName(QString::fromLatin1(name));
    box->hide();
    return box;
}

// A hidden button whose click runs one of the window's procedures.
template <class F>
void procedureButton(TForm1* window, const char* name, const char* caption, F routine) {
    auto* b = new QPushButton(QString::fromLatin1(caption), window);
    b->setObjectName(QString::fromLatin1(name));
    b->hide();
    QObject::connect(b, &QPushButton::clicked, window, routine);
}

}  // namespace

TForm1::TForm1(AppContext& context) : TavloWindow(context, QStringLiteral("Form1"), QStringLiteral("Tavlo by Varnel")) {
    setFixedSize(944, 173);
    setToolTip(QStringLiteral("Drag the mixer with the borders..."));
    setBlackBackground();

    Mixer = new TAudioMixer(context.service(), this);
    Mixer->setObjectName(QStringLiteral("Mixer"));
    Mixer1 = new TAudioMixer(context.service(), this);
    Mixer1->setObjectName(QStringLiteral("Mixer1"));
    Mixer1->SetMixerId(1);
    Mixer->OnControlChange = [this](TAudioMixer* s, int h, int id) { MixerControlChange(s, h, id); };
    Mixer1->OnControlChange = [this](TAudioMixer* s, int h, int id) { Mixer1ControlChange(s, h, id); };

    frame = std::make_unique<WindowFrame>(this, 944, 173, "Right-click show the menu, ,Click to hide the play mixer.");
    tone = std::make_unique<TonePanel>(this);
    repeat = new AutoRepeat(context.state().RepeatCode, context.state().ChangeGuard, 75, this);
    repeat->timer()->setObjectName(QStringLiteral("Timer4"));
    treble = std::make_unique<ToneControl>(
        context, Mixer, ToneControl::Kind::Treble,
        ToneControl::Widgets{tone->RotaryKnob1, tone->MaskEdit3, tone->treplus, tone->tremoins}, *repeat);
    bass = std::make_unique<ToneControl>(
        context, Mixer, ToneControl::Kind::Bass,
        ToneControl::Widgets{tone->RotaryKnob2, tone->MaskEdit4, tone->basplus, tone->bassmoins}, *repeat);
    new NameZoom(tone->Panel3, tone->Label6, NameZoom::Rules{.stretchLabel = true, .growLeft = false, .raise = true});
    tone->lrrl->OnMouseDown = [this](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { lrrlMouseDown(); };
    for (const StripRow& row : playStripTable()) {
        auto* strip = new ChannelStrip(this, context, Mixer, row);
        strips_.push_back(strip);
        strip->AttachSteps(*repeat, static_cast<int>(strips_.size()));
        strip->AttachButtons(static_cast<int>(strips_.size()));
        if (strip->solo)
            strip->solo->OnMouseDown = [this, strip](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                soloMouseDown(this->context(), strips_, strip);
            };
        // Mute: red and lowered while muted; source strips remember the
        // user's choice in the Tag for solo.
        strip->mute->OnMouseDown = [this, strip](TPanel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            strip->ToggleSwitch(strip->mute, kRed);
            if (strip->row.kind == StripKind::PlaySource) strip->mute->SetTag(strip->mute->Color() == kRed ? 1 : 0);
        };
    }

    ComboBox1 = nameStore(this, "ComboBox1");
    ComboBox2 = nameStore(this, "ComboBox2");
    ComboBox3 = nameStore(this, "ComboBox3");
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    procedureButton(this, "Button1", "rec", &TForm1::Button1Click);
    procedureButton(this, "Button3", "Init", &TForm1::Button3Click);
    procedureButton(this, "Button4", " Controleurs", &TForm1::Button4Click);
    procedureButton(this, "Button5", "mixer change", &TForm1::Button5Click);

    // Runs from creation: the splash phase ends 3 s after this window was
    // made, or at the first turn of the event loop if start-up took longer.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1->start();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    SharedState& s = context().state();
    s.FirstBinding = true;
    s.StartingUp = true;
    for (ChannelStrip* strip : strips_) strip->panel->SetTag(1);
    s.InitDone = false;
    hide();
    s.StepSize = 1;
    s.MixerIndex = 0;
    s.RecHasMasterLevel = false;
    s.MeterSourceIndex = 255;
    s.HasTreble = false;
    s.HasBass = false;
    for (TStepButton* b : {tone->treplus, tone->tremoins, tone->basplus, tone->bassmoins}) b->setEnabled(false);
    s.ChangeGuard = 1;
    Mixer->SetMixerId(s.MixerIndex);
    s.OverPeakCount = 0;
    s.LeftPeakHold = 0;
    s.RightPeakHold = 0;
}

void TForm1::lrrlMouseDown() {
    TPanel* b = tone->lrrl;
    const bool swap = b->Caption() == QStringLiteral("<L R>");
    b->SetCaption(swap ? QStringLiteral("<R L>") : QStringLiteral("<L R>"));
    b->SetBevel(swap ? TPanel::BevelKind::Lowered : TPanel::BevelKind::Raised);
    context().state().SwapLR = swap;
}

void TForm1::Timer1Timer() {
    SharedState& s = context().state();
    s.StartingUp = false;
    Timer1->stop();
    if (TForm3* splash = context().Form3()) splash->hideSplash();
    // No tray icons yet to bring the mixers up from: show both, the
    // recording window just below the playback one.
    if (Trec* r = context().rec()) {
        if (!r->designedPlacement()) r->move(x(), y() + height() + 4);
        r->show();
    }
    show();
}
